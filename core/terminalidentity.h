#pragma once

#include "db/termdata.h"

#include <QString>
#include <QVariantMap>

class QTextStream;
class ZEPSettings;
class ZepDBManager;

// The identity a terminal is installed with: the part of its record that the
// program itself never makes up (id, name, model, part and serial number, the
// shared key of remote management and the login of the attendance server). It
// comes from a small JSON file, e.g.
//   {"tid": 7, "name": "Gate", "model": "VZEP", "pn": "VZEP-PC", "sn": "DEV-0007",
//    "skey": "dev-shared-key", "li": 1, "lt": "dev-token"}
struct TerminalIdentity
{
    // Exit codes of the installing command.
    enum Result { Installed = 0, Unreadable = 2, Invalid = 3, NotStored = 4 };

    int tid = 0;
    QString name;
    QString model;
    QString pn;
    QString sn;
    QString skey;
    int li = 0;
    QString lt;

    // Reads and checks the file; on failure the result is Unreadable or Invalid with
    // the reason in `error`.
    static Result read(const QString &path, TerminalIdentity &identity, QString &error);

    // The stored record with this identity: a record of the same id keeps what the
    // servers gave it (their id of the terminal, tokens, flags); another id starts anew.
    TermData appliedTo(const TermData &stored) const;

    // Stores the identity as the terminal record of the catalogue database, and the
    // name as "global/terminalName"; false (with the reason in `error`) when not stored.
    bool install(ZepDBManager &catalogueDb, ZEPSettings &settings, QString &error) const;

    // The installed identity as the administration shows it: without the key and the token.
    static QVariantMap shown(const TermData &record);

    // The whole command: read, check and store, telling the outcome; the exit code.
    static int installFile(const QString &path, QTextStream &out, QTextStream &err);
};
