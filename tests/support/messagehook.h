#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

// While alive, runs an action in the logging thread the first time a message
// starting with the prefix is written; every message still reaches the
// previous handler. Lets a test act at a precise point of a worker thread.
class MessageHook
{
public:
    MessageHook(const QString &prefix, std::function<void()> action);
    ~MessageHook();

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &text);
    void onMessage(const QString &text);

    QString mPrefix;
    std::function<void()> mAction;
    bool mFired = false;
    QtMessageHandler mPrevious;
};
