#pragma once

#include <QObject>
#include <QString>

class DataDBManager;
class LudiaModel;

// Adds, edits and deletes people and assigns cards for the administration screens.
class ManagerLudi : public QObject
{
    Q_OBJECT
public:
    ManagerLudi(LudiaModel *model, DataDBManager *dataDb, QObject *parent = nullptr);

public slots:
    void obnovModelData();
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
    LudiaModel *mModel;
    DataDBManager *mDataDb;
};
