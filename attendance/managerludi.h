#pragma once

#include <QObject>
#include <QString>

class DataDBManager;
class LudiaModel;
struct PersonData;

// Adds, edits and deletes people and assigns cards for the administration screens.
class ManagerLudi : public QObject
{
    Q_OBJECT
public:
    ManagerLudi(LudiaModel *model, DataDBManager *attendanceDb, QObject *parent = nullptr);

public slots:
    void obnovModelData();
    // Fills the model the first time the people are shown; later it is refilled
    // only by obnovModelData().
    void ensureLoaded();
    bool pridajCloveka(
        uint dochid, const QString &titul, const QString &meno, const QString &priez, uint admin);
    bool upravCloveka(uint uid,
                      uint dochid,
                      const QString &titul,
                      const QString &meno,
                      const QString &priez,
                      uint admin);
    bool zmazCloveka(uint uid);
    bool priradKartu(uint uid, const QString &karta);
    bool existujeAdmin();

private:
    // The person with that uid unless deleted; a miss is logged under the operation's name.
    PersonData loadLiving(uint uid, const char *operation);

    LudiaModel *mModel;
    DataDBManager *mAttendanceDb;
    bool mLoaded = false;
};
