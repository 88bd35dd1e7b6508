#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

// One fingerprint template record of the attendance database.
struct FingerData
{
    uint fpID = 0;
    uint uid = 0;
    QByteArray tpl; // the template bytes (column "template")
    uint tplID = 0;
    quint16 finger = 0;

    // "fpID|uid|template length|tplID|finger" for debug lines.
    QString debugText() const;
};

Q_DECLARE_METATYPE(FingerData)
