#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A PulseAudio server of the test's own with one null sink (no sound hardware), and a
// recording of what is played into it (parec on the sink's monitor), measured with sox.
class SoundSink
{
public:
    struct Level
    {
        double rms = -1;
        double peak = -1;
    };

    ~SoundSink();

    bool start();
    // What a client sets PULSE_SERVER to.
    QString serverAddress() const;

    bool startRecording();
    // Ends the recording and measures it; negative figures when that failed.
    Level stopRecording();

private:
    QTemporaryDir mDir;
    QProcess mServer;
    QProcess mRecorder;
};
