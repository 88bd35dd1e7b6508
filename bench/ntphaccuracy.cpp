// Accuracy of the time-offset measurement against the development server running its clock
// 1234 ms ahead, started three ways: plain; with Nagle's algorithm left on (--nagle), so that a
// reply written in parts waits for the client's acknowledgement; and holding each request back
// by a random 0..20 ms on its way in (--ntph-delay). The client opens a fresh connection for
// every exchange, as the terminal does. Twenty measurements each with the default 20
// exchanges, side by side with a naive estimate from one exchange.

#include "timesync/ntphclient.h"

#include "tests/support/devserverprocess.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

const int serverOffsetMs = 1234;
const int maxInboundDelayMs = 20;
const int measurements = 20;

// Median and worst of the absolute errors; -1 without any.
struct Errors
{
    QList<int> values;

    int median() const
    {
        if (values.isEmpty())
            return -1;
        QList<int> sorted = absolute();
        std::sort(sorted.begin(), sorted.end());
        return sorted.at(sorted.size() / 2);
    }
    int worst() const
    {
        if (values.isEmpty())
            return -1;
        const QList<int> all = absolute();
        return *std::max_element(all.begin(), all.end());
    }

private:
    QList<int> absolute() const
    {
        QList<int> result;
        for (int value : values)
            result << qAbs(value);
        return result;
    }
};

// One exchange, its offset taken at face value.
bool naiveOffset(QNetworkAccessManager &network, const DevServerProcess &server, int &offset)
{
    const qint64 t1 = QDateTime::currentMSecsSinceEpoch();
    QNetworkReply *reply
        = network.get(QNetworkRequest(server.url(QStringLiteral("/ntph/%1").arg(t1))));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    const qint64 t4 = QDateTime::currentMSecsSinceEpoch();
    const QString body = QString::fromLatin1(reply->readAll());
    const bool answered = reply->isFinished() && reply->error() == QNetworkReply::NoError;
    reply->deleteLater();
    if (!answered)
        return false;
    NtphClient parser;
    offset = parser.parseNtph(body, t4).offset;
    return true;
}

bool measuredOffset(NtphClient &client, const DevServerProcess &server, int &offset)
{
    bool valid = false;
    QEventLoop loop;
    const QMetaObject::Connection done
        = QObject::connect(&client, &NtphClient::currentOffsetMs, &loop, [&](int result, bool ok) {
              offset = result;
              valid = ok;
              loop.quit();
          });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    if (client.getOffset(server.host(), server.port()))
        loop.exec();
    QObject::disconnect(done);
    return valid;
}

// Twenty measurements against one development server; false when the server did not start
// or an exchange failed.
bool measureAgainst(const QStringList &serverArguments, const QString &description)
{
    DevServerProcess server;
    server.setExtraArguments(
        QStringList { QStringLiteral("--clock-offset"), QString::number(serverOffsetMs) }
        + serverArguments);
    if (!server.start()) {
        std::fprintf(
            stderr, "development server did not start:\n%s\n", qPrintable(server.output()));
        return false;
    }

    QNetworkAccessManager network;
    NtphClient client;
    Errors measured;
    Errors naive;
    std::printf("\nserver clock +%d ms, %s\n", serverOffsetMs, qPrintable(description));
    std::printf("%-4s %10s %8s %10s\n", "run", "error ms", "answers", "naive ms");
    int failed = 0;
    for (int run = 1; run <= measurements; ++run) {
        int naiveResult = 0;
        int result = 0;
        if (!naiveOffset(network, server, naiveResult)) {
            std::fprintf(stderr, "naive exchange %d failed\n", run);
            return false;
        }
        // Like the terminal: an answer that is not valid is asked again at once, three times.
        int answers = 0;
        bool valid = false;
        while (!valid && answers < 4) {
            valid = measuredOffset(client, server, result);
            ++answers;
        }
        naive.values << naiveResult - serverOffsetMs;
        if (!valid) {
            ++failed;
            std::printf("%-4d %10s %8d %10d\n", run, "none", answers, naive.values.last());
            continue;
        }
        measured.values << result - serverOffsetMs;
        std::printf(
            "%-4d %10d %8d %10d\n", run, measured.values.last(), answers, naive.values.last());
    }

    std::printf("\n%-22s %10s %10s\n", "", "median", "worst");
    std::printf("%-22s %10d %10d\n", "measurement error ms", measured.median(), measured.worst());
    std::printf("%-22s %10d %10d\n", "naive error ms", naive.median(), naive.worst());
    std::printf("runs without a valid answer: %d of %d\n", failed, measurements);
    const bool met = failed == 0 && measured.median() < 2 && measured.worst() < 5;
    std::printf("goal (median < 2 ms, worst < 5 ms): %s\n", met ? "met" : "NOT met");
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const bool measured
        = measureAgainst({}, QStringLiteral("plain development server"))
        && measureAgainst({ QStringLiteral("--nagle") },
                          QStringLiteral("Nagle's algorithm on (--nagle)"))
        && measureAgainst(
              { QStringLiteral("--ntph-delay"), QString::number(maxInboundDelayMs) },
              QStringLiteral("0..%1 ms random delay towards the server").arg(maxInboundDelayMs));
    return measured ? 0 : 1;
}
