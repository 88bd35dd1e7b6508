#include "tests/support/fakemanagedterminal.h"

#include <QFile>

FakeManagedTerminal::FakeManagedTerminal(const QString &settingsFile)
    : mSettingsFile(settingsFile)
{
}

bool FakeManagedTerminal::saveData()
{
    ++saves;
    return saveSucceeds;
}

QString FakeManagedTerminal::loadIni(bool)
{
    QFile file(mSettingsFile);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

bool FakeManagedTerminal::saveIni(const QString &text)
{
    QFile file(mSettingsFile);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(text.toLatin1()) == text.size();
}
