#pragma once

#include "SimulatedModule.h"
#include "SspdPhysics.h"
#include "VT4SDM0Records.h"

class SimClock;

/// The SSPD driver module, modification 0: one detector channel with its bias source, pulse
/// chain and auto reset, driven by SspdPhysics in simulated time. It answers every getter and
/// setter of the module's protocol with the record sizes of the wire format; a setter whose data
/// has the wrong size is not applied and not acknowledged.
class SimulatedSspdM0 : public SimulatedModule
{
public:
    enum Code : quint8
    {
        GetData = 16,
        GetCurrent = 17,
        SetCurrent = 18,
        GetVoltage = 19,
        GetCounts = 20,
        GetStatus = 21,
        SetStatus = 22,
        SetShort = 23, ///< the six switch setters follow in status bit order (bits 1..6)
        SetAutoReset = 28,
        GetParams = 29,
        SetParams = 30,
        GetCmpReferenceLevel = 31,
        GetTimeConst = 33,
        GetAutoResetThreshold = 35,
        GetAutoResetTimeOut = 37,
        GetAutoResetAlarmsCounts = 39,
        SetAutoResetAlarmsCounts = 40,
        GetEepromConst = 41,
        SetEepromConst = 42,
        GetCurrentAdcCoeff = 43,
        GetVoltageAdcCoeff = 45,
        GetCurrentDacCoeff = 47,
        GetCmpReferenceCoeff = 49,
        GetPidEnable = 51,
        SetPidEnable = 52,
    };

    SimulatedSspdM0(const ModuleDescription &description, const SimClock &clock);

    void reset() override;

    /// The detector model, e.g. for the cryostat's bath temperature.
    SspdPhysics &physics() { return m_physics; }

protected:
    std::optional<QByteArray> handleModuleRequest(quint8 command, const QByteArray &data) override;
    void initialize() override;
    void shutDown() override;
    QByteArray eepromImage() const override;
    void loadEeprom(const QByteArray &image) override;

private:
    static SspdPhysics::Settings physicsSettings(const ModuleDescription &description);

    void catchUp();
    void setStatus(const VT4SDM0_Status_t &status);
    VT4SDM0V1_Param_t params() const;
    void setParams(const VT4SDM0V1_Param_t &params);
    void setEepromConst(const VT4SDM0V1_EEPROM_Const_t &constants) { m_eeprom = constants; }
    VT4SDM0V1_Data_t dataRecord();
    std::optional<QByteArray> handleFieldRequest(quint8 command, const QByteArray &data);

    /// Getter answers the record field's image; setter (getter + 1) replaces the field and applies the
    /// record.
    template <typename Record, typename Field>
    std::optional<QByteArray> accessField(Record record, Field Record::*field, bool isGetter,
                                          const QByteArray &data,
                                          void (SimulatedSspdM0::*apply)(const Record &));
    /// Setter of a whole value: applied and acknowledged only when the data has the value's size.
    template <typename T, typename Apply>
    static std::optional<QByteArray> applyValue(const QByteArray &data, Apply apply);

    const SimClock &m_clock;
    SspdPhysics m_physics;
    double m_lastCatchUp = 0; ///< simulated s
    VT4SDM0_Status_t m_status;
    bool m_pidEnabled = false;
    VT4SDM0V1_EEPROM_Const_t m_eeprom;
};
