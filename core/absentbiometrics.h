#pragma once

#include <QtGlobal>

// The fingerprint reader and the face recognition, which this edition has not:
// each operation writes its call as a debug line and answers as a terminal
// without the device.
class AbsentBiometrics
{
public:
    bool initFingerprintModule();
    bool addFingerprint4Person(uint uid, uint finger);
    void getFingersToList(uint uid);
    bool checkUserIdentity(uint uid);
    bool deleteFingerprint(uint uid, uint fingerID);
    void updateFingerpritUsage();
    void startFaceEnroll(uint pid);
    void stopFaceEnroll();
    void applyFaceEnroll();
    void startFaceDetect();
    void stopFaceDetect();
    void startFaceRecognize();
    void stopFaceRecognize();
};
