#pragma once

#include <QChar>
#include <QList>
#include <QMetaType>
#include <QString>

// Typed change lists parsed from the attendance server's replies and applied
// to the local databases. Records are plain values passed through signals.

// One interruption type.
struct InterSynData
{
    uint id = 0;
    QString name;
    QString shortcut;
    QString color;
    QString start;
    QString stop;
    int weight = 0;
    QChar type;
    uint tsc = 0;
};

// One person as the server holds it.
struct PersonSynData
{
    uint uid = 0;
    uint pid = 0;
    QString name;
    QString surname;
    QString title;
    QString title2;
    QString card;
    int saldo = 0;
    bool admin = false;
    bool access = false;
    uint grp = 0;
    QChar type;
    uint tsc = 0;
};

// Balance of one person, in minutes.
struct SaldoSynData
{
    uint uid = 0;
    int saldo = 0;
};

// Presence value of one person.
struct PresentSynData
{
    uint uid = 0;
    uint present = 0;
};

// Colour group of one person.
struct GrpSynData
{
    uint uid = 0;
    quint8 grp = 0;
};

// One time zone.
struct ZoneSynData
{
    uint id = 0;
    quint8 days = 0;
    uint from_time = 0;
    uint to_time = 0;
    bool status = false;
    QChar type;
    uint tsc = 0;

    // "id|days|from|to|status-type|tsc", the form used in log lines.
    QString toString() const;
};

// One link of a person to a time zone.
struct PZTSynData
{
    uint zid = 0;
    uint uid = 0;
    QChar type;
    uint tsc = 0;

    // "zid|uid-type|tsc", the form used in log lines.
    QString toString() const;
};

using InterSynDataList = QList<InterSynData>;
using PersonSynDataList = QList<PersonSynData>;
using SaldoSynDataList = QList<SaldoSynData>;
using PresentSynDataList = QList<PresentSynData>;
using GrpSynDataList = QList<GrpSynData>;
using ZoneSynDataList = QList<ZoneSynData>;
using PZTSynDataList = QList<PZTSynData>;

// The seven change lists, in the order they are applied.
struct ChangeSet
{
    InterSynDataList inters;
    PersonSynDataList people;
    SaldoSynDataList saldo;
    PresentSynDataList present;
    GrpSynDataList grp;
    ZoneSynDataList zones;
    PZTSynDataList pzt;
};

Q_DECLARE_METATYPE(InterSynData)
Q_DECLARE_METATYPE(PersonSynData)
Q_DECLARE_METATYPE(SaldoSynData)
Q_DECLARE_METATYPE(PresentSynData)
Q_DECLARE_METATYPE(GrpSynData)
Q_DECLARE_METATYPE(ZoneSynData)
Q_DECLARE_METATYPE(PZTSynData)

namespace ChangeLists {
// Registers the record and list types (and ServerState) for queued signals;
// safe to call more than once.
void registerMetaTypes();
// A record's sync type as text; empty when it has none.
QString typeText(QChar type);
} // namespace ChangeLists
