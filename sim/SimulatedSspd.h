#pragma once

#include "RecordImage.h"
#include "SimulatedModule.h"
#include "SspdPhysics.h"
#include "VT4SDM0Records.h"

class CryostatModel;
class SimClock;

/// What the SSPD driver modules of every modification share: one detector channel with its bias
/// source, pulse chain and auto reset, driven by SspdPhysics in simulated time on the crate's
/// cryostat stage (the critical current follows the stage temperature). It answers the codes
/// both modifications have with the wire sizes; a setter whose data has the wrong size is not
/// applied and not acknowledged. A modification adds its data record, calibration record and
/// codes of its own.
class SimulatedSspd : public SimulatedModule
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
        SetShort = 23, ///< the switch setters 23..28 follow status bit order (bits 1..6)
        SetRfKey = 25,
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
        GetPidEnable = 51,
        SetPidEnable = 52,
    };

    static constexpr quint8 InitedBit = 0x01;  ///< status bit 0
    static constexpr quint8 ShortedBit = 0x02; ///< status bit 1
    static constexpr quint8 Bit3 = 0x08;       ///< status bit 3: RF key (M0) or high-frequency mode (M1)

    /// How a modification differs in the shared codes.
    struct Modification
    {
        quint8 bit3Setter;       ///< setter code of status bit 3
        bool bit3RoutesPulses;   ///< bit 3 routes the pulses to the comparator; otherwise they always go
        RecordImage calibration; ///< the calibration record kept in the EEPROM, with its codes
    };

    void reset() override;

    /// The detector model.
    SspdPhysics &physics() { return m_physics; }

protected:
    SimulatedSspd(const ModuleDescription &description, const SimClock &clock, CryostatModel &cryostat,
                  const Modification &modification);

    /// The measured-data record of the modification, as its image.
    virtual QByteArray dataImage() = 0;
    /// The modification's codes beyond the shared ones; nothing by default.
    virtual std::optional<QByteArray> handleModificationRequest(quint8 command, const QByteArray &data);

    std::optional<QByteArray> handleModuleRequest(quint8 command, const QByteArray &data) final;
    void initialize() override;
    void shutDown() override;
    QByteArray eepromImage() const override { return m_modification.calibration.image(); }
    void loadEeprom(const QByteArray &image) override { m_modification.calibration.setImage(image); }

    quint8 statusByte() const { return m_status; }
    const RecordImage &calibration() const { return m_modification.calibration; }

private:
    static SspdPhysics::Settings physicsSettings(const ModuleDescription &description);

    void catchUp();
    void setStatus(quint8 status);
    /// The state after power-on or a reset: idle and shorted, or counting at the described start bias.
    void powerOn();
    /// The status bit the switch setter `command` drives, or -1.
    int switchBit(quint8 command) const;
    VT4SDM0V1_Param_t params() const;
    void setParams(const VT4SDM0V1_Param_t &params);
    std::optional<QByteArray> handleParamField(quint8 command, const QByteArray &data);

    const SimClock &m_clock;
    CryostatModel &m_cryostat;
    Modification m_modification;
    SspdPhysics m_physics;
    double m_lastCatchUp = 0; ///< simulated s
    quint8 m_status;
    bool m_pidEnabled = false;
};
