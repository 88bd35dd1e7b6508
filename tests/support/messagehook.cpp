#include "tests/support/messagehook.h"

#include <atomic>
#include <mutex>

namespace {
std::atomic<MessageHook *> activeHook { nullptr };
std::mutex hookMutex;
} // namespace

MessageHook::MessageHook(const QString &prefix, std::function<void()> action)
    : mPrefix(prefix)
    , mAction(std::move(action))
{
    activeHook = this;
    mPrevious = qInstallMessageHandler(&MessageHook::handler);
}

MessageHook::~MessageHook()
{
    qInstallMessageHandler(mPrevious);
    activeHook = nullptr;
}

void MessageHook::handler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    MessageHook *self = activeHook.load();
    if (!self)
        return;
    self->onMessage(text);
    if (self->mPrevious)
        self->mPrevious(type, context, text);
}

void MessageHook::onMessage(const QString &text)
{
    {
        std::lock_guard<std::mutex> lock(hookMutex);
        if (mFired || !text.startsWith(mPrefix))
            return;
        mFired = true;
    }
    mAction();
}
