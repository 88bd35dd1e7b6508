// NTPH replies of the attendance server: any text read at any local time.
#include "fuzzsupport.h"

#include "timesync/ntphclient.h"

#include <cstring>

namespace {
NtphClient *client = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::initialize(argc, argv);
    client = new NtphClient;
    return 0;
}

// The first eight bytes are the receive time, the rest is the reply as the client reads it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    qint64 t4 = 0;
    if (size < sizeof t4)
        return 0;
    std::memcpy(&t4, data, sizeof t4);
    const QString text
        = QString::fromLatin1(FuzzSupport::bytes(data + sizeof t4, size - sizeof t4));
    (void)NtphClient::verdict(client->parseNtph(text, t4));
    return 0;
}
