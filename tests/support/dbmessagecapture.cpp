#include "tests/support/dbmessagecapture.h"

#include <QMutexLocker>

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
    QMutexLocker lock(&self->mMutex);
    self->mAll.append(text);
    if (type == QtCriticalMsg || type == QtFatalMsg)
        self->mCritical.append(text);
}

QStringList DbMessageCapture::all() const
{
    QMutexLocker lock(&mMutex);
    return mAll;
}

QStringList DbMessageCapture::critical() const
{
    QMutexLocker lock(&mMutex);
    return mCritical;
}

QStringList DbMessageCapture::startingWith(const QString &prefix) const
{
    QMutexLocker lock(&mMutex);
    QStringList found;
    for (const QString &text : mAll) {
        if (text.startsWith(prefix))
            found.append(text);
    }
    return found;
}
