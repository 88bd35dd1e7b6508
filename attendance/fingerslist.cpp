#include "attendance/fingerslist.h"

FingersList::FingersList(QObject *parent)
    : QObject(parent)
{
}

FingerData FingersList::at(int index) const
{
    return mFingers.value(index);
}

uint FingersList::getFinger(int idx) const
{
    return mFingers.value(idx).finger;
}
