#pragma once

#include <QMetaType>
#include <QString>

// One interruption type of the catalogue. The id is held in 32 bits: the
// server hands out ids well above 127.
struct PrerusenieData
{
    PrerusenieData() = default;
    PrerusenieData(qint32 pid, const QString &nazov, const QString &skratka)
        : pid(pid)
        , nazov(nazov)
        , skratka(skratka)
    {
    }
    PrerusenieData(qint32 pid, const QString &nazov, const QString &skratka, qint8 stav, int vaha)
        : pid(pid)
        , nazov(nazov)
        , skratka(skratka)
        , stav(stav)
        , vaha(vaha)
    {
    }

    qint32 pid = 0;
    QString nazov;
    QString skratka;
    qint8 stav = 0;
    int vaha = 0; // order value ("poradie") in records made by the loaders
};

Q_DECLARE_METATYPE(PrerusenieData)
