#include "tests/support/controllersandbox.h"

#include "core/base.h"
#include "foundation/filelog.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "sync/networkmanager.h"
#include "tests/support/scratchfile.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace {

bool copyTree(const QString &from, const QString &to)
{
    bool ok = QDir().mkpath(to);
    for (const QFileInfo &entry :
         QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        ok = (entry.isDir() ? copyTree(entry.absoluteFilePath(), target)
                            : QFile::copy(entry.absoluteFilePath(), target))
            && ok;
    }
    return ok;
}

bool placeDocuments(ControllerSandbox::Documents documents)
{
    if (documents == ControllerSandbox::RealDocuments)
        return copyTree(QStringLiteral(ZEP_RUNTIME_DIR "/qml"), QStringLiteral("qml"))
            && QFile::exists(QStringLiteral("qml/ZEP/vmain.qml"));
    return QDir().mkpath(QStringLiteral("qml/ZEP"))
        && QFile::copy(QStringLiteral(ZEP_SOURCE_DIR "/qml/ZEP/vMainLoader.qml"),
                       QStringLiteral("qml/ZEP/vMainLoader.qml"))
        && writeScratchFile(
            QStringLiteral("qml/ZEP/vmain.qml"),
            "import QtQuick 2.15\nRectangle { objectName: \"vmain\"; color: \"teal\" }\n");
}

} // namespace

ControllerSandbox::ControllerSandbox(Documents documents)
{
    if (!mDir.isValid())
        return;
    // The setup PIN goes to native settings: keep them inside the folder.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, mDir.path());
    mValid = placeDocuments(documents);
}

ControllerSandbox::~ControllerSandbox() = default;

ZEPSettings &ControllerSandbox::settings()
{
    if (!mSettings)
        mSettings = std::make_unique<ZEPSettings>(ZepFiles::settingsFile);
    return *mSettings;
}

NetworkManager &ControllerSandbox::networkManager()
{
    if (!mNetworkManager)
        mNetworkManager = std::make_unique<NetworkManager>();
    return *mNetworkManager;
}

std::unique_ptr<Base> ControllerSandbox::makeBase()
{
    return std::make_unique<Base>(&settings(), &networkManager(), FileLog(ZepFiles::appLog));
}
