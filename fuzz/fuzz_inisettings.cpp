// The settings text of an "ini" item: checked, written over the settings file and read
// back by the settings object, as when remote management applies it.
#include "fuzzsupport.h"

#include "foundation/zepsettings.h"
#include "core/terminalrecord.h"
#include "remote/inisettings.h"

#include <cstdlib>

namespace {
ZEPSettings *settings = nullptr;
TerminalRecord *record = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::initialize(argc, argv);
    settings = new ZEPSettings(QStringLiteral("zep.ini"));
    record = new TerminalRecord(settings);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(FuzzSupport::bytes(data, size));
    if (!isIniSettings(text))
        return 0;
    if (!record->saveIni(text))
        return 0;
    settings->syncSettings();
    const QStringList keys = settings->allKeys();
    for (const QString &key : keys)
        (void)settings->value(key).toString();
    if (record->loadIni(false) != QString::fromLatin1(text.toLatin1()))
        std::abort();
    return 0;
}
