#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>

class ZEPSettings;

// The settings the UI shows and changes, as typed properties with their
// defaults in one place. Each property follows writes to "zep.ini" through its
// change signal; a setter writes the key only when the value changes.
class UiSettings : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY languageChanged)
    Q_PROPERTY(
        QString terminalName READ terminalName WRITE setTerminalName NOTIFY terminalNameChanged)
    Q_PROPERTY(bool pinEntry READ pinEntry WRITE setPinEntry NOTIFY pinEntryChanged)
    Q_PROPERTY(bool networking READ networking WRITE setNetworking NOTIFY networkingChanged)
    Q_PROPERTY(QString serverHost READ serverHost WRITE setServerHost NOTIFY serverHostChanged)
    Q_PROPERTY(int serverPort READ serverPort WRITE setServerPort NOTIFY serverPortChanged)
    Q_PROPERTY(int volume READ volume WRITE setVolume NOTIFY volumeChanged)
    Q_PROPERTY(bool mute READ mute WRITE setMute NOTIFY muteChanged)
    Q_PROPERTY(int screenSaverDelay READ screenSaverDelay WRITE setScreenSaverDelay NOTIFY
                   screenSaverDelayChanged)
    Q_PROPERTY(int entranceTimeout READ entranceTimeout NOTIFY entranceTimeoutChanged)
    Q_PROPERTY(int confirmationTimeout READ confirmationTimeout NOTIFY confirmationTimeoutChanged)
    Q_PROPERTY(
        int cameraPreviewInterval READ cameraPreviewInterval NOTIFY cameraPreviewIntervalChanged)
    Q_PROPERTY(int cardKeyGap READ cardKeyGap NOTIFY cardKeyGapChanged)
public:
    explicit UiSettings(ZEPSettings *settings, QObject *parent = nullptr);

    QString language() const;
    QString terminalName() const;
    bool pinEntry() const;
    bool networking() const;
    QString serverHost() const;
    int serverPort() const;
    int volume() const;
    bool mute() const;
    int screenSaverDelay() const;
    int entranceTimeout() const;
    int confirmationTimeout() const;
    int cameraPreviewInterval() const;
    int cardKeyGap() const;

    void setLanguage(const QString &language);
    void setTerminalName(const QString &name);
    void setPinEntry(bool on);
    void setNetworking(bool on);
    void setServerHost(const QString &host);
    void setServerPort(int port);
    void setVolume(int volume);
    void setMute(bool mute);
    void setScreenSaverDelay(int seconds);

    // Writes the properties named in values (property name -> value) and syncs
    // the file; announced only then: false, and nothing changed, when the file could not be
    // written.
    Q_INVOKABLE bool store(const QVariantMap &values);

signals:
    void languageChanged();
    void terminalNameChanged();
    void pinEntryChanged();
    void networkingChanged();
    void serverHostChanged();
    void serverPortChanged();
    void volumeChanged();
    void muteChanged();
    void screenSaverDelayChanged();
    void entranceTimeoutChanged();
    void confirmationTimeoutChanged();
    void cameraPreviewIntervalChanged();
    void cardKeyGapChanged();

private:
    QVariant read(const char *property) const;
    void write(const char *property, const QVariant &value);
    void onWritten(const QString &key);

    ZEPSettings *mSettings;
};
