#pragma once

#include "tests/support/workdir.h"

#include <memory>

class Base;
class NetworkManager;
class ZEPSettings;

// A working folder in which the controller can start: the UI documents beside
// it (the loader with a stand-in main document, or the real ones), the native
// settings kept inside the folder, and the objects the entry point owns.
class ControllerSandbox
{
public:
    enum Documents { StandInMainDocument, RealDocuments };

    explicit ControllerSandbox(Documents documents = StandInMainDocument);
    ~ControllerSandbox();

    bool isValid() const { return mValid; }
    QString path() const { return mDir.path(); }
    // Created at the first call, so a test may write "zep.ini" before.
    ZEPSettings &settings();
    NetworkManager &networkManager();
    // A controller on these objects, not started yet; it must go before the sandbox.
    std::unique_ptr<Base> makeBase();

private:
    WorkDir mDir;
    bool mValid = false;
    std::unique_ptr<ZEPSettings> mSettings;
    std::unique_ptr<NetworkManager> mNetworkManager;
};
