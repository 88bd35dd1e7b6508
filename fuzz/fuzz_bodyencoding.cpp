// Encoded bodies: any text decodes without harm, and every body survives its encoding.
#include "fuzzsupport.h"

#include "foundation/bodyencoding.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = FuzzSupport::bytes(data, size);
    (void)decodeBody(input);
    if (decodeBody(encodeBody(input)) != input)
        std::abort();
    return 0;
}
