#include "core/uisettings.h"

#include "foundation/settingkeys.h"
#include "foundation/zepsettings.h"

#include <QMetaProperty>

namespace {

struct Entry
{
    const char *property;
    const SettingKey *key;
};

const QVector<Entry> &entries()
{
    static const QVector<Entry> table {
        { "language", &Setting::language },
        { "terminalName", &Setting::terminalName },
        { "pinEntry", &Setting::pinEntry },
        { "networking", &Setting::networking },
        { "serverHost", &Setting::serverHost },
        { "serverPort", &Setting::serverPort },
        { "volume", &Setting::volume },
        { "mute", &Setting::mute },
        { "screenSaverDelay", &Setting::screenSaverDelay },
        { "entranceTimeout", &Setting::entranceTimeout },
        { "confirmationTimeout", &Setting::confirmationTimeout },
        { "cameraPreviewInterval", &Setting::cameraPreviewInterval },
        { "cardKeyGap", &Setting::cardKeyGap },
    };
    return table;
}

const Entry *entryOf(const char *property)
{
    for (const Entry &entry : entries())
        if (qstrcmp(entry.property, property) == 0)
            return &entry;
    return nullptr;
}

} // namespace

UiSettings::UiSettings(ZEPSettings *settings, QObject *parent)
    : QObject(parent)
    , mSettings(settings)
{
    connect(mSettings, &ZEPSettings::onWrite, this, &UiSettings::onWritten);
}

QString UiSettings::language() const
{
    return read("language").toString().toUpper();
}
QString UiSettings::terminalName() const
{
    return read("terminalName").toString();
}
bool UiSettings::pinEntry() const
{
    return read("pinEntry").toBool();
}
bool UiSettings::networking() const
{
    return read("networking").toBool();
}
QString UiSettings::serverHost() const
{
    return read("serverHost").toString();
}
int UiSettings::serverPort() const
{
    return read("serverPort").toInt();
}
int UiSettings::volume() const
{
    return qBound(0, read("volume").toInt(), 100);
}
bool UiSettings::mute() const
{
    return read("mute").toBool();
}
int UiSettings::screenSaverDelay() const
{
    return qMax(1, read("screenSaverDelay").toInt());
}
int UiSettings::entranceTimeout() const
{
    return qMax(3, read("entranceTimeout").toInt());
}
int UiSettings::confirmationTimeout() const
{
    return qMax(2, read("confirmationTimeout").toInt());
}
int UiSettings::cameraPreviewInterval() const
{
    return qMax(0, read("cameraPreviewInterval").toInt());
}
int UiSettings::cardKeyGap() const
{
    const int gap = read("cardKeyGap").toInt();
    return gap > 0 ? gap : Setting::cardKeyGap.fallback.toInt();
}

void UiSettings::setLanguage(const QString &language)
{
    write("language", language.toUpper());
}
void UiSettings::setTerminalName(const QString &name)
{
    write("terminalName", name);
}
void UiSettings::setPinEntry(bool on)
{
    write("pinEntry", on);
}
void UiSettings::setNetworking(bool on)
{
    write("networking", on);
}
void UiSettings::setServerHost(const QString &host)
{
    write("serverHost", host);
}
void UiSettings::setServerPort(int port)
{
    write("serverPort", port);
}
void UiSettings::setVolume(int volume)
{
    write("volume", qBound(0, volume, 100));
}
void UiSettings::setMute(bool mute)
{
    write("mute", mute);
}
void UiSettings::setScreenSaverDelay(int seconds)
{
    write("screenSaverDelay", seconds);
}

bool UiSettings::store(const QVariantMap &values)
{
    // Nothing of a save that does not reach the file takes effect.
    mSettings->beginChanges();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        setProperty(it.key().toLatin1().constData(), it.value());
    return mSettings->commitChanges();
}

QVariant UiSettings::read(const char *property) const
{
    return mSettings->value(*entryOf(property)->key);
}

// Only real changes are written: every write is reported to the servers.
void UiSettings::write(const char *property, const QVariant &value)
{
    if (read(property).toString() == value.toString())
        return;
    mSettings->setValue(entryOf(property)->key->name, value);
}

void UiSettings::onWritten(const QString &key)
{
    for (const Entry &entry : entries()) {
        if (key != entry.key->name)
            continue;
        const QMetaObject *meta = metaObject();
        const QMetaProperty property = meta->property(meta->indexOfProperty(entry.property));
        property.notifySignal().invoke(this);
    }
}
