// Attendance-server replies: any status and body reaching the reply handler.
#include "fuzzsupport.h"

#include "sync/tuldbmanager.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace {
TulDbManager *manager = nullptr;

// The first byte picks the status; the rest is the body.
const ushort statuses[] = { 200, 200, 200, 200, 201, 204, 400, 401, 404, 500, 503, 0, 99, 600 };
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::initialize(argc, argv);
    manager = FuzzSupport::protocol();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const ushort status = statuses[data[0] % (sizeof statuses / sizeof statuses[0])];
    const QByteArray body = FuzzSupport::bytes(data + 1, size - 1);
    QMetaObject::invokeMethod(manager,
                              "clientReply",
                              Qt::DirectConnection,
                              Q_ARG(ushort, status),
                              Q_ARG(QByteArray, body));
    // What the event loop would do next: deliver what the reply posted.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
