#pragma once

#include "FileMapHandler.h"
#include "FileServer.h"
#include "FirmwareUpdate.h"

class QQmlApplicationEngine;
class WorkerAsync;

/// The firmware catalogue, the file server and the update run the screens reach as the context
/// properties "fileHandler", "fileServer" and "firmwareUpdate". GUI thread; lives as long as
/// the engine it is published to. When the program quits, a running update is stopped and the
/// crate unlocked before the worker goes.
class FirmwareServices
{
public:
    explicit FirmwareServices(WorkerAsync *facade);
    FirmwareServices(const FirmwareServices &) = delete;
    FirmwareServices &operator=(const FirmwareServices &) = delete;

    void publish(QQmlApplicationEngine &engine);

private:
    FileMapHandler m_fileHandler;
    FileServer m_fileServer;
    FirmwareUpdate m_firmwareUpdate;
};
