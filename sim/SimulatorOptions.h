#pragma once

#include "FirmwareUpdateClient.h"
#include "SimulatedBootloader.h"

#include <QHostAddress>
#include <QSet>
#include <QString>
#include <QStringList>

/// Everything the command line sets. `parse` never exits the process: it returns false and an
/// error text for the caller to print, so the parsing can be tested directly.
class SimulatorOptions
{
public:
    static constexpr quint16 DefaultPort = 9876;
    static constexpr quint16 DefaultDiscoveryPort = 9877;
    static constexpr quint16 DefaultCallbackPort = 9878;

    /// Parses the arguments (the first one is the program name). False with `error` set on bad input.
    bool parse(const QStringList &arguments, QString *error);

    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = DefaultPort; ///< 0: any free port
    QString crateFile;          ///< JSON crate description; empty: the built-in crate
    QString stateFile;          ///< persistent state; empty: nothing kept across runs
    bool verbose = false;
    bool verboseModules = false;

    bool discovery = false;
    quint16 discoveryPort = DefaultDiscoveryPort;
    quint16 callbackPort = DefaultCallbackPort;

    int delayMs = 0;                       ///< every module reply held this long, ms
    bool allSilent = false;                ///< no module answers
    QSet<int> silentAddresses;             ///< these modules never answer
    int splitBytes = 0;                    ///< 0: whole replies; otherwise segments of this many bytes
    bool coalesce = false;                 ///< replies held and written together
    QSet<int> garbledAddresses;            ///< replies of these modules have a wrong length or code
    bool legacy = false;                   ///< older crate: no JSON module list
    QStringList failCommands;              ///< "SYST:" commands starting with one of these answer "ERROR"
    double timeScale = 1.0;                ///< simulated seconds per real second
    bool faultCommands = false;            ///< "SIM:" line commands switch faults on while running
    FirmwareUpdateClient::Settings update; ///< how the crate takes a module firmware update

    bool serialModule = false;                ///< also one module on a pseudo-terminal
    bool serialNoise = false;                 ///< noise bytes on its line
    bool serialStartInBootloader = false;     ///< it does not boot: its bootloader waits at once
    SimulatedBootloader::Faults serialFaults; ///< misbehaviour of its bootloader

private:
    static bool parseAddressList(const QString &text, QSet<int> *addresses);
    bool parseUpdateFault(const QString &text);
};
