#pragma once

#include <QHash>
#include <QObject>

class QSoundEffect;

// Plays ".wav" files through the platform's sound-effect facility; returns at once and lets
// different sounds overlap. One effect per file is kept, so a repeated sound restarts and
// nothing piles up when there is no audio device. Playback failures stay silent.
class WaveOutput : public QObject
{
    Q_OBJECT
public:
    explicit WaveOutput(QObject *parent = nullptr);

    virtual void play(const QString &file);

private:
    QHash<QString, QSoundEffect *> mEffects;
};
