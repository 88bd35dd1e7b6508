#pragma once

#include <mutex>
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

    mutable std::mutex mMutex;
    QStringList mAll;
    QStringList mCritical;
    QtMessageHandler mPrevious;
};
