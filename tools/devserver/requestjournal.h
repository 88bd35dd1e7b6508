#pragma once

#include <QJsonArray>
#include <QString>

#include <mutex>

// The protocol requests the server answered, newest last, for tests to read back.
class RequestJournal
{
public:
    void add(const QString &method, const QString &path, int status);
    QJsonArray entries() const;
    void clear();

private:
    mutable std::mutex mMutex;
    QJsonArray mEntries;
};
