#include "tests/support/dbmessagecapture.h"

#include <mutex>

#include <atomic>

namespace {
std::atomic<DbMessageCapture *> active { nullptr };
}

DbMessageCapture::DbMessageCapture()
{
    active = this;
    mPrevious = qInstallMessageHandler(&DbMessageCapture::handler);
}

DbMessageCapture::~DbMessageCapture()
{
    qInstallMessageHandler(mPrevious);
    active = nullptr;
}

void DbMessageCapture::handler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    DbMessageCapture *self = active.load();
    if (!self)
        return;
    std::lock_guard<std::mutex> lock(self->mMutex);
    self->mAll.append(text);
    if (type == QtCriticalMsg || type == QtFatalMsg)
        self->mCritical.append(text);
}

QStringList DbMessageCapture::all() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mAll;
}

QStringList DbMessageCapture::critical() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mCritical;
}

QStringList DbMessageCapture::startingWith(const QString &prefix) const
{
    std::lock_guard<std::mutex> lock(mMutex);
    QStringList found;
    for (const QString &text : mAll) {
        if (text.startsWith(prefix))
            found.append(text);
    }
    return found;
}
