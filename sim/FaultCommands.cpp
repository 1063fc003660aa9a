#include "FaultCommands.h"
#include "SimulatedCrate.h"

#include <QRegularExpression>
#include <QTimer>

namespace {
constexpr int MaxBusAddress = 255;
const QString Prefix = QStringLiteral("SIM:");
} // namespace

FaultCommands::FaultCommands(SimulatedCrate &crate, PowerCycle powerCycle)
    : m_crate(crate), m_powerCycle(std::move(powerCycle))
{
}

bool FaultCommands::isFaultCommand(const QString &command)
{
    return command.startsWith(Prefix);
}

QString FaultCommands::reply(const QString &command)
{
    if (command == QLatin1String("SIM:POWERCYCLE")) {
        // The reply goes out first, then the connection it went on.
        QTimer::singleShot(0, [cycle = m_powerCycle] { cycle(); });
        return QStringLiteral("ok");
    }
    static const QRegularExpression Silence(QStringLiteral("^SIM:(SILENT|ANSWER) +(\\d+)$"));
    const QRegularExpressionMatch match = Silence.match(command);
    if (!match.hasMatch())
        return QStringLiteral("UNKNOWN COMMAND");
    const int address = match.captured(2).toInt();
    if (address > MaxBusAddress)
        return QStringLiteral("ERROR");
    m_crate.setSilent(address, match.captured(1) == QLatin1String("SILENT"));
    return QStringLiteral("ok");
}
