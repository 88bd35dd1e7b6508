#include "foundation/debuglog.h"

#include <QtGlobal>

int main()
{
    qInstallMessageHandler(DebugLog::handler);
    qWarning("before the end");
    qFatal("the end");
    qWarning("never written");
    return 0;
}
