#include "EepromCommands.h"
#include "DriverHelper.h"

namespace {
constexpr int SendAttempts = 1;

QString action(EepromCommands::Step step)
{
    switch (step) {
    case EepromCommands::Step::Read:
        return QStringLiteral("read");
    case EepromCommands::Step::Send:
        return QStringLiteral("sent");
    case EepromCommands::Step::Write:
        break;
    }
    return QStringLiteral("written to EEPROM");
}

QString failureReason(EepromCommands::Step step)
{
    switch (step) {
    case EepromCommands::Step::Read:
        return QStringLiteral("the module did not answer. The editor keeps the values it showed.");
    case EepromCommands::Step::Send:
        return QStringLiteral("the module did not acknowledge them, or a constant is not a number.");
    case EepromCommands::Step::Write:
        break;
    }
    return QStringLiteral(
        "the module did not acknowledge. Its EEPROM may still hold the previous constants.");
}
} // namespace

EepromCommands::Outcome EepromCommands::run(Step step, const QVariant &parameter) const
{
    Outcome outcome;
    const QVariantMap constants = step == Step::Send ? parameter.toMap() : QVariantMap();
    bool addressOk = false;
    outcome.address =
        (step == Step::Send ? constants.value(QStringLiteral("address")) : parameter).toInt(&addressOk);
    CommonDriver *driver = addressOk ? m_lookup(outcome.address) : nullptr;
    if (!driver) {
        outcome.error =
            QStringLiteral("No module at address %1: the calibration constants cannot be %2.")
                .arg(addressOk ? QString::number(outcome.address) : QStringLiteral("?"), action(step));
        return outcome;
    }
    DriverHelper helper(driver);
    switch (step) {
    case Step::Read:
        outcome.constants = helper.getEepromConst(&outcome.ok);
        break;
    case Step::Send:
        outcome.ok = helper.setEepromConst(constants, SendAttempts);
        break;
    case Step::Write:
        outcome.ok = helper.writeEeprom();
        break;
    }
    if (!outcome.ok)
        outcome.error = QStringLiteral("The calibration constants of module %1 could not be %2: %3")
                            .arg(outcome.address)
                            .arg(action(step), failureReason(step));
    return outcome;
}
