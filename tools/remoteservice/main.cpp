// Development remote-management service:
//   zep-remoteservice --port 8090 --config <config.json> --uploads <folder>
#include "common/httplistener.h"
#include "common/listenaddress.h"
#include "remoteservice/remoteservice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <httplib.h>

#include <cstdio>

namespace {

void answerJson(httplib::Response &response, int status, const QJsonObject &object)
{
    response.status = status;
    response.set_content(QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString(),
                         "application/json");
}

// The encrypted text of a request: the "q" parameter, or the last path segment of
// the clean URL form.
QString encryptedText(const httplib::Request &request)
{
    if (request.has_param("q"))
        return QString::fromStdString(request.get_param_value("q"));
    return QString::fromStdString(request.path).section(QLatin1Char('/'), -1);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zep-remoteservice"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Development remote-management service for the ZEP terminal."));
    parser.addHelpOption();
    ListenAddress address(QStringLiteral("8090"));
    const QCommandLineOption configOption(
        QStringLiteral("config"),
        QStringLiteral("JSON: the attendance server to announce, the terminals with their "
                       "keys, items and events."),
        QStringLiteral("file"));
    const QCommandLineOption uploadsOption(QStringLiteral("uploads"),
                                           QStringLiteral("Folder for uploaded files."),
                                           QStringLiteral("folder"),
                                           QStringLiteral("uploads"));
    parser.addOptions(address.options());
    parser.addOptions({ configOption, uploadsOption });
    parser.process(app);

    if (!address.read(parser) || !parser.isSet(configOption)) {
        std::fprintf(stderr, "usage: zep-remoteservice --config <file> [--port <port>]\n");
        return 2;
    }
    RemoteService service;
    QString error;
    if (!service.load(parser.value(configOption), error)) {
        std::fprintf(stderr,
                     "cannot read %s: %s\n",
                     qPrintable(parser.value(configOption)),
                     qPrintable(error));
        return 2;
    }
    service.setUploadFolder(parser.value(uploadsOption));

    httplib::Server server;
    server.Get("/ping.html", [](const httplib::Request &, httplib::Response &response) {
        response.set_content("<html><body>OK</body></html>", "text/html");
    });
    server.Get("/admin/state", [&](const httplib::Request &, httplib::Response &response) {
        answerJson(response, 200, service.state());
    });
    const auto adminAdd = [&](bool item) {
        return [&service, item](const httplib::Request &request, httplib::Response &response) {
            const int tid = QString::fromStdString(request.get_param_value("tid")).toInt();
            const QJsonObject body
                = QJsonDocument::fromJson(QByteArray::fromStdString(request.body)).object();
            const bool added = item ? service.addItem(tid, body) : service.addEvent(tid, body);
            answerJson(response, added ? 200 : 400, {});
        };
    };
    server.Post("/admin/item", adminAdd(true));
    server.Post("/admin/event", adminAdd(false));
    const auto protocol = [&](const httplib::Request &request, httplib::Response &response) {
        QString fileName;
        QByteArray fileData;
        if (request.has_file("upfile")) {
            const httplib::MultipartFormData file = request.get_file_value("upfile");
            fileName = QString::fromStdString(file.filename);
            fileData = QByteArray::fromStdString(file.content);
        }
        const RemoteService::Answer answer
            = service.handle(encryptedText(request), fileName, fileData);
        response.status = answer.status;
        response.set_content(answer.body.toStdString(), "text/plain");
    };
    server.Get("/.*", protocol);
    server.Post("/.*", protocol);

    HttpListener listener(server);
    const int bound = listener.start(address.host, address.port);
    if (bound < 0) {
        std::fprintf(stderr, "cannot listen on %s:%d\n", qPrintable(address.host), address.port);
        return 1;
    }
    std::printf("listening on %s:%d\n", qPrintable(address.host), bound);
    std::fflush(stdout);
    return app.exec();
}
