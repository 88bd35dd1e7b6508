#include "core/terminationsignals.h"

#include <QDebug>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = { -1, -1 };

void onSignal(int signalNumber)
{
    const char byte = static_cast<char>(signalNumber);
    // Only async-signal-safe work here: hand the signal to the event loop.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}

void setHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        qWarning("TerminationSignals: no socket pair, SIGTERM ends the process at once");
        return;
    }
    mNotifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(mNotifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        if (::read(signalPipe[1], &byte, 1) == 1) {
            qWarning("TerminationSignals: signal %d received, quitting", int(byte));
            emit terminationRequested();
        }
    });
    setHandler(SIGTERM, onSignal);
    setHandler(SIGINT, onSignal);
}

TerminationSignals::~TerminationSignals()
{
    if (!mNotifier)
        return;
    setHandler(SIGTERM, SIG_DFL);
    setHandler(SIGINT, SIG_DFL);
    delete mNotifier;
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}
