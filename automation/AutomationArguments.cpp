#include "AutomationArguments.h"

#include <QJsonArray>

#include <cmath>

namespace {
constexpr int HighestAddress = 255;
const QString BadArgument = QStringLiteral("bad-argument");
} // namespace

void AutomationArguments::fail(const QString &code, const QString &message)
{
    if (!m_failure)
        m_failure = AutomationReply::failure(code, message);
}

template <typename Convert>
auto AutomationArguments::converted(const QString &key, Convert convert, const QString &expected)
    -> decltype(convert(QJsonValue()))
{
    if (!m_arguments.contains(key)) {
        fail(BadArgument, QStringLiteral("\"%1\" is missing").arg(key));
        return std::nullopt;
    }
    const auto result = convert(m_arguments.value(key));
    if (!result)
        fail(BadArgument, QStringLiteral("\"%1\" must be %2").arg(key, expected));
    return result;
}

std::optional<int> AutomationArguments::asAddress(const QJsonValue &value)
{
    const double number = value.toDouble(-1);
    if (!value.isDouble() || number != std::trunc(number) || number < 0 || number > HighestAddress)
        return std::nullopt;
    return int(number);
}

std::optional<int> AutomationArguments::address(const QString &key)
{
    return converted(key, &AutomationArguments::asAddress, QStringLiteral("a bus address from 0 to 255"));
}

std::optional<QList<int>> AutomationArguments::addresses(const QString &key)
{
    const auto asList = [](const QJsonValue &value) -> std::optional<QList<int>> {
        QList<int> result;
        for (const QJsonValue &element : value.toArray()) {
            const std::optional<int> address = asAddress(element);
            if (!address)
                return std::nullopt;
            result << *address;
        }
        return value.isArray() && !result.isEmpty() ? std::optional(result) : std::nullopt;
    };
    return converted(key, asList, QStringLiteral("a list of bus addresses from 0 to 255"));
}

std::optional<double> AutomationArguments::number(const QString &key)
{
    const auto asNumber = [](const QJsonValue &value) -> std::optional<double> {
        if (!value.isDouble() || !std::isfinite(value.toDouble()))
            return std::nullopt;
        return value.toDouble();
    };
    return converted(key, asNumber, QStringLiteral("a number"));
}

std::optional<double> AutomationArguments::numberWithin(const QString &key, double low, double high,
                                                        const QString &unit)
{
    const std::optional<double> value = number(key);
    if (value && (*value < low || *value > high)) {
        fail(QStringLiteral("out-of-range"), QStringLiteral("\"%1\" must be from %2 to %3 %4")
                                                 .arg(key)
                                                 .arg(low)
                                                 .arg(high)
                                                 .arg(unit)
                                                 .trimmed());
        return std::nullopt;
    }
    return value;
}

std::optional<bool> AutomationArguments::flag(const QString &key)
{
    const auto asFlag = [](const QJsonValue &value) -> std::optional<bool> {
        return value.isBool() ? std::optional(value.toBool()) : std::nullopt;
    };
    return converted(key, asFlag, QStringLiteral("true or false"));
}

std::optional<QString> AutomationArguments::text(const QString &key, int maximumLength)
{
    const auto asText = [maximumLength](const QJsonValue &value) -> std::optional<QString> {
        const QString text = value.toString();
        if (!value.isString() || text.isEmpty() || text.size() > maximumLength)
            return std::nullopt;
        return text;
    };
    return converted(key, asText, QStringLiteral("a text of 1 to %1 characters").arg(maximumLength));
}

bool AutomationArguments::onlyKnown(const QStringList &known)
{
    for (const QString &key : m_arguments.keys()) {
        if (!known.contains(key)) {
            fail(BadArgument, QStringLiteral("unknown argument \"%1\"; expected one of: %2")
                                  .arg(key, known.join(QStringLiteral(", "))));
            return false;
        }
    }
    return true;
}
