#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

/// The crate's module list made safe to act on. An entry whose address is not a bus address
/// (an integer from 0 to 255) would be cut to a byte and become some other module; an entry
/// that repeats an earlier address would make two drivers take each other's replies. Both are
/// skipped, and said so. Texts are cut to MaxTextLength characters, so a runaway description
/// cannot stall the screens. At most 256 modules pass.
class ModuleListFilter
{
public:
    static constexpr int MaxTextLength = 256; ///< characters kept of a module text
    static constexpr int MaxBusAddress = 255;

    struct Result
    {
        QJsonObject list; ///< "count" and "info" of the entries kept, other keys as they were
        /// What was skipped: "-1 (not a bus address)" per entry, then "5 (listed 3 times)" per
        /// repeated address
        QStringList skipped;
    };

    /// Filters the "count" first entries of "info"; entries that are not objects are dropped.
    static Result filter(const QJsonObject &list);
    /// The address if `value` is an integer from 0 to 255.
    static bool busAddress(const QJsonValue &value, int *address);
    /// `text` cut to MaxTextLength characters, the last of them an ellipsis.
    static QString boundedText(const QString &text);
};
