#pragma once

#include <QObject>

class CopyBackups;
class Informator;

// Whether the removable drive that the copies go to is there: mounted on the copy's target
// and writable. Checked again after each sampling of the system information (which follows
// every mount and unmount at once) and when a copy starts or ends; a change is announced.
class UsbDrive : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool present READ isPresent NOTIFY presentChanged)
public:
    UsbDrive(const CopyBackups *copy, const Informator *informator, QObject *parent = nullptr);

    bool isPresent() const { return mPresent; }

public slots:
    void check();

signals:
    void presentChanged(bool present);

private:
    const CopyBackups *mCopy;
    bool mPresent = false;
};
