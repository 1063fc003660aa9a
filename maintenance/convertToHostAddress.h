#pragma once

#include <QHostAddress>
#include <QString>

/// Turns the crate address the user typed or picked into a host address. Four dot-separated
/// decimal parts are read as decimal even with leading zeros ("127.000.000.001" is 127.0.0.1);
/// anything else goes to the ordinary address parser.
QHostAddress convertToHostAddress(const QString &text);
