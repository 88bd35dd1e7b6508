#include "core/terminalidentity.h"

#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "db/zepdbmanager.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTextStream>

#include <climits>
#include <cmath>

namespace {

// The remote-management terminal token holds the id in nine digits.
constexpr double maxTid = 999999999;
constexpr int minKeyLength = 8;
constexpr int maxKeyLength = 128; // the column's width

const QSet<QString> &knownKeys()
{
    static const QSet<QString> keys { QStringLiteral("tid"),   QStringLiteral("name"),
                                      QStringLiteral("model"), QStringLiteral("pn"),
                                      QStringLiteral("sn"),    QStringLiteral("skey"),
                                      QStringLiteral("li"),    QStringLiteral("lt") };
    return keys;
}

// A whole number from `min` to `max`; false (with `error`) for anything else.
bool readNumber(const QJsonObject &object,
                const QString &key,
                double min,
                double max,
                int &number,
                QString &error)
{
    const QJsonValue value = object.value(key);
    const double d = value.toDouble();
    if (!value.isDouble() || d != std::floor(d) || d < min || d > max) {
        error = QStringLiteral("\"%1\" must be a whole number from %2 to %3")
                    .arg(key)
                    .arg(qint64(min))
                    .arg(qint64(max));
        return false;
    }
    number = int(d);
    return true;
}

// An absent text is empty; anything but a text is refused.
bool readText(const QJsonObject &object, const QString &key, QString &text, QString &error)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        return true;
    if (!value.isString()) {
        error = QStringLiteral("\"%1\" must be a text").arg(key);
        return false;
    }
    text = value.toString();
    return true;
}

} // namespace

TerminalIdentity::Result
TerminalIdentity::read(const QString &path, TerminalIdentity &identity, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return Unreadable;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return Unreadable;
    }
    if (!document.isObject()) {
        error = parseError.error != QJsonParseError::NoError
            ? QStringLiteral("%1 is not JSON: %2 at offset %3")
                  .arg(path, parseError.errorString())
                  .arg(parseError.offset)
            : QStringLiteral("%1 holds no JSON object").arg(path);
        return Invalid;
    }
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!knownKeys().contains(it.key())) {
            error = QStringLiteral("unknown key \"%1\"").arg(it.key());
            return Invalid;
        }
    }
    if (!object.contains(QStringLiteral("tid"))) {
        error = QStringLiteral("the identity has no \"tid\"");
        return Invalid;
    }
    TerminalIdentity read;
    if (!readNumber(object, QStringLiteral("tid"), 1, maxTid, read.tid, error)
        || (object.contains(QStringLiteral("li"))
            && !readNumber(object, QStringLiteral("li"), 0, INT_MAX, read.li, error))
        || !readText(object, QStringLiteral("name"), read.name, error)
        || !readText(object, QStringLiteral("model"), read.model, error)
        || !readText(object, QStringLiteral("pn"), read.pn, error)
        || !readText(object, QStringLiteral("sn"), read.sn, error)
        || !readText(object, QStringLiteral("skey"), read.skey, error)
        || !readText(object, QStringLiteral("lt"), read.lt, error))
        return Invalid;
    if (read.skey.size() < minKeyLength || read.skey.size() > maxKeyLength) {
        error = QStringLiteral("\"skey\" must have %1 to %2 characters, it has %3")
                    .arg(minKeyLength)
                    .arg(maxKeyLength)
                    .arg(read.skey.size());
        return Invalid;
    }
    identity = read;
    return Installed;
}

TermData TerminalIdentity::appliedTo(const TermData &stored) const
{
    TermData record = stored.tid == tid ? stored : TermData();
    record.tid = tid;
    record.nazov = name;
    record.model = model;
    record.pn = pn;
    record.sn = sn;
    record.skey = skey;
    record.li = li;
    record.lt = lt;
    return record;
}

bool TerminalIdentity::install(ZepDBManager &catalogueDb,
                               ZEPSettings &settings,
                               QString &error) const
{
    TermData stored;
    catalogueDb.loadTerminal(stored);
    // The record of another id goes: readers take the newest row, updates the row of the id.
    if (stored.tid != 0 && stored.tid != tid && !catalogueDb.deleteTerminal()) {
        error = QStringLiteral("the terminal record %1 could not be replaced").arg(stored.tid);
        return false;
    }
    if (!catalogueDb.saveTerminal(appliedTo(stored))) {
        error = QStringLiteral("the terminal record could not be stored");
        return false;
    }
    if (!name.isEmpty()) {
        settings.setValue(Setting::terminalName.name, name);
        if (!settings.syncSettings()) {
            error = QStringLiteral("the terminal name could not be written to %1")
                        .arg(settings.fileName());
            return false;
        }
    }
    return true;
}

QVariantMap TerminalIdentity::shown(const TermData &record)
{
    return { { QStringLiteral("tid"), record.tid },     { QStringLiteral("name"), record.nazov },
             { QStringLiteral("model"), record.model }, { QStringLiteral("pn"), record.pn },
             { QStringLiteral("sn"), record.sn },       { QStringLiteral("li"), record.li },
             { QStringLiteral("refId"), record.refId } };
}

int TerminalIdentity::installFile(const QString &path, QTextStream &out, QTextStream &err)
{
    TerminalIdentity identity;
    QString error;
    const Result read = TerminalIdentity::read(path, identity, error);
    if (read != Installed) {
        err << "zep: identity not installed: " << error << Qt::endl;
        return read;
    }
    ZepDBManager catalogueDb(ZepFiles::catalogueDb, true);
    ZEPSettings settings(ZepFiles::settingsFile);
    if (!identity.install(catalogueDb, settings, error)) {
        err << "zep: identity not installed: " << error << Qt::endl;
        return NotStored;
    }
    out << "zep: terminal " << identity.tid << " installed in " << catalogueDb.fileName()
        << Qt::endl;
    return Installed;
}
