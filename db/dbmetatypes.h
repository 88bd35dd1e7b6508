#pragma once

// Registers the record types of the databases with the meta-type system so
// that they can travel through queued signal connections.
class DbMetaTypes
{
public:
    static void registerAll();
};
