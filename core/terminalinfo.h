#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

class TerminalRecord;

// What the system page shows of the terminal record: the application's version and the
// installed identity (id, name, model, pn, sn, li, refId; without the key and the token),
// announced again whenever the record is saved.
class TerminalInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString version READ version NOTIFY changed)
    Q_PROPERTY(QVariantMap identity READ identity NOTIFY changed)
public:
    explicit TerminalInfo(const TerminalRecord *terminal, QObject *parent = nullptr);

    QString version() const;
    QVariantMap identity() const;

signals:
    void changed();

private:
    const TerminalRecord *mTerminal;
};
