#pragma once

#include <QThread>

#include <climits>
#include <utility>

// Orderings between threads that ThreadSanitizer cannot see. Qt's library is not built with
// the sanitizer, so the order that QThread::wait(), QThreadPool and queued or blocking calls
// make inside it is invisible, and what one thread wrote before handing over looks
// unsynchronised when the other reads it. The thread handing over calls release(key), the
// one taking over acquire(key); everything before the release then counts as seen. Without
// ThreadSanitizer both are nothing.
#if defined(__SANITIZE_THREAD__)
#define ZEP_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ZEP_THREAD_SANITIZER 1
#endif
#endif

#ifdef ZEP_THREAD_SANITIZER
extern "C" void __tsan_acquire(void *addr);
extern "C" void __tsan_release(void *addr);
extern "C" void AnnotateIgnoreWritesBegin(const char *file, int line);
extern "C" void AnnotateIgnoreWritesEnd(const char *file, int line);
#endif

namespace HappensBefore {

inline void release(const void *key)
{
#ifdef ZEP_THREAD_SANITIZER
    __tsan_release(const_cast<void *>(key));
#else
    Q_UNUSED(key)
#endif
}

inline void acquire(const void *key)
{
#ifdef ZEP_THREAD_SANITIZER
    __tsan_acquire(const_cast<void *>(key));
#else
    Q_UNUSED(key)
#endif
}

// Called by a thread class once, before its first start: at the end of every run the thread
// releases itself, for wait() and isIdle() below.
inline void releaseWhenFinished(QThread *thread)
{
    QObject::connect(thread, &QThread::finished, [thread] { release(thread); });
}

// QThread::wait(); once it returns true, the caller sees what the thread did.
inline bool wait(QThread *thread, unsigned long ms = ULONG_MAX)
{
    const bool finished = thread->wait(ms);
    if (finished)
        acquire(thread);
    return finished;
}

// !QThread::isRunning(); when it is true, the caller sees what the thread's last run did.
inline bool isIdle(QThread *thread)
{
    const bool idle = !thread->isRunning();
    if (idle)
        acquire(thread);
    return idle;
}

// QMetaObject::invokeMethod(context, work, type) for work in context's thread, which is not
// the caller's (type Qt::QueuedConnection or Qt::BlockingQueuedConnection): work sees what the
// caller did before, and after a blocking call the caller sees what work did.
template<typename Work>
bool invoke(QObject *context, Work work, Qt::ConnectionType type = Qt::QueuedConnection)
{
    Q_ASSERT(type == Qt::QueuedConnection || type == Qt::BlockingQueuedConnection);
    // The key is a static of its own for each kind of work: the queued call must find it
    // without reading anything the caller wrote.
    static const char key = 0;
    release(&key);
#ifdef ZEP_THREAD_SANITIZER
    // The queued call is made after the release; it is new memory that only the other
    // thread uses, so its making is not recorded. Work never runs in here: it is queued.
    AnnotateIgnoreWritesBegin(__FILE__, __LINE__);
#endif
    const bool invoked = QMetaObject::invokeMethod(
        context,
        [work = std::move(work)]() mutable {
            acquire(&key);
            work();
            release(&key);
        },
        type);
#ifdef ZEP_THREAD_SANITIZER
    AnnotateIgnoreWritesEnd(__FILE__, __LINE__);
#endif
    if (type == Qt::BlockingQueuedConnection)
        acquire(&key);
    return invoked;
}

} // namespace HappensBefore
