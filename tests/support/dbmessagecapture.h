#pragma once

#include <QStringList>
#include <QtGlobal>

// Collects the debug-facility messages of every thread while it lives; the
// previous handler is restored afterwards. One capture at a time.
class DbMessageCapture
{
public:
    DbMessageCapture();
    ~DbMessageCapture();

    QStringList all() const;
    QStringList critical() const;
    // Messages that start with the prefix.
    QStringList startingWith(const QString &prefix) const;

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &text);

    // Guarded by the capture mutex, as is the active capture: a message of another thread
    // may come while the capture ends.
    QStringList mAll;
    QStringList mCritical;
    QtMessageHandler mPrevious;
};
