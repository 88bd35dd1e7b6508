#include "foundation/backgroundsync.h"

#include "foundation/disksync.h"
#include "foundation/happensbefore.h"

#include <QFileDevice>
#include <QThreadPool>

#include <functional>
#include <memory>

namespace BackgroundSync {

namespace {
// One thread that stays: starting a thread per sync would cost more than it saves.
QThreadPool &syncThread()
{
    static QThreadPool pool;
    static const bool configured = [] {
        pool.setMaxThreadCount(1);
        pool.setExpiryTimeout(-1);
        return true;
    }();
    Q_UNUSED(configured)
    return pool;
}
} // namespace

std::shared_future<bool> start(QFileDevice &file, bool withFolder)
{
    auto synced = std::make_shared<std::promise<bool>>();
    std::shared_future<bool> result = synced->get_future().share();
    // The pool hands the job over inside Qt, where ThreadSanitizer cannot see it.
    static const char handOver = 0;
    std::function<void()> job = [&file, withFolder, synced] {
        HappensBefore::acquire(&handOver);
        DiskSync *disk = DiskSync::instance();
        synced->set_value(disk->syncFile(file)
                          && (!withFolder || disk->syncFolderOf(file.fileName())));
    };
    HappensBefore::release(&handOver);
    syncThread().start(std::move(job));
    return result;
}

} // namespace BackgroundSync
