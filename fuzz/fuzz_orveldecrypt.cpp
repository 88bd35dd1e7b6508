// Remote-management replies as they arrive: any wire text decrypts without harm, and
// every text survives its encryption up to its first NUL.
#include "fuzzsupport.h"

#include "remote/orvelcrypto.h"

#include <cstdlib>

namespace {
// A fixed message time keeps the key, and so the run, reproducible.
const uint messageTime = 1765400000;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::initialize(argc, argv);
    setTermData(7, QStringLiteral("shared-key"), QStringLiteral("SN-0007"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = FuzzSupport::bytes(data, size);
    (void)orvelDecrypt(QString::fromLatin1(input));

    const QString plain = QString::fromUtf8(input);
    const QString wire = orvelEncrypt(plain, messageTime);
    const QString expected = plain.left(plain.indexOf(QChar(0)));
    if (!expected.isEmpty() && orvelDecrypt(wire) != expected)
        std::abort();
    return 0;
}
