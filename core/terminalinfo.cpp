#include "core/terminalinfo.h"

#include "core/terminalidentity.h"
#include "core/terminalrecord.h"

TerminalInfo::TerminalInfo(const TerminalRecord *terminal, QObject *parent)
    : QObject(parent)
    , mTerminal(terminal)
{
    connect(terminal, &TerminalRecord::saved, this, &TerminalInfo::changed);
}

QString TerminalInfo::version() const
{
    return mTerminal->data().ver;
}

QVariantMap TerminalInfo::identity() const
{
    return TerminalIdentity::shown(mTerminal->data());
}
