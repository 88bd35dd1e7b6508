// Start-up, memory and search figures of the terminal's UI next to a bare Qt
// Quick window, on a working folder with 10,000 people and 50 interruption types.
//
//   bench_uistartup [runs]
//
// The parent prepares the folder and starts itself as child processes:
//   --child bare <folder>   a QQuickView with one rectangle and a text
//   --child zep <folder>    the controller (Base) with the real UI documents, as
//                           the entry point starts it
// Each child prints "frame <time>" on the first frame (for the terminal: the first
// frame that shows the idle screen), read from the monotonic clock that both
// processes share; the parent counts from starting the process. With --frame-only
// the child ends there. Otherwise it prints "peak <kB>" after half a second, and
// the terminal child also opens the people list and types into its search field,
// printing the time of every keystroke.
// The first frame is timed over 4 x runs starts of each, one after the other; memory
// and search over runs starts of each that go on. A start timed right after a child
// that worked on for seconds would count what the machine still does for it.
// One uncounted run of each comes first (database migration, QML disk cache).

#include "core/base.h"
#include "foundation/debuglog.h"
#include "foundation/filelog.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "core/startup.h"
#include "db/datadbmanager.h"
#include "db/preruseniedata.h"
#include "db/zepdbmanager.h"
#include "sync/networkmanager.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickView>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

namespace {

const int peopleCount = 10000;
const int typeCount = 50;

void out(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

qint64 monotonicNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Set by --frame-only: the child ends at its first frame.
bool frameOnly = false;

void reportFrame()
{
    out(QStringLiteral("frame %1").arg(monotonicNanoseconds()));
    if (frameOnly)
        std::_Exit(0);
}

long peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QFileInfo &entry :
         QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir())
            copyTree(entry.absoluteFilePath(), target);
        else
            QFile::copy(entry.absoluteFilePath(), target);
    }
}

bool prepareFolder(const QString &folder)
{
    copyTree(QStringLiteral(ZEP_RUNTIME_DIR "/qml"), folder + QStringLiteral("/qml"));
    QFile::copy(QStringLiteral(ZEP_RUNTIME_DIR "/zep_sk.qm"),
                folder + QStringLiteral("/zep_sk.qm"));
    QDir::setCurrent(folder);

    // No "zep.ini": the terminal starts with every default, as a new installation
    // does (photographs on, whether a camera is present or not).
    {
        ZepDBManager catalogue(ZepFiles::catalogueDb);
        for (int i = 1; i <= typeCount; ++i)
            catalogue.syncPrerus(PrerusenieData(
                i, QStringLiteral("Interruption %1").arg(i), QStringLiteral("T%1").arg(i)));
    }
    {
        DataDBManager attendance(ZepFiles::attendanceDb);
    }
    const QStringList firstNames = { "Jana",   "Peter",  "Mária",    "Martin", "Eva",   "Tomáš",
                                     "Zuzana", "Michal", "Katarína", "Ján",    "Lucia", "Marek" };
    const QStringList surnames = { "Nováková", "Horváth", "Kováčová", "Varga",    "Tóthová",
                                   "Baláž",    "Szabová", "Molnár",   "Lukáčová", "Kollár" };
    bool ok = true;
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(ZepFiles::attendanceDb);
        ok = db.open() && db.transaction();
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO ludia (dochid, karta, meno, priez, colorGrp) "
                                 "VALUES (?, ?, ?, ?, ?)"));
        for (int i = 1; ok && i <= peopleCount; ++i) {
            q.addBindValue(i);
            q.addBindValue(QStringLiteral("C%1").arg(i, 8, 16, QLatin1Char('0')));
            q.addBindValue(firstNames.at(i % firstNames.size()));
            q.addBindValue(surnames.at((i / firstNames.size()) % surnames.size()));
            q.addBindValue(i % 8);
            ok = q.exec();
            if (!ok)
                out(QStringLiteral("insert failed: ") + q.lastError().text());
        }
        ok = ok && db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return ok;
}

void sendKey(QWindow *window, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(window, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(window, &release);
}

int runBare(int argc, char **argv)
{
    QApplication app(argc, argv);
    QQuickView view;
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.setSource(QUrl::fromLocalFile(QDir::current().filePath(QStringLiteral("bare.qml"))));
    view.resize(800, 480);
    QObject::connect(&view, &QQuickWindow::frameSwapped, &app, [&] {
        static bool first = true;
        if (!first)
            return;
        first = false;
        reportFrame();
        QTimer::singleShot(500, &app, [] {
            out(QStringLiteral("peak %1").arg(peakKilobytes()));
            QCoreApplication::quit();
        });
    });
    view.show();
    return app.exec();
}

// Types into the search field of the people list at a person's pace and reports each
// keystroke: the time from the key press to the first frame after the key reached the
// field (the visible feedback), and the parts of it: how long the card-read detection
// held the key back, and from then on to the frame (filter and drawing). Typed faster
// than the detection's key gap, the keys would be held as one burst and handed on
// together with the next non-printable key, which is what a card reader's burst gets.
class SearchTyping : public QObject
{
public:
    SearchTyping(QQuickView *view)
        : mView(view)
    {
        connect(view, &QQuickWindow::frameSwapped, this, [this] {
            if (mWaitingForFrame && mDelivered) {
                mWaitingForFrame = false;
                const double ms = mClock.nsecsElapsed() / 1e6;
                mFeedbackTimes << ms;
                mAfterHandOnTimes << ms - mHeldTimes.last();
                QTimer::singleShot(keyInterval, this, [this] { next(); });
            }
        });
    }

    void start()
    {
        // Installed after the card-read detection, so it sees each press first: the
        // typed one and the one handed on.
        mView->installEventFilter(this);
        next();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == mView && event->type() == QEvent::KeyPress && mWaitingForFrame
            && !mDelivered && ++mSightings == mSightingsToDelivery) {
            mDelivered = true;
            mHeldTimes << mClock.nsecsElapsed() / 1e6;
            mView->update();
        }
        return false;
    }

private:
    // A quick typist's pace, slower than the card reader's key gap.
    static constexpr int keyInterval = 150;

    void next()
    {
        static const QString text = QStringLiteral("nováko");
        if (mStep == 2 * text.size()) {
            report();
            return;
        }
        // Type the word, then delete it again key by key.
        const bool typing = mStep < text.size();
        const QString ch = typing ? text.mid(mStep, 1) : QString();
        ++mStep;
        // A printable key is seen again when the detection hands it on; Backspace goes
        // through at once.
        mSightingsToDelivery = typing ? 2 : 1;
        mSightings = 0;
        mDelivered = false;
        mWaitingForFrame = true;
        mClock.start();
        sendKey(mView, typing ? Qt::Key_A : Qt::Key_Backspace, ch);
    }

    static double median(QList<double> values)
    {
        std::sort(values.begin(), values.end());
        return values.isEmpty() ? 0 : values.at(values.size() / 2);
    }

    static double max(const QList<double> &values)
    {
        return *std::max_element(values.begin(), values.end());
    }

    void report()
    {
        QQuickItem *list
            = mView->rootObject()->findChild<QQuickItem *>(QStringLiteral("peopleList"));
        if (!list || list->property("count").toInt() != peopleCount) {
            out(QStringLiteral("the people list did not show every person after the search"));
            QCoreApplication::exit(1);
            return;
        }
        out(QStringLiteral("filter %1 %2 %3 %4 %5")
                .arg(median(mFeedbackTimes), 0, 'f', 2)
                .arg(max(mFeedbackTimes), 0, 'f', 2)
                .arg(median(mHeldTimes), 0, 'f', 2)
                .arg(median(mAfterHandOnTimes), 0, 'f', 2)
                .arg(max(mAfterHandOnTimes), 0, 'f', 2));
        out(QStringLiteral("peak %1").arg(peakKilobytes()));
        QCoreApplication::quit();
    }

    QQuickView *mView;
    QElapsedTimer mClock;
    bool mWaitingForFrame = false;
    bool mDelivered = false;
    int mSightings = 0;
    int mSightingsToDelivery = 0;
    int mStep = 0;
    QList<double> mFeedbackTimes;
    QList<double> mHeldTimes;
    QList<double> mAfterHandOnTimes;
};

int runTerminal(int argc, char **argv)
{
    // As the entry point starts it: debug log on, debug level from the settings.
    qInstallMessageHandler(DebugLog::handler);
    FileLog log(ZepFiles::appLog);
    auto settings = std::make_unique<ZEPSettings>(ZepFiles::settingsFile);
    Startup::readDebugLevel(log, *settings, { QStringLiteral("zep") });
    auto networkManager = std::make_unique<NetworkManager>();
    int result = 0;
    {
        QApplication app(argc, argv);
        QTranslator translator;
        translator.load(QStringLiteral("zep_sk"), QDir::currentPath());
        QCoreApplication::installTranslator(&translator);

        Base *base = new Base(settings.get(), networkManager.get(), log);
        base->init();
        QQuickView *view = base->view();
        // Without its documents the terminal would wait for the idle screen forever. The main
        // document is asked for once the start is through, by the first events.
        QTimer::singleShot(0, &app, [view] {
            if (!view->rootObject()
                || !view->rootObject()->findChild<QQuickItem *>(QStringLiteral("idleScreen"))) {
                out(QStringLiteral(
                    "the terminal shows no idle screen: are the UI documents there?"));
                std::_Exit(1);
            }
        });
        long startupPeak = 0;
        SearchTyping typing(view);
        QObject::connect(view, &QQuickWindow::frameSwapped, &app, [&] {
            static bool first = true;
            QQuickItem *root = view->rootObject();
            QQuickItem *idle
                = root ? root->findChild<QQuickItem *>(QStringLiteral("idleScreen")) : nullptr;
            if (!first || !idle || !idle->isVisible())
                return;
            first = false;
            reportFrame();
            QTimer::singleShot(500, &app, [&] {
                startupPeak = peakKilobytes();
                out(QStringLiteral("startpeak %1").arg(startupPeak));
                // Into the administration: a new setup PIN "1", entered twice.
                view->requestActivate();
                sendKey(view, Qt::Key_F10, QString());
                for (int i = 0; i < 2; ++i) {
                    sendKey(view, Qt::Key_1, QStringLiteral("1"));
                    sendKey(view, Qt::Key_Return, QString());
                }
                QTimer::singleShot(500, &typing, [&] { typing.start(); });
            });
        });
        result = app.exec();
        delete base;
    }
    return result;
}

struct ChildRun
{
    double frameMs = -1;
    long peakKb = -1;
    long startPeakKb = -1;
    QString filter;
};

ChildRun runChild(const QString &kind, const QString &folder, bool toFirstFrame = false)
{
    ChildRun run;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!env.contains(QStringLiteral("QT_QUICK_BACKEND")))
        env.insert(QStringLiteral("QT_QUICK_BACKEND"), QStringLiteral("software"));
    // The setup PIN goes into native settings: keep them inside the folder, and
    // start each run without one.
    QDir(folder + QStringLiteral("/config")).removeRecursively();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/config"));
    child.setProcessEnvironment(env);
    child.setWorkingDirectory(folder);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 started = monotonicNanoseconds();
    QStringList arguments = { QStringLiteral("--child"), kind, folder };
    if (toFirstFrame)
        arguments << QStringLiteral("--frame-only");
    child.start(QCoreApplication::applicationFilePath(), arguments);
    while (child.state() != QProcess::NotRunning || child.canReadLine()) {
        if (!child.canReadLine() && !child.waitForReadyRead(60000))
            break;
        while (child.canReadLine()) {
            const QString line = QString::fromUtf8(child.readLine()).trimmed();
            if (line.startsWith(QLatin1String("frame ")))
                run.frameMs = (line.mid(6).toLongLong() - started) / 1e6;
            else if (line.startsWith(QLatin1String("peak ")))
                run.peakKb = line.mid(5).toLong();
            else if (line.startsWith(QLatin1String("startpeak ")))
                run.startPeakKb = line.mid(10).toLong();
            else if (line.startsWith(QLatin1String("filter ")))
                run.filter = line.mid(7);
        }
    }
    child.waitForFinished(60000);
    if (run.startPeakKb < 0)
        run.startPeakKb = run.peakKb;
    return run;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

// The machine's load averages over 1, 5 and 15 minutes.
QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 4 && qstrcmp(argv[1], "--child") == 0) {
        QDir::setCurrent(QString::fromLocal8Bit(argv[3]));
        frameOnly = argc >= 5 && qstrcmp(argv[4], "--frame-only") == 0;
        if (qstrcmp(argv[2], "bare") == 0)
            return runBare(argc, argv);
        return runTerminal(argc, argv);
    }

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString folder = dir.path();
    if (!prepareFolder(folder)) {
        out(QStringLiteral("could not prepare the working folder"));
        return 1;
    }
    QFile bare(folder + QStringLiteral("/bare.qml"));
    bare.open(QIODevice::WriteOnly);
    bare.write("import QtQuick 2.15\nRectangle { color: \"#0e1822\"\n"
               "    Text { anchors.centerIn: parent; color: \"white\"; font.pixelSize: 96;"
               " text: Qt.formatTime(new Date(), \"hh:mm\") } }\n");
    bare.close();

    out(QStringLiteral("%1 people, %2 interruption types, %3 runs each (median; first frame: "
                       "%7 starts each); both windows "
                       "800 x 480 on platform \"%4\", Qt Quick backend \"%5\"; load %6")
            .arg(peopleCount)
            .arg(typeCount)
            .arg(runs)
            .arg(qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("offscreen")),
                 qEnvironmentVariable("QT_QUICK_BACKEND", QStringLiteral("software")),
                 loadAverage())
            .arg(4 * runs));
    QList<double> bareFrame, zepFrame, bareMem, zepMem, zepPeak;
    QStringList filters;
    // One run of each first, uncounted: the terminal's first start migrates the
    // databases and both fill the QML disk cache.
    runChild(QStringLiteral("bare"), folder);
    runChild(QStringLiteral("zep"), folder);
    for (int i = 0; i < runs; ++i) {
        const ChildRun b = runChild(QStringLiteral("bare"), folder);
        const ChildRun z = runChild(QStringLiteral("zep"), folder);
        bareMem << b.peakKb;
        zepMem << z.startPeakKb;
        zepPeak << z.peakKb;
        filters << z.filter;
    }
    // The first pair after the long runs is not counted either.
    for (int i = 0; i <= 4 * runs; ++i) {
        const ChildRun b = runChild(QStringLiteral("bare"), folder, true);
        const ChildRun z = runChild(QStringLiteral("zep"), folder, true);
        if (i == 0)
            continue;
        bareFrame << b.frameMs;
        zepFrame << z.frameMs;
    }
    if (bareFrame.contains(-1) || zepFrame.contains(-1)) {
        out(QStringLiteral("a child showed no first frame"));
        return 1;
    }
    const double bf = median(bareFrame), zf = median(zepFrame);
    const double bm = median(bareMem), zm = median(zepMem);
    out(QStringLiteral(
            "first frame:  bare %1 ms   terminal idle screen %2 ms   ratio %3 (goal <= 1.5)")
            .arg(bf, 0, 'f', 1)
            .arg(zf, 0, 'f', 1)
            .arg(zf / bf, 0, 'f', 2));
    out(QStringLiteral("peak memory:  bare %1 MB   terminal at idle %2 MB   ratio %3 (goal <= 1.3)")
            .arg(bm / 1024, 0, 'f', 1)
            .arg(zm / 1024, 0, 'f', 1)
            .arg(zm / bm, 0, 'f', 2));
    out(QStringLiteral("load at the end: %1").arg(loadAverage()));
    out(QStringLiteral("terminal peak after opening the people list and searching: %1 MB")
            .arg(median(zepPeak) / 1024, 0, 'f', 1));
    for (const QString &f : filters) {
        const QStringList parts = f.split(QLatin1Char(' '));
        out(QStringLiteral("search keystroke over %1 people, a key every 150 ms: to visible "
                           "feedback median %2 ms, max %3 ms; of it held back by the card-read "
                           "detection median %4 ms (ui/cardKeyGap); from hand-on to the frame "
                           "median %5 ms, max %6 ms (goal < 16 ms)")
                .arg(peopleCount)
                .arg(parts.value(0), parts.value(1), parts.value(2))
                .arg(parts.value(3), parts.value(4)));
    }
    return 0;
}
