#pragma once

#include "db/preruseniedata.h"

#include <QAbstractListModel>
#include <QList>

class ZepDBManager;

// The interruption types offered on the entrance screen, in catalogue order.
class PrerusenieModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles {
        PidRole = Qt::UserRole + 1,
        NazovRole,
        SkratkaRole,
        VahaRole,
    };

    explicit PrerusenieModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void addPrerusenie(const PrerusenieData &prerusenie);
    void clear();
    // Clears the model, then adds the types in the order given.
    void setPrerusenia(const QList<PrerusenieData> &prerusenia);
    // Refills the model from the catalogue database.
    void reload(ZepDBManager *catalogueDb);

    Q_INVOKABLE int getPid(int index) const;
    Q_INVOKABLE QString getNazov(int index) const;
    Q_INVOKABLE QString getSkratka(int index) const;
    Q_INVOKABLE int getVaha(int index) const;

private:
    bool isValidRow(int row) const { return row >= 0 && row < mPrerusenia.size(); }

    QList<PrerusenieData> mPrerusenia;
};
