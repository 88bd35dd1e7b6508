#include "tests/support/dbmessagecapture.h"

#include <mutex>

namespace {
std::mutex captureMutex;
DbMessageCapture *active = nullptr;
} // namespace

DbMessageCapture::DbMessageCapture()
{
    {
        std::lock_guard<std::mutex> lock(captureMutex);
        active = this;
    }
    mPrevious = qInstallMessageHandler(&DbMessageCapture::handler);
}

DbMessageCapture::~DbMessageCapture()
{
    qInstallMessageHandler(mPrevious);
    std::lock_guard<std::mutex> lock(captureMutex);
    active = nullptr;
}

void DbMessageCapture::handler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    std::lock_guard<std::mutex> lock(captureMutex);
    if (!active)
        return;
    active->mAll.append(text);
    if (type == QtCriticalMsg || type == QtFatalMsg)
        active->mCritical.append(text);
}

QStringList DbMessageCapture::all() const
{
    std::lock_guard<std::mutex> lock(captureMutex);
    return mAll;
}

QStringList DbMessageCapture::critical() const
{
    std::lock_guard<std::mutex> lock(captureMutex);
    return mCritical;
}

QStringList DbMessageCapture::startingWith(const QString &prefix) const
{
    std::lock_guard<std::mutex> lock(captureMutex);
    QStringList found;
    for (const QString &text : mAll) {
        if (text.startsWith(prefix))
            found.append(text);
    }
    return found;
}
