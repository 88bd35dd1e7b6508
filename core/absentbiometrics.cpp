#include "core/absentbiometrics.h"

#include "foundation/globals.h"

#include <QDebug>

// The lines name the controller's slots, through which the UI calls these.

bool AbsentBiometrics::initFingerprintModule()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::initFingerprintModule()");
    return false;
}

bool AbsentBiometrics::addFingerprint4Person(uint uid, uint finger)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::addFingerprint4Person(%u, %u)", uid, finger);
    return false;
}

void AbsentBiometrics::getFingersToList(uint uid)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::getFingersToList(%u)", uid);
}

bool AbsentBiometrics::checkUserIdentity(uint uid)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::checkUserIdentity(%u)", uid);
    return false;
}

bool AbsentBiometrics::deleteFingerprint(uint uid, uint fingerID)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::deleteFingerprint(%u, %u)", uid, fingerID);
    return false;
}

void AbsentBiometrics::updateFingerpritUsage()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::updateFingerpritUsage()");
}

void AbsentBiometrics::startFaceEnroll(uint pid)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::startFaceEnroll(%u)", pid);
}

void AbsentBiometrics::stopFaceEnroll()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::stopFaceEnroll()");
}

void AbsentBiometrics::applyFaceEnroll()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::applyFaceEnroll()");
}

void AbsentBiometrics::startFaceDetect()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::startFaceDetect()");
}

void AbsentBiometrics::stopFaceDetect()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::stopFaceDetect()");
}

void AbsentBiometrics::startFaceRecognize()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::startFaceRecognize()");
}

void AbsentBiometrics::stopFaceRecognize()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::stopFaceRecognize()");
}
