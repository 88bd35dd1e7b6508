#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

struct PersonData;
struct TermData;

// The operation paths and the bodies of the attendance-server requests. Every path but the
// registration's carries the terminal key: the identifier pair of the terminal's server id
// and its remote-management id.
class RequestBuilder
{
public:
    void setTerminal(uint serverId, uint remoteId);
    QString terminalKey() const { return mKey; }

    QString syncPath(bool force) const;
    QString syncConfirmationPath(uint ts, ushort flags) const;
    static QString registrationPath();
    QString terminalPath() const;
    QString intersPath() const;
    QString peoplePath() const; // all people; also where a new person is posted
    QString personPath(uint first, uint pid) const;
    QString entrancesPath() const; // where a new entrance is posted
    QString entrancePath(uint refId, uint localId) const;

    static QByteArray json(const QVariantMap &body);
    static QVariantMap personBody(const PersonData &person);
    // Puts the fields of the terminal record that differ between the two into the body of the
    // terminal's update (or registration).
    static void
    addTerminalChanges(QVariantMap &changes, const TermData &stored, const TermData &fresh);
    // An entrance to add; the numbers that are 0 and an empty photo path are left out.
    static QVariantMap entranceBody(
        uint iid, uint type, uint pid, uint uid, uint localId, const QString &imgPath, uint time);
    // The photo the entrance names, as "image", when the file can be read and is not empty.
    static void addImage(QVariantMap &entrance);

private:
    QString mKey;
};
