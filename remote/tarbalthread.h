#pragma once

#include <QString>
#include <QStringList>
#include <QThread>

// Packs files or folders into a gzip-compressed tar archive in its own thread
// ("tar" through the command runner) and reports the archive and tar's status.
class TarbalThread : public QThread
{
    Q_OBJECT
public:
    static constexpr int timeoutMs = 30 * 60 * 1000;

    TarbalThread(const QStringList &sources, const QString &archive, QObject *parent = nullptr);

signals:
    void finished(QObject *object, QString file, int status);

protected:
    void run() override;

private:
    QStringList mSources;
    QString mArchive;
};
