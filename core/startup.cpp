#include "core/startup.h"

#include "core/base.h"
#include "foundation/debuglog.h"
#include "foundation/filelog.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "core/terminalidentity.h"
#include "core/terminationsignals.h"
#include "sync/networkmanager.h"

#include <QApplication>
#include <QDebug>
#include <QTextStream>
#include <QTranslator>

#include <memory>

#include <sys/stat.h>

namespace Startup {

QStringList arguments(int argc, char **argv)
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

bool loggingWanted(const QStringList &arguments)
{
    return arguments.size() < 2 || !arguments.at(1).contains(QLatin1String("--no-log"));
}

bool fullScreenWanted(const QStringList &arguments)
{
    return arguments.mid(1).contains(QLatin1String("--full-screen"));
}

QString identityFile(const QStringList &arguments)
{
    const int option = arguments.indexOf(QStringLiteral("--install-identity"), 1);
    if (option < 0)
        return QString();
    return arguments.value(option + 1, QLatin1String(""));
}

QString argumentLine(const QStringList &arguments)
{
    QString line;
    for (const QString &argument : arguments)
        line += argument + QLatin1Char(' ');
    return line;
}

void readDebugLevel(FileLog &log, ZEPSettings &settings, const QStringList &arguments)
{
    Zep::debugLevel = settings.value(Setting::debugLevel).toUInt();
    if (Zep::debugLevel > 1) {
        qDebug("main()");
        qDebug() << "LOG file: " << log.fileName();
    }
    log.loguj(QStringLiteral("debugLevel=%1").arg(Zep::debugLevel));
    if (Zep::debugLevel != 0)
        qDebug() << "POCET ARGUMENTOV: " << arguments.size();
    if (Zep::debugLevel > 1) {
        for (int i = 0; i < arguments.size(); ++i)
            qDebug() << "Argument " << i << " = " << arguments.at(i);
    }
    Zep::argumentLine = argumentLine(arguments);
    if (Zep::debugLevel > 1)
        qDebug() << "ARGUMENTY: " << Zep::argumentLine;
}

QString translationName(ZEPSettings &settings)
{
    const QString language
        = settings.value(Setting::language).toString();
    return QStringLiteral("zep_%1").arg(language.toLower());
}

bool loadTranslation(QTranslator &translator, const QString &name, FileLog &log)
{
    log.loguj("Inicializujem Translator...");
    // No fallback to shorter names: the file is the one of the configured language.
    const bool loaded = translator.load(name, QStringLiteral("."), QStringLiteral(""));
    if (loaded)
        log.loguj(QStringLiteral("Translation file '") + name + QStringLiteral("' loaded"));
    else
        log.loguj(QStringLiteral("Translation file '") + name
                  + QStringLiteral("' does not loaded!"));
    return loaded;
}

int installIdentity(int argc, char **argv, const QString &file, FileLog &log)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = TerminalIdentity::installFile(file, out, err);
    log.loguj(code == TerminalIdentity::Installed
                  ? QStringLiteral("Terminal identity installed from ") + file
                  : QStringLiteral("Terminal identity NOT installed from ") + file);
    return code;
}

int run(int argc, char **argv, const std::function<void(Base &)> &started)
{
    // Settings, databases, photos, logs and backups are the owner's alone.
    ::umask(S_IRWXG | S_IRWXO);
    const QStringList args = arguments(argc, argv);
    Zep::loggingEnabled = loggingWanted(args);
    qInstallMessageHandler(DebugLog::handler);

    FileLog log(ZepFiles::appLog);
    const QString identity = identityFile(args);
    if (!identity.isNull())
        return installIdentity(argc, argv, identity, log);
    log.loguj(QString());
    log.loguj("*** START ***");

    // The entry point owns the settings and the network manager; Base uses them
    // and is deleted first.
    auto settings = std::make_unique<ZEPSettings>(ZepFiles::settingsFile);
    readDebugLevel(log, *settings, args);

    log.loguj("Inicializujem NetworkManager...");
    auto networkManager = std::make_unique<NetworkManager>();
    log.loguj(QStringLiteral("MAC: ") + networkManager->getMac());

    int exitCode = 0;
    {
        QApplication app(argc, argv);
        QTranslator translator;
        loadTranslation(translator, translationName(*settings), log);
        QCoreApplication::installTranslator(&translator);

        log.loguj("Inicializujem Base ...");
        auto base = std::make_unique<Base>(settings.get(), networkManager.get(), log);
        TerminationSignals termination;
        QObject::connect(&termination,
                         &TerminationSignals::terminationRequested,
                         base.get(),
                         [base = base.get()] { base->doQuit(0); });
        base->init();
        if (started)
            started(*base);

        log.loguj("Spustam ZEP (app->exec())...");
        try {
            exitCode = QApplication::exec();
        } catch (...) {
            log.loguj("Program execution FAILED!");
            exitCode = 0;
        }

        base.reset();
        settings.reset();
        networkManager.reset();
    }
    return exitCode;
}

} // namespace Startup
