#pragma once

#include "CrateDescription.h"
#include "CryostatModel.h"

#include <QJsonObject>
#include <QSet>
#include <map>
#include <memory>
#include <optional>

class CrateState;
class SimClock;
class SimulatedModule;

/// The crate's bus and module list: routes each module message to the module at its address
/// and keeps the list the text commands edit. Modules in the list are built by ModuleFactory
/// from the crate description; an address the description does not list gets the default
/// module (an SSPD M0, CrateDescription::defaultModule), as if one were plugged in there.
/// The crate's one cryostat stage is shared by all its modules.
class SimulatedCrate
{
public:
    /// `state` and `clock` must outlive the crate. Silent modules are listed but never answer.
    SimulatedCrate(const CrateDescription &description, CrateState &state, const SimClock &clock,
                   const QSet<int> &silentAddresses = {}, bool allSilent = false);
    ~SimulatedCrate();

    /// The reply data of the module at `address`, or nothing (no such module, silent, no answer).
    std::optional<QByteArray> handleModuleMessage(quint8 address, quint8 command, const QByteArray &data);

    /// The module list object: "count" and "info" entries with the identity of each module.
    QJsonObject moduleListJson() const;
    /// The older crates' list: "<br>"-separated lines "DEVn:ADDR=a:TYPE=t".
    QString moduleListText() const;

    /// Adds the module at `address` (no change when it is listed already).
    void addModule(int address);
    /// Removes the module at `address` (no change when it is not listed).
    void removeModule(int address);
    /// Keeps the list in the state file; false with `error` when it could not be written.
    bool saveModuleList(QString *error);
    /// Every module back to its power-on state.
    void resetModules();
    /// The module at `address` stops (true) or resumes (false) answering module messages.
    void setSilent(int address, bool silent);

    QList<int> addresses() const;
    /// The cryostat stage every detector and thermometer of the crate sits on.
    CryostatModel &cryostat() { return m_cryostat; }
    /// The module at `address`, or null.
    SimulatedModule *module(int address) const;

private:
    void insertModule(const ModuleDescription &description);

    CrateDescription m_description;
    CrateState &m_state;
    const SimClock &m_clock;
    CryostatModel m_cryostat;
    QSet<int> m_silentAddresses;
    bool m_allSilent;
    std::map<int, std::unique_ptr<SimulatedModule>> m_modules; ///< by bus address, in address order
};
