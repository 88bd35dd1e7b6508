#include "foundation/settingkeys.h"

QVariant readSetting(const QSettings &settings, const SettingKey &key)
{
    return settings.value(key.name, key.fallback);
}

namespace Setting {
const SettingKey language { QStringLiteral("global/language"), QStringLiteral("SK") };
const SettingKey debugLevel { QStringLiteral("global/debugLevel"), 1 };
const SettingKey terminalName { QStringLiteral("global/terminalName"), QString() };
const SettingKey networking { QStringLiteral("global/networking"), true };
const SettingKey pinEntry { QStringLiteral("global/PIN"), false };
const SettingKey takePhoto { QStringLiteral("global/takePhoto"), true };
const SettingKey cameraRotation { QStringLiteral("global/CameraRotateValue"), 0 };
const SettingKey camRestartsLimit { QStringLiteral("global/camRestartsLimit"), 0 };
const SettingKey autosort { QStringLiteral("global/autosort"), true };
const SettingKey autosortHour { QStringLiteral("global/autosortHour"), 3 };
const SettingKey disabledTypes { QStringLiteral("global/disInterupts"), QStringList() };
const SettingKey orderPeople { QStringLiteral("global/orderPeople"), 0 };
const SettingKey hardwareInfoInterval { QStringLiteral("global/HWinfoInterval"), 139 };
const SettingKey backupFolder { QStringLiteral("global/backup"), QStringLiteral("backup") };
const SettingKey terminalIp { QStringLiteral("network/ip"), QString() };

const SettingKey serverHost { QStringLiteral("serverKLD/ip"), QStringLiteral("0.0.0.0") };
const SettingKey serverPort { QStringLiteral("serverKLD/port"), 80 };
const SettingKey timeOffsetPort { QStringLiteral("serverKLD/port"), 88 };
const SettingKey serverPingEnabled { QStringLiteral("serverKLD/pingEnabled"), true };
const SettingKey serverLocalTime { QStringLiteral("serverKLD/localTime"), true };
const SettingKey serverSyncInterval { QStringLiteral("serverKLD/synInterval"), 61 };
const SettingKey typesRefresh { QStringLiteral("timeout/prerusRefresh"), 373 };
const SettingKey intersSyncInterval { QStringLiteral("timeout/intersSyncInterval"), 5 };

const SettingKey deleteWindow { QStringLiteral("timeout/zmazaniePrerusenia"), 60 };
const SettingKey maintenanceDays { QStringLiteral("timeout/maintenaceLDB"), 2 };
const SettingKey minEntranceAgeHours { QStringLiteral("maintenance/minVekPrerus"), 24 };
const SettingKey pruneOnlySynced { QStringLiteral("maintenance/onlySyncPrerus"), true };

const SettingKey entranceBackupInterval { QStringLiteral("timeout/backupPrerus"), 2 };
const SettingKey logsBackupInterval { QStringLiteral("timeout/backupLogs"), 367 };
const SettingKey backupMinFreeMB { QStringLiteral("backup/minFreeMB"), 500 };
const SettingKey logsBackupMaxKB { QStringLiteral("backup/logsMaxKB"), 1024 };
const SettingKey logsBackupDays { QStringLiteral("backup/logsDays"), 7 };
const SettingKey usbMountPoint { QStringLiteral("usb/mountPoint"), QStringLiteral("/udisk") };
const SettingKey usbBackupPath { QStringLiteral("usb/backupPath"), QVariant() };

const SettingKey useNtph { QStringLiteral("time/useNTPH"), true };
const SettingKey ntpOnBoot { QStringLiteral("time/ntpOnBoot"), true };
const SettingKey maxClockStep { QStringLiteral("time/maxStep"), 3600 };
const SettingKey clockStepConfirmDelay { QStringLiteral("time/stepConfirmDelay"), 300 };

// An unconfigured terminal reports to its own machine.
const SettingKey orvelHost { QStringLiteral("orvel/sszep"), QStringLiteral("localhost") };
const SettingKey orvelPort { QStringLiteral("orvel/sszepPort"), 80 };
const SettingKey orvelPath { QStringLiteral("orvel/sszepPath"), QStringLiteral("/") };
const SettingKey orvelCleanUrl { QStringLiteral("orvel/cleanURL"), false };
const SettingKey orvelPingEnabled { QStringLiteral("orvel/pingEnabled"), true };
const SettingKey orvelSyncInterval { QStringLiteral("orvel/synInterval"), 293 };
const SettingKey maxDownloadMB { QStringLiteral("orvel/maxDownloadMB"), 512 };

const SettingKey volume { QStringLiteral("audio/volume"), 50 };
const SettingKey mute { QStringLiteral("audio/mute"), false };

const SettingKey screenSaverDelay { QStringLiteral("ui/screenSaverDelay"), 60 };
const SettingKey entranceTimeout { QStringLiteral("ui/entranceTimeout"), 15 };
const SettingKey confirmationTimeout { QStringLiteral("ui/confirmationTimeout"), 6 };
const SettingKey cameraPreviewInterval { QStringLiteral("ui/cameraPreviewInterval"), 2 };
const SettingKey cardKeyGap { QStringLiteral("ui/cardKeyGap"), 50 };

const SettingKey bioFace { QStringLiteral("face/bioFace"), false };
const SettingKey faceRepeat { QStringLiteral("face/repeat"), 2 };

const SettingKey windowWidth { QStringLiteral("size/width"), 800 };
const SettingKey windowHeight { QStringLiteral("size/height"), 480 };
const SettingKey windowMaximized { QStringLiteral("size/maximized"), false };

const SettingKey proxyEnabled { QStringLiteral("proxy/enabled"), false };
const SettingKey proxyForAll { QStringLiteral("proxy/useForAll"), true };
const SettingKey proxyType { QStringLiteral("proxy/type"), 0 };
const SettingKey proxyHost { QStringLiteral("proxy/host"), QString() };
const SettingKey proxyPort { QStringLiteral("proxy/port"), 0 };
const SettingKey proxyUser { QStringLiteral("proxy/user"), QString() };
const SettingKey proxyPassword { QStringLiteral("proxy/pass"), QString() };
const SettingKey proxyCapabilities { QStringLiteral("proxy/setCapabilities"), false };
} // namespace Setting
