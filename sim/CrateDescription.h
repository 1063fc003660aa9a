#pragma once

#include "ModuleDescription.h"

#include <QJsonObject>
#include <QList>
#include <optional>

/// The modules a crate holds: read from a JSON crate description file or the built-in crate
/// (the same JSON, compiled in from crates/default.json).
class CrateDescription
{
public:
    /// The built-in crate: two SSPD modules of each modification, a temperature module of each
    /// modification, and one module of a type the program does not drive.
    static CrateDescription builtIn();
    /// Reads a description file; on failure `error` says what is wrong and where.
    static std::optional<CrateDescription> fromFile(const QString &path, QString *error);
    /// Parses a description object; on failure `error` names the bad entry.
    static std::optional<CrateDescription> fromJson(const QJsonObject &object, QString *error);

    /// The module made for an address the description does not list (see SimulatedCrate).
    static ModuleDescription defaultModule(int address);

    /// "0011-2233-4455-6677-8899-AABB": 24 upper-case hex digits in six groups of four.
    static QString udidToText(const QByteArray &udid);
    /// The reverse of udidToText; dashes and letter case are free. Empty on bad text.
    static QByteArray udidFromText(const QString &text);

    const QList<ModuleDescription> &modules() const { return m_modules; }
    /// The described module at `address`, if any.
    std::optional<ModuleDescription> module(int address) const;

private:
    QList<ModuleDescription> m_modules;
};
