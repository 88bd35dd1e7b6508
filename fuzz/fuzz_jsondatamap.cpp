// The JSON text of a server reply turned into a map.
#include "fuzzsupport.h"

#include "sync/tuldbmanager.h"

namespace {
TulDbManager *manager = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::initialize(argc, argv);
    manager = FuzzSupport::protocol();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QVariantMap map = manager->jsonDataToMap(FuzzSupport::bytes(data, size));
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        (void)it.value().toMap().size();
    return 0;
}
