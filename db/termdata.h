#pragma once

#include <QMetaType>
#include <QString>

// The terminal record: the stored identity and synchronisation data of the
// terminal (table "term") plus the figures kept only in memory.
struct TermData
{
    int tid = 0; // 0 = no terminal record
    QString nazov;
    QString model;
    QString pn;
    QString sn;
    QString pcn8v;
    QString pcn8d;
    QString skey;
    QString ini; // the settings-file text (not stored)
    QString ip;
    int memu = -1;
    int cpuu = -1;
    int hddu = -1;
    int sdu = -1;
    int fpu = -1;
    int btime = 0;
    int vid = 0;
    QString ver;
    QString rev; // source revision (not stored)
    int syn = 0;
    bool changed = false; // a stored attribute changed since the last save (not stored)
    int crNum = 0;
    int accNum = 0;
    QString colorGroups;
    QString token;
    int refId = 0;
    QString lt;
    int li = 0;
    int flags = 0;
};

Q_DECLARE_METATYPE(TermData)
