#include "devices/waveoutput.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

WaveOutput::WaveOutput(QObject *parent)
    : QObject(parent)
{
}

void WaveOutput::play(const QString &file)
{
    QSoundEffect *&effect = mEffects[file];
    if (!effect) {
        effect = new QSoundEffect(this);
        effect->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
        apply(effect);
    }
    effect->play();
}

void WaveOutput::setVolume(int volume)
{
    mVolume = qBound(0, volume, 100) / 100.0;
    for (QSoundEffect *effect : qAsConst(mEffects))
        apply(effect);
}

void WaveOutput::setMuted(bool muted)
{
    mMuted = muted;
    for (QSoundEffect *effect : qAsConst(mEffects))
        apply(effect);
}

void WaveOutput::apply(QSoundEffect *effect) const
{
    effect->setVolume(mVolume);
    effect->setMuted(mMuted);
}
