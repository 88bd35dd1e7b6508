#pragma once

#include "db/fingerdata.h"

#include <QList>
#include <QObject>

// The fingerprint templates of one person, for the UI.
class FingersList : public QObject
{
    Q_OBJECT
public:
    explicit FingersList(QObject *parent = nullptr);

    void setFingers(const QList<FingerData> &fingers) { mFingers = fingers; }

public slots:
    // A copy of the entry, or an empty record outside the list.
    FingerData at(int index) const;
    int count() const { return mFingers.size(); }
    // The finger number of the entry, 0 outside the list.
    uint getFinger(int idx) const;

private:
    QList<FingerData> mFingers;
};
