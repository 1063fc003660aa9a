#include "TemperatureTable.h"

#include <cmath>
#include <cstring>

bool TemperatureTable::inRange(int start, int count)
{
    return count > 0 && start + count <= VT4TDM0_TempTablePoints;
}

double TemperatureTable::temperatureAt(double volts) const
{
    if (!std::isfinite(volts))
        return std::nan("");
    // Any order of points works (a table written by hand need not be sorted).
    for (size_t i = 0; i + 1 < m_items.size(); ++i) {
        const double low = m_items[i].voltage;
        const double high = m_items[i + 1].voltage;
        if (low == high || (volts - low) * (volts - high) > 0)
            continue;
        const double fraction = (volts - low) / (high - low);
        return m_items[i].temperature + fraction * (m_items[i + 1].temperature - m_items[i].temperature);
    }
    const VT4TDM0V1_Temp_Table_Item_t *nearest = &m_items.front();
    for (const VT4TDM0V1_Temp_Table_Item_t &item : m_items) {
        if (std::abs(item.voltage - volts) < std::abs(nearest->voltage - volts))
            nearest = &item;
    }
    return nearest->temperature;
}

std::optional<QByteArray> TemperatureTable::readChunk(const QByteArray &request) const
{
    if (request.size() != ChunkHeaderSize)
        return std::nullopt;
    const int start = quint8(request.at(0));
    const int count = quint8(request.at(1));
    if (!inRange(start, count))
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char *>(&m_items[size_t(start)]), count * ItemSize);
}

bool TemperatureTable::writeChunk(const QByteArray &request)
{
    if (request.size() < ChunkHeaderSize)
        return false;
    const int start = quint8(request.at(0));
    const int count = quint8(request.at(1));
    if (!inRange(start, count) || request.size() != ChunkHeaderSize + count * ItemSize)
        return false;
    std::memcpy(&m_items[size_t(start)], request.constData() + ChunkHeaderSize, size_t(count * ItemSize));
    return true;
}

QByteArray TemperatureTable::image() const
{
    return QByteArray(reinterpret_cast<const char *>(m_items.data()), ImageSize);
}

bool TemperatureTable::setImage(const QByteArray &image)
{
    if (image.size() != ImageSize)
        return false;
    std::memcpy(m_items.data(), image.constData(), ImageSize);
    return true;
}
