#include "devserver/requestjournal.h"

#include <QJsonObject>

namespace {
const int maxEntries = 1000;
}

void RequestJournal::add(const QString &method, const QString &path, int status)
{
    std::lock_guard<std::mutex> lock(mMutex);
    if (mEntries.size() >= maxEntries)
        mEntries.removeFirst();
    mEntries.append(QJsonObject { { "method", method }, { "path", path }, { "status", status } });
}

QJsonArray RequestJournal::entries() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mEntries;
}

void RequestJournal::clear()
{
    std::lock_guard<std::mutex> lock(mMutex);
    mEntries = QJsonArray();
}
