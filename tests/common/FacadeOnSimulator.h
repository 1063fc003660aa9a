#pragma once

#include "DataProviderList.h"
#include "SimulatorProcess.h"
#include "WorkerAsync.h"

#include <QSignalSpy>
#include <QTest>

/// Starts `simulator` and connects the facade singleton to it; true once the module list holds
/// the crate's modules.
inline bool connectFacadeToSimulator(SimulatorProcess &simulator, int waitMs)
{
    if (!simulator.start())
        return false;
    qputenv("VT4_CRATE_PORT", QByteArray::number(simulator.port()));
    WorkerAsync *facade = WorkerAsync::instance();
    QSignalSpy connected(facade, &WorkerAsync::connected);
    facade->connectToVantrel(QStringLiteral("127.0.0.1"));
    return connected.wait(waitMs) &&
           QTest::qWaitFor([facade] { return !facade->dataList()->items().isEmpty(); }, waitMs);
}
