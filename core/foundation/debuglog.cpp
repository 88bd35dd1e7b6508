#include "core/foundation/debuglog.h"

#include "core/foundation/globals.h"

#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>

namespace DebugLog {

QString prefix(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("D: ");
    case QtWarningMsg:
        return QStringLiteral("W: ");
    case QtCriticalMsg:
        return QStringLiteral("C: ");
    case QtFatalMsg:
        return QStringLiteral("F: ");
    default:
        return QString();
    }
}

QString line(QtMsgType type, const QString &text, const QDateTime &when)
{
    return when.toString(QStringLiteral("yyMMdd-hhmmss ")) + prefix(type) + text;
}

QString filePath()
{
    return ZepFiles::debugLogDir + QStringLiteral("/zep-debug.log");
}

void handler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    QTextStream out(type == QtDebugMsg ? stdout : stderr);
    QFile file(filePath());
    if (Zep::loggingEnabled && file.open(QIODevice::Append | QIODevice::Text))
        out.setDevice(&file);
    out << line(type, text, QDateTime::currentDateTime()) << '\n';
    out.flush();
    if (file.isOpen())
        file.close();
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace DebugLog
