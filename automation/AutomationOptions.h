#pragma once

#include <QStringList>
#include <QtGlobal>

/// How the program was asked to run: with or without windows, and whether it offers the
/// automation interface and on which port. The command line wins over the settings store.
class AutomationOptions
{
public:
    static constexpr quint16 DefaultPort = 9890; ///< the crate has 9876 to 9879
    static constexpr const char *EnabledKey = "AutomationEnabled";
    static constexpr const char *PortKey = "AutomationPort";

    /// `--headless` runs without windows (and always with the interface); `--automation` turns
    /// the interface on at the stored port, `--automation=PORT` at PORT (0: any free port).
    /// Without these the settings store decides. Other arguments are left to Qt.
    static AutomationOptions parse(const QStringList &arguments);
    /// Only `--headless`, before any application object exists.
    static bool isHeadless(int argc, char *argv[]);

    bool headless = false;
    bool enabled = false;
    quint16 port = DefaultPort;
    QString error; ///< a malformed option, in words; empty when all were understood
};
