#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>

// A key of "zep.ini" and the value that stands while the file does not set it.
struct SettingKey
{
    QString name;
    QVariant fallback;
};

// Reads `key` from `settings`, its fallback where the file does not set it.
QVariant readSetting(const QSettings &settings, const SettingKey &key);

// Every key the terminal reads, with its fallback: the one place that says both.
namespace Setting {
// global
extern const SettingKey language;
extern const SettingKey debugLevel;
extern const SettingKey terminalName;
extern const SettingKey networking;
extern const SettingKey pinEntry;
extern const SettingKey takePhoto;
extern const SettingKey cameraRotation;
extern const SettingKey camRestartsLimit;
extern const SettingKey autosort;
extern const SettingKey autosortHour;
extern const SettingKey disabledTypes;
extern const SettingKey orderPeople;
extern const SettingKey hardwareInfoInterval;
extern const SettingKey backupFolder;
extern const SettingKey terminalIp;
// attendance server
extern const SettingKey serverHost;
extern const SettingKey serverPort;
// The time-offset service is asked on this port while the file sets none.
extern const SettingKey timeOffsetPort;
extern const SettingKey serverPingEnabled;
extern const SettingKey serverLocalTime;
extern const SettingKey serverSyncInterval;
extern const SettingKey typesRefresh;
extern const SettingKey intersSyncInterval;
// entrances and maintenance
extern const SettingKey deleteWindow;
extern const SettingKey maintenanceDays;
extern const SettingKey minEntranceAgeHours;
extern const SettingKey pruneOnlySynced;
// backups
extern const SettingKey entranceBackupInterval;
extern const SettingKey logsBackupInterval;
extern const SettingKey backupMinFreeMB;
extern const SettingKey logsBackupMaxKB;
extern const SettingKey logsBackupDays;
extern const SettingKey usbMountPoint;
// No fallback: without it the USB copy reads the backup tree.
extern const SettingKey usbBackupPath;
// clock
extern const SettingKey useNtph;
extern const SettingKey ntpOnBoot;
extern const SettingKey maxClockStep;
extern const SettingKey clockStepConfirmDelay;
// remote management
extern const SettingKey orvelHost;
extern const SettingKey orvelPort;
extern const SettingKey orvelPath;
extern const SettingKey orvelCleanUrl;
extern const SettingKey orvelPingEnabled;
extern const SettingKey orvelSyncInterval;
extern const SettingKey maxDownloadMB;
// sound
extern const SettingKey volume;
extern const SettingKey mute;
// screens
extern const SettingKey screenSaverDelay;
extern const SettingKey entranceTimeout;
extern const SettingKey confirmationTimeout;
extern const SettingKey cameraPreviewInterval;
extern const SettingKey cardKeyGap;
// face
extern const SettingKey bioFace;
extern const SettingKey faceRepeat;
// window
extern const SettingKey windowWidth;
extern const SettingKey windowHeight;
extern const SettingKey windowMaximized;
// proxy
extern const SettingKey proxyEnabled;
extern const SettingKey proxyForAll;
extern const SettingKey proxyType;
extern const SettingKey proxyHost;
extern const SettingKey proxyPort;
extern const SettingKey proxyUser;
extern const SettingKey proxyPassword;
extern const SettingKey proxyCapabilities;
} // namespace Setting
