#pragma once

#include <QHash>
#include <QObject>

class QSoundEffect;

// Plays ".wav" files through the platform's sound-effect facility; returns at once and lets
// different sounds overlap. One effect per file is kept, so a repeated sound restarts and
// nothing piles up when there is no audio device. Playback failures stay silent. The volume
// and the mute apply to every sound, also to one that is playing.
class WaveOutput : public QObject
{
    Q_OBJECT
public:
    explicit WaveOutput(QObject *parent = nullptr);

    virtual void play(const QString &file);
    // 0 (silent) to 100 (the file as recorded), linear in amplitude; outside values are
    // taken as the nearer end.
    void setVolume(int volume);
    void setMuted(bool muted);

private:
    void apply(QSoundEffect *effect) const;

    QHash<QString, QSoundEffect *> mEffects;
    qreal mVolume = 1.0;
    bool mMuted = false;
};
