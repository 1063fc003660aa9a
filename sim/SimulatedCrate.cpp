#include "SimulatedCrate.h"
#include "CrateState.h"
#include "ModuleFactory.h"
#include "SimLogging.h"
#include "SimulatedModule.h"

#include <QJsonArray>

SimulatedCrate::SimulatedCrate(const CrateDescription &description, CrateState &state, const SimClock &clock,
                               const QSet<int> &silentAddresses, bool allSilent)
    : m_description(description), m_state(state), m_clock(clock), m_silentAddresses(silentAddresses),
      m_allSilent(allSilent)
{
    if (const auto saved = m_state.moduleList()) {
        for (int address : *saved)
            addModule(address);
    } else {
        for (const ModuleDescription &module : m_description.modules())
            insertModule(module);
    }
}

SimulatedCrate::~SimulatedCrate() = default;

void SimulatedCrate::insertModule(const ModuleDescription &description)
{
    std::unique_ptr<SimulatedModule> module = ModuleFactory::create(description, m_clock, m_cryostat);
    const QByteArray kept = m_state.eeprom(description.udid);
    if (!kept.isEmpty())
        module->restoreEeprom(kept);
    const QByteArray udid = description.udid;
    module->setEepromWriter([this, udid](const QByteArray &image) {
        if (image.isEmpty())
            return true; // nothing to keep for a module without constants
        QString error;
        if (m_state.saveEeprom(udid, image, &error))
            return true;
        qCWarning(lcSim).noquote() << error;
        return false;
    });
    m_modules[description.address] = std::move(module);
}

std::optional<QByteArray> SimulatedCrate::handleModuleMessage(quint8 address, quint8 command,
                                                              const QByteArray &data)
{
    SimulatedModule *target = module(address);
    if (!target || m_allSilent || m_silentAddresses.contains(address))
        return std::nullopt;
    return target->handleRequest(command, data);
}

QJsonObject SimulatedCrate::moduleListJson() const
{
    QJsonArray info;
    for (const auto &[address, module] : m_modules) {
        const ModuleDescription &description = module->description();
        info.append(QJsonObject{
            {QStringLiteral("address"), address},
            {QStringLiteral("type"), description.type},
            {QStringLiteral("Description"), description.description},
            {QStringLiteral("Firmware"), description.firmware},
            {QStringLiteral("Hardware"), description.hardware},
            {QStringLiteral("Modification"), description.modification},
            {QStringLiteral("UDID"), CrateDescription::udidToText(description.udid)},
        });
    }
    return QJsonObject{{QStringLiteral("count"), info.size()}, {QStringLiteral("info"), info}};
}

QString SimulatedCrate::moduleListText() const
{
    QString text;
    int index = 0;
    for (const auto &[address, module] : m_modules)
        text += QStringLiteral("DEV%1:ADDR=%2:TYPE=%3<br>")
                    .arg(index++)
                    .arg(address)
                    .arg(module->description().type);
    return text;
}

void SimulatedCrate::addModule(int address)
{
    if (m_modules.count(address) > 0)
        return;
    insertModule(m_description.module(address).value_or(CrateDescription::defaultModule(address)));
}

void SimulatedCrate::removeModule(int address)
{
    m_modules.erase(address);
}

bool SimulatedCrate::saveModuleList(QString *error)
{
    return m_state.saveModuleList(addresses(), error);
}

void SimulatedCrate::resetModules()
{
    for (auto &entry : m_modules)
        entry.second->reset();
}

void SimulatedCrate::setSilent(int address, bool silent)
{
    if (silent)
        m_silentAddresses.insert(address);
    else
        m_silentAddresses.remove(address);
}

QList<int> SimulatedCrate::addresses() const
{
    QList<int> result;
    for (const auto &entry : m_modules)
        result << entry.first;
    return result;
}

SimulatedModule *SimulatedCrate::module(int address) const
{
    const auto it = m_modules.find(address);
    return it == m_modules.end() ? nullptr : it->second.get();
}
