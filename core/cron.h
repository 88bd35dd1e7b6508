#pragma once

#include <QObject>

class QTimer;

// The one-second tick of every periodic duty, with slower ticks derived from the
// count of seconds. Counts survive stop() and start().
class Cron : public QObject
{
    Q_OBJECT
public:
    explicit Cron(bool autoStart, QObject *parent = nullptr);

    bool isActive() const;

signals:
    void timeout1(uint count);
    void timeout5(uint count);
    void timeout10(uint count);
    void timeout15(uint count);
    void timeout30(uint count);
    void timeout60(uint count);
    void timeout3600(uint count);

public slots:
    void setTimeout(int tout);
    void start();
    void stop();
    void doTimeout();

private:
    int mInterval = 1000;
    QTimer *mTimer;
    uint mSeconds = 0;
    uint mCount5 = 0;
    uint mCount10 = 0;
    uint mCount15 = 0;
    uint mCount30 = 0;
    uint mCount60 = 0;
    uint mCount3600 = 0;
};
