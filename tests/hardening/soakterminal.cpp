// The real terminal, started as the program starts it, with a driver that records entrances
// without pause through the objects the UI uses, while the scheduler runs its duties against
// the development server at a shortened tick. As soon as a recording returns, one line goes to
// stdout, before anything else happens:
//   recorded <entrance id> <time> <person number> <type> <direction>
// Run in a working folder holding "zep.ini" and the UI documents; the test ends it by SIGKILL.
#include "attendance/managerpreruseni.h"
#include "backup/maintainer.h"
#include "core/base.h"
#include "core/cron.h"
#include "core/startup.h"
#include "db/datadbmanager.h"
#include "devices/camcontrol.h"

#include <QImage>
#include <QQmlContext>
#include <QQuickView>
#include <QRandomGenerator>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

// Milliseconds of one scheduler "second": the server sync comes every 31 ticks, the upload
// sweep and the backup every 60.
const int tickMs = 10;
const int recordEveryMs = 15;
const int maintenanceEveryMs = 400;

template<typename T> T *contextObject(Base &base, const char *name)
{
    return qobject_cast<T *>(
        base.view()->rootContext()->contextProperty(QLatin1String(name)).value<QObject *>());
}

void report(const QByteArray &line)
{
    // Unbuffered: the line is in the pipe before the next statement runs.
    qint64 written = 0;
    while (written < line.size()) {
        const ssize_t n
            = ::write(STDOUT_FILENO, line.constData() + written, size_t(line.size() - written));
        if (n <= 0)
            return;
        written += n;
    }
}

class SoakDriver : public QObject
{
public:
    explicit SoakDriver(Base &base)
        : QObject(&base)
        , mBase(base)
        , mEntrances(contextObject<ManagerPreruseni>(base, "manPrerus"))
    {
        if (CamControl *camera = contextObject<CamControl>(base, "camCtrl")) {
            QImage picture(64, 48, QImage::Format_RGB32);
            picture.fill(Qt::darkCyan);
            camera->processCapturedImage(1, picture);
        }
        connect(mEntrances,
                &ManagerPreruseni::sigAddEntrance,
                this,
                [this](uint, uint, uint, uint, const QString &, uint localId, uint time) {
                    mLastId = localId;
                    mLastTime = time;
                });
        base.cron()->setTimeout(tickMs);

        auto *recording = new QTimer(this);
        connect(recording, &QTimer::timeout, this, &SoakDriver::recordOne);
        recording->start(recordEveryMs);
        auto *maintenance = new QTimer(this);
        connect(maintenance, &QTimer::timeout, base.maintainer(), &Maintainer::doMaintenance);
        maintenance->start(maintenanceEveryMs);
    }

private:
    // Like a person at the terminal: a card, a type, a direction.
    void recordOne()
    {
        if (mPeople.isEmpty() || ++mSincePeopleRead > 50) {
            mPeople.clear();
            QList<PersonData> people;
            mBase.attendanceDb()->nacitajLudi(people);
            for (const PersonData &person : people) {
                if (!person.karta.isEmpty())
                    mPeople.append(person);
            }
            mSincePeopleRead = 0;
            if (mPeople.isEmpty())
                return;
        }
        QRandomGenerator *random = QRandomGenerator::global();
        const PersonData person = mPeople.at(int(random->bounded(uint(mPeople.size()))));
        const int uid = mEntrances->overKartu(person.karta);
        if (uid == 0) {
            mPeople.clear();
            return;
        }
        const uint type = 1 + random->bounded(8u);
        const uint direction = random->bounded(2u);
        mLastId = 0;
        if (!mEntrances->zapisPrerusenie(
                type, QString(), QString(), direction, person.karta, uint(uid), uint(person.dochid))
            || mLastId == 0)
            return;
        report(QByteArray("recorded ") + QByteArray::number(mLastId) + ' '
               + QByteArray::number(mLastTime) + ' ' + QByteArray::number(person.dochid) + ' '
               + QByteArray::number(type) + ' ' + QByteArray::number(direction) + '\n');
    }

    Base &mBase;
    ManagerPreruseni *mEntrances;
    QList<PersonData> mPeople;
    int mSincePeopleRead = 0;
    uint mLastId = 0;
    uint mLastTime = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    // The setup PIN's native settings stay in the working folder.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("."));
    return Startup::run(argc, argv, [](Base &base) { new SoakDriver(base); });
}
