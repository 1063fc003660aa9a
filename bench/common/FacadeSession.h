#pragma once

#include "CrateDescriptionFile.h"
#include "DataProviderList.h"
#include "LinkProbe.h"
#include "SimulatorProcess.h"
#include "WorkerAsync.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

/// The program's facade in this process, connected to a simulator that plays a crate of SSPD M0
/// modules, with the settings store in a temporary directory. The facade goes with the object.
class FacadeSession
{
public:
    static constexpr int ConnectWaitMs = 20000;
    static constexpr double DefaultCriticalCurrentUa = 24.0;

    explicit FacadeSession(int sspdCount, double criticalCurrentUa = DefaultCriticalCurrentUa,
                           int firstAddress = 1)
        : m_crate(sspdCount, criticalCurrentUa, firstAddress), m_simulator({"--crate", m_crate.path()}),
          m_sspdCount(sspdCount)
    {
    }
    ~FacadeSession() { WorkerAsync::destroyInstance(); }
    FacadeSession(const FacadeSession &) = delete;
    FacadeSession &operator=(const FacadeSession &) = delete;

    /// Call before the QApplication: chart series need one, and without a display it draws
    /// offscreen. Debug lines are off as in the test runs, so that stderr is not what is timed.
    static void prepareEnvironment()
    {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
            qputenv("QT_LOGGING_RULES", "*.debug=false");
    }

    /// Starts the simulator; true once it listens.
    bool startSimulator()
    {
        if (!m_config.isValid() || !m_crate.isValid() || !m_simulator.start())
            return false;
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        qputenv("VT4_CRATE_PORT", QByteArray::number(m_simulator.port()));
        return true;
    }

    /// Connects the facade to the running simulator; true once every module is listed.
    bool connectFacade()
    {
        WorkerAsync *facade = WorkerAsync::instance();
        QSignalSpy connected(facade, &WorkerAsync::connected);
        facade->connectToVantrel(QStringLiteral("127.0.0.1"));
        return connected.wait(ConnectWaitMs) &&
               QTest::qWaitFor([facade, this] { return facade->dataList()->items().size() == m_sspdCount; },
                               ConnectWaitMs);
    }

    bool start() { return startSimulator() && connectFacade(); }

    /// A link of its own to the running simulator, for baseline round trips; ends the benchmark
    /// when it cannot connect.
    std::unique_ptr<LinkProbe> openProbe(quint8 moduleAddress)
    {
        auto probe = std::make_unique<LinkProbe>(m_simulator.address(), m_simulator.port(), moduleAddress);
        if (!probe->isConnected())
            qFatal("no link of its own to the simulator");
        return probe;
    }

    WorkerAsync *facade() const { return WorkerAsync::instance(); }
    SimulatorProcess &simulator() { return m_simulator; }

private:
    QTemporaryDir m_config;
    CrateDescriptionFile m_crate;
    SimulatorProcess m_simulator;
    int m_sspdCount;
};
