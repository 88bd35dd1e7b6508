#pragma once

#include <QString>

// Whether the system may have a camera at all, answered from the device nodes
// alone: asking the multimedia backend loads it (megabytes, and on some systems
// seconds) only to find nothing. On Linux a camera is a "video*" node in /dev;
// elsewhere the answer is always yes and the backend is asked.
class VideoDeviceNodes
{
public:
    static const QString systemFolder;

    static bool anyIn(const QString &folder = systemFolder);
};
