#pragma once

#include <QByteArray>
#include <QString>

/// One module of the crate as the crate description gives it: its place on the bus, the
/// identity texts it reports, and the settings of its physics model.
struct ModuleDescription
{
    static constexpr int UdidSize = 12; ///< bytes

    int address = 0;      ///< bus address, 0..255
    QString type;         ///< module model, e.g. "VT4SDM0"
    QString description;  ///< free text reported by identity code 10
    QString firmware;     ///< firmware version text, code 9
    QString hardware;     ///< hardware version text, code 8
    QString modification; ///< modification text, code 7
    QByteArray udid;      ///< unique identifier, exactly 12 bytes, code 5

    double criticalCurrent = 22e-6;    ///< SSPD critical current at the operating temperature, A
    double lightLevel = 2e5;           ///< SSPD photon count rate on the plateau, counts/s
    double darkCountsAtCritical = 3e4; ///< SSPD dark count rate at the critical current, counts/s
    quint64 seed = 0;                  ///< random seed of the detector's counts (0: derived from the address)
    double startBias = 0;   ///< SSPD bias current at power-on, A; above 0 the channel also starts counting
    quint8 stuckRelays = 0; ///< four-channel temperature module: relays (state bits) that ignore commands
};
