#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

class CamControl;
class Clovek;
class LastEntrance;
class DataDBManager;
class ZEPSettings;
class ZepDBManager;
struct PersonData;

// Identifies a person and records, shows and deletes entrances for the UI.
class ManagerPreruseni : public QObject
{
    Q_OBJECT
public:
    static constexpr int peopleUnreadable = -1;

    ManagerPreruseni(CamControl *camera,
                     Clovek *clovek,
                     DataDBManager *attendanceDb,
                     ZEPSettings *settings,
                     ZepDBManager *catalogueDb,
                     QObject *parent = nullptr);

    // The identified person's last entrance, as poslednePrerusenie() read it.
    LastEntrance *lastEntrance() const { return mLast; }

signals:
    void makeAccess(uint dochID, QString cardID, int ID, int Type);
    // A recorded entrance is ready for upload to the attendance server.
    void sigAddEntrance(uint typeId,
                        uint direction,
                        uint dochId,
                        uint refId,
                        QString imgPath,
                        uint localId,
                        uint time);
    // A deleted entrance that the server already knows must be deleted there too (the
    // deletion also waits in the sync queue until the server confirms it).
    void sigDeleteEntrance(uint id, uint syn);

public slots:
    bool zapisPrerusenie(uint aTypeId,
                         const QString &aNazov,
                         const QString &aSkratka,
                         uint aStav,
                         const QString &rfidCode,
                         uint aUid = 0,
                         uint aDochId = 0);
    // After zapisPrerusenie() returned false: whether the entrance may still have been
    // recorded (a commit failed and the terminal could not find out), so that it must not be
    // recorded again.
    bool recordingUndecided() const { return mRecordingUndecided; }
    // The identifiers return the uid of the person found, 0 for nobody, and
    // peopleUnreadable when the people cannot be read (a terminal fault, not an unknown card).
    int overKartu(const QString &aKarta);
    int overPIN(uint pin);
    int checkFingerUser(uint fpID);
    void poslednePrerusenie(uint aUid);
    // Deletes the last entrance while "timeout/zmazaniePrerusenia" allows it.
    bool vymazPoslednePrerusenie();
    bool checkLastPrerus();
    QString getLastPrerusCas() const;
    QString getLastPrerusText() const;

private:
    void preparePictureDirectory();
    int identify(const PersonData &person, bool read);
    QString savePhoto(uint entranceId);

    CamControl *mCamera;
    Clovek *mClovek;
    DataDBManager *mAttendanceDb;
    ZEPSettings *mSettings;
    ZepDBManager *mCatalogueDb;
    bool mRecordingUndecided = false;
    LastEntrance *mLast;
    bool mLocalTime = true;
    bool mTakePhoto = true;
};
