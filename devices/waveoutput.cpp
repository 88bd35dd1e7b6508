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
    }
    effect->play();
}
