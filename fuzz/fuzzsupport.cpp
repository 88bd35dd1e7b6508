#include "fuzzsupport.h"

#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "sync/tuldbmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <vector>

namespace {

// The program writes its logs and settings into the working folder, so the target runs
// in a scratch one; corpus folders given relative to where it was started, and the
// crash files it leaves, stay where the user expects them.
void keepPathsOfTheStartFolder(int *argc, char ***argv)
{
    static std::vector<QByteArray> storage;
    static std::vector<char *> arguments;
    bool artifactPrefix = false;
    for (int i = 0; i < *argc; ++i) {
        QByteArray argument((*argv)[i]);
        if (i > 0 && !argument.startsWith('-'))
            argument = QFile::encodeName(QFileInfo(QFile::decodeName(argument)).absoluteFilePath());
        artifactPrefix = artifactPrefix || argument.startsWith("-artifact_prefix=");
        storage.push_back(argument);
    }
    if (!artifactPrefix)
        storage.push_back("-artifact_prefix=" + QFile::encodeName(QDir::currentPath()) + '/');
    for (QByteArray &argument : storage)
        arguments.push_back(argument.data());
    arguments.push_back(nullptr);
    *argc = int(storage.size());
    *argv = arguments.data();
}

} // namespace

namespace FuzzSupport {

void initialize(int *argc, char ***argv)
{
    keepPathsOfTheStartFolder(argc, argv);
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir workDir;
    QDir::setCurrent(workDir.path());
    Zep::debugLevel = 0;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

} // namespace FuzzSupport

// Qt 5.15's JSON parser loses the earlier value of a key that an object repeats
// ({"a":"x","a":"y"} leaks "x"); that is Qt's, not a fault of the code under test. Qt is
// built without frame pointers, so only the slow unwinder sees the frame to match.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:QJsonDocument::fromJson\n";
}

extern "C" const char *__asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

TulDbManager *FuzzSupport::protocol()
{
    static ZEPSettings settings(QStringLiteral("zep.ini"));
    static TulDbManager *manager = new TulDbManager(&settings);
    return manager;
}
