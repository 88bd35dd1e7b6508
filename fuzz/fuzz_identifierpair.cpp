// Identifier pairs of request paths: any text is read without harm, and a pair the
// terminal encodes reads back as the same two numbers.
#include "fuzzsupport.h"

#include "devserver/identifierpair.h"
#include "sync/idpairencoding.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    uint a = 0;
    uint b = 0;
    (void)IdentifierPair::decode(QString::fromLatin1(FuzzSupport::bytes(data, size)), a, b);

    if (size >= 2 * sizeof(uint)) {
        uint first;
        uint second;
        std::memcpy(&first, data, sizeof first);
        std::memcpy(&second, data + sizeof first, sizeof second);
        if (!IdentifierPair::decode(IdPairEncoding::encode(first, second), a, b) || a != first
            || b != second)
            std::abort();
    }
    return 0;
}
