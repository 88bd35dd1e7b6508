#pragma once

#include "db/fingerdata.h"

#include <QByteArray>
#include <QList>

class SQLiteManager;

// The fingerprint templates of the people (table fingers).
class FingerprintStore
{
public:
    explicit FingerprintStore(SQLiteManager &db);

    FingerData loadFinger(uint fpID);
    bool saveFinger(const FingerData &finger);
    QByteArray getFingerTemplate(uint fpID, uint tplID);
    bool deleteFingerTemplate(uint fpID, uint tplID);
    // finger -1: every template of the person.
    bool deleteFingerTemplateByUid(uint uid, int finger);
    bool loadFingers(QList<FingerData> &list, uint uid);
    int countFingers();

private:
    SQLiteManager &mDb;
};
