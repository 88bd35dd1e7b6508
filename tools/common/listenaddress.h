#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>

class QCommandLineParser;

// The "--host" and "--port" options every development server listens by.
class ListenAddress
{
public:
    explicit ListenAddress(const QString &defaultPort);

    QList<QCommandLineOption> options() const { return { mHostOption, mPortOption }; }
    // Takes the values from a processed parser; false when the port is not a TCP port.
    bool read(const QCommandLineParser &parser);

    QString host;
    int port = 0;

private:
    QCommandLineOption mHostOption;
    QCommandLineOption mPortOption;
};
