#pragma once

#include "AutomationReply.h"

#include <QJsonObject>
#include <QList>
#include <QStringList>

#include <optional>

/// The "args" of one request, read with checks: each getter returns nothing and keeps the first
/// failure when an argument is missing, of the wrong kind or outside its range.
class AutomationArguments
{
public:
    explicit AutomationArguments(const QJsonObject &arguments) : m_arguments(arguments) {}

    bool has(const QString &key) const { return m_arguments.contains(key); }
    /// A whole number from 0 to 255.
    std::optional<int> address(const QString &key = QStringLiteral("address"));
    /// A non-empty list of bus addresses.
    std::optional<QList<int>> addresses(const QString &key);
    /// A finite number.
    std::optional<double> number(const QString &key);
    /// A finite number from `low` to `high`; `unit` names them in the error.
    std::optional<double> numberWithin(const QString &key, double low, double high, const QString &unit);
    std::optional<bool> flag(const QString &key);
    /// A non-empty text of at most `maximumLength` characters.
    std::optional<QString> text(const QString &key, int maximumLength);
    /// Fails on any argument not in `known`, so a misspelt name is not silently ignored.
    bool onlyKnown(const QStringList &known);

    bool failed() const { return m_failure.has_value(); }
    AutomationReply failure() const { return m_failure.value_or(AutomationReply::success()); }
    void fail(const QString &code, const QString &message);

private:
    /// `key` converted by `convert`; a failure saying it must be `expected` when missing or refused.
    template <typename Convert>
    auto converted(const QString &key, Convert convert, const QString &expected)
        -> decltype(convert(QJsonValue()));
    static std::optional<int> asAddress(const QJsonValue &value);

    QJsonObject m_arguments;
    std::optional<AutomationReply> m_failure;
};
