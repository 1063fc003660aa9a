#pragma once

#include <QObject>

/// The types the whole program shares with the facade: what the worker does, the commands it
/// takes, the splash screen's producer, the time axis, and where the settings are stored. The
/// facade derives from this class, so the screens reach the enums as `Worker.<name>`; code that
/// needs only these types includes this header instead of the facade's.
class WorkerTypes : public QObject
{
    Q_OBJECT
public:
    // Both enums have a fixed underlying type: numbers outside them arrive from the screens
    // and must be representable so that the worker can ignore them.

    /// What the worker loop does each pass.
    enum WorkerMode : int
    {
        WorkerModeAllChannels = 0,
        WorkerModeSspdSingleChannel,
        WorkerModeTemperatureSingleMode,
        WorkerModeCpsVersTime,
        WorkerModeTemperatureVersTime,
        WorkerModeCpsVersCurrent,
        WorkerModeCpsVersTrigger,
        WorkerModeIVCurves,
        WorkerModeHistogram,
        WorkerModeNoAction
    };
    Q_ENUM(WorkerMode)

    /// Commands queued to the worker, each with one variant parameter.
    enum WorkerCommands : int
    {
        CommandConnect = 0,
        CommandSetMode,
        CommandSetActiveChannels,
        CommandSetTimeOut,
        CommandFreeStyle,
        CommandSweepParams,
        CommandResetUnits,
        CommandSystemReset,
        CommandPowerOff,
        CommandAddUnit,
        CommandRemoveUnit,
        CommandUpdateUnit,
        CommandLock,
        CommandUpdateEepromConst,
        CommandSetEepromConst,
        CommandWriteEEPROM,
        CommandRecycle ///< a RecycleSession request: QVariantList (request, payload)
    };
    Q_ENUM(WorkerCommands)

    enum WorkerProducerType
    {
        ProducerNone = 0,
        ProducerNorvane,
        ProducerGlimmor,
        ProducerPinecove
    };
    Q_ENUM(WorkerProducerType)

    enum CpsVsTimeMode
    {
        CpsVsTimeFreeRunning = 0,
        CpsVsTimeWindowed
    };
    Q_ENUM(CpsVsTimeMode)

    static constexpr const char *SettingsOrganization = "Norvane";
    static constexpr const char *SettingsApplication = "vt-deskapp";
    static constexpr const char *AddressKey = "TcpIpAddress";
    static constexpr const char *DefaultAddress = "127.000.000.001";

    /// Modes 5 to 7, which step a setting and end by themselves.
    static bool isSweep(WorkerMode mode)
    {
        return mode == WorkerModeCpsVersCurrent || mode == WorkerModeCpsVersTrigger ||
               mode == WorkerModeIVCurves;
    }
    /// The sweeps and the histogram: modes whose points are the readings of one run.
    static bool isRun(WorkerMode mode) { return isSweep(mode) || mode == WorkerModeHistogram; }

protected:
    using QObject::QObject;
};
