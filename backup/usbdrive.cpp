#include "backup/usbdrive.h"

#include "backup/copybackups.h"
#include "devices/informator.h"

UsbDrive::UsbDrive(const CopyBackups *copy, const Informator *informator, QObject *parent)
    : QObject(parent)
    , mCopy(copy)
    , mPresent(copy->isDriveWritable())
{
    connect(informator, &Informator::parserStop, this, &UsbDrive::check);
    connect(copy, &CopyBackups::busyChanged, this, &UsbDrive::check);
}

void UsbDrive::check()
{
    const bool present = mCopy->isDriveWritable();
    if (present == mPresent)
        return;
    mPresent = present;
    emit presentChanged(present);
}
