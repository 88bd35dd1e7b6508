#pragma once

#include "devserver/changetable.h"

class DevDatabase;

// The data the server hands to terminals: interruption types, people (with their
// balance, presence and colour group), time zones and the person-to-zone links.
class DevCatalogue
{
public:
    explicit DevCatalogue(DevDatabase &db);

    ChangeTable &inters() { return mInters; }
    ChangeTable &people() { return mPeople; }
    ChangeTable &zones() { return mZones; }
    ChangeTable &pzt() { return mPzt; }

private:
    ChangeTable mInters;
    ChangeTable mPeople;
    ChangeTable mZones;
    ChangeTable mPzt;
};
