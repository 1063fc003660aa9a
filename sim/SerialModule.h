#pragma once

#include "CryostatModel.h"
#include "ModuleDescription.h"
#include "PseudoTerminal.h"
#include "SimulatedBootloader.h"
#include "cOrvexProtocolPC.h"
#include "cOrvexStreamReceiver.h"

#include <QElapsedTimer>
#include <QObject>
#include <memory>

class SimClock;
class SimulatedModule;

/// One module attached directly to a serial line (a pseudo-terminal), outside any crate. Its
/// application answers framed bus messages addressed to it or to the broadcast address 255;
/// the reboot command hands the line to its bootloader, and the bootloader's "S" starts the
/// application again, which then reports the version found in the new image.
class SerialModule : public QObject
{
    Q_OBJECT
public:
    static constexpr quint8 BroadcastAddress = 255;

    struct Settings
    {
        SimulatedBootloader::Faults faults;
        bool noise = false;             ///< noise bytes before every framed reply and after a reboot
        bool startInBootloader = false; ///< the module does not boot: its bootloader waits at once
    };

    SerialModule(const ModuleDescription &description, const SimClock &clock, const Settings &settings,
                 QObject *parent = nullptr);
    ~SerialModule() override;

    /// Opens the pseudo-terminal; false with `error` set on failure.
    bool open(QString *error);
    /// The serial port a program opens.
    QString portPath() const { return m_line.slavePath(); }

private:
    void received(const QByteArray &bytes);
    void handleMessage(quint8 address, quint8 command, const QByteArray &data);
    void startApplication();
    /// Writes `bytes` `delayMs` after the previous write, keeping the order of all writes.
    void send(const QByteArray &bytes, int delayMs = 0);

    PseudoTerminal m_line;
    ModuleDescription m_description;
    const SimClock &m_clock;
    Settings m_settings;
    CryostatModel m_cryostat;
    std::unique_ptr<SimulatedModule> m_module;
    SimulatedBootloader m_bootloader;
    bool m_inBootloader;
    cOrvexProtocolPC m_receiveCodec;
    cOrvexStreamReceiver m_receiver{m_receiveCodec};
    cOrvexProtocolPC m_sendCodec;
    QElapsedTimer m_clockForWrites;
    qint64 m_lastWriteDueMs = 0;
    int m_delayedWrites = 0; ///< writes waiting for their time; later ones queue behind them
};
