// Replies of the remote-management service, decrypted and parsed, read into what the
// handler acts on. Qt's JSON reader stands in for the script engine's JSON.parse of the
// handler: both give the same maps, lists, strings, numbers and booleans.
#include "fuzzsupport.h"

#include "remote/remotereply.h"

#include <QJsonDocument>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QVariantMap parsed
        = QJsonDocument::fromJson(FuzzSupport::bytes(data, size)).toVariant().toMap();
    const RemoteReply reply = RemoteReply::read(parsed);
    for (const RemoteReply::Item &item : reply.items)
        (void)item.data.toString();
    for (const RemoteReply::Event &event : reply.events)
        (void)event.data.value(QStringLiteral("url")).toString();
    return 0;
}
