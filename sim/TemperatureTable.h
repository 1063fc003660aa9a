#pragma once

#include "ResistanceThermometer.h"

#include <QByteArray>
#include <optional>

/// A module's sensor calibration table: 100 (voltage, temperature) points, from which the module
/// derives the temperature of a measured voltage, transferred in chunks. A chunk request is
/// [start, count] (one byte each); a write appends the count points, 8 bytes each as in memory.
/// A request that runs past the last point or has the wrong length is refused.
class TemperatureTable
{
public:
    static constexpr int ChunkHeaderSize = 2; ///< bytes: start, count
    static constexpr int ItemSize = int(sizeof(VT4TDM0V1_Temp_Table_Item_t));
    static constexpr int ImageSize = VT4TDM0_TempTablePoints * ItemSize;

    TemperatureTable() : m_items(ResistanceThermometer::factoryTable()) {}

    /// Temperature of `volts` by linear interpolation between the first two neighbouring points
    /// that enclose it; outside the table, the temperature of the point nearest in voltage, K.
    double temperatureAt(double volts) const;

    /// Answers a chunk read [start, count] with count × 8 bytes; nothing when refused.
    std::optional<QByteArray> readChunk(const QByteArray &request) const;
    /// Takes a chunk write [start, count, items]; false (nothing changed) when refused.
    bool writeChunk(const QByteArray &request);

    const ResistanceThermometer::Table &items() const { return m_items; }
    QByteArray image() const;
    /// Replaces all points; false (nothing changed) unless the image has ImageSize bytes.
    bool setImage(const QByteArray &image);
    void restoreFactory() { m_items = ResistanceThermometer::factoryTable(); }

private:
    /// True when [start, count] names at least one point and stays inside the table.
    static bool inRange(int start, int count);

    ResistanceThermometer::Table m_items;
};
