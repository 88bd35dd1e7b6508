#include "devices/player.h"

namespace {
// Slave mode reads "stop", "volume <n> 1" and "quit" on standard input.
const QString playerProgram = QStringLiteral("mplayer");
} // namespace

Player::Player(QObject *parent)
    : QObject(parent)
{
}

void Player::playFile(const QString &file)
{
    if (mProcess) {
        // The old process ends on the command written before; it cleans up after itself.
        QProcess *old = mProcess;
        disconnect(old, nullptr, this, nullptr);
        old->closeWriteChannel();
        if (old->state() == QProcess::NotRunning)
            old->deleteLater();
        else {
            connect(old,
                    qOverload<int, QProcess::ExitStatus>(&QProcess::finished),
                    old,
                    &QObject::deleteLater);
            connect(old, &QProcess::errorOccurred, old, &QObject::deleteLater);
        }
    }
    mProcess = new QProcess(this);
    connect(mProcess, &QProcess::started, this, &Player::started);
    connect(mProcess, &QProcess::errorOccurred, this, &Player::error);
    connect(mProcess,
            qOverload<int, QProcess::ExitStatus>(&QProcess::finished),
            this,
            &Player::finished);
    connect(mProcess, &QProcess::readyReadStandardOutput, this, &Player::readyReadStandardOutput);
    mProcess->start(playerProgram, { QStringLiteral("-slave"), QStringLiteral("-quiet"), file });
}

void Player::writeCommand(const QByteArray &command)
{
    // Commands written while the process starts are buffered and delivered once it runs.
    if (mProcess && mProcess->state() != QProcess::NotRunning)
        mProcess->write(command);
}
