#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

class DataProviderItem;

/// The presets file: a JSON snapshot of the modules marked "restore", from which the bias
/// current and trigger level of SSPD channels are restored later.
class PresetFile
{
public:
    /// One SSPD channel's settings as a presets file holds them (amperes, volts).
    struct ChannelPreset
    {
        int address = 0;
        int type = 0; ///< DataProviderList::DeviceType
        double current = 0;
        double level = 0;
    };

    /// Presets of a full crate take a few kilobytes; anything far larger is not a presets file.
    static constexpr qint64 MaxFileBytes = 4 * 1024 * 1024;

    /// The object written for one module: numbers as numbers, text as text, unknown types left out.
    static QJsonObject moduleObject(const DataProviderItem &item);
    /// The indented document of the items whose "restore" is true, in list order; empty when
    /// none is marked.
    static QByteArray document(const QList<DataProviderItem> &items);
    /// Writes the presets file; empty on success, else the error text to show.
    static QString save(const QList<DataProviderItem> &items, const QString &fileName);
    /// Reads the SSPD channels of a presets file, refusing a file that is not a regular file or
    /// is larger than MaxFileBytes. On any error `channels` stays empty and the error text is
    /// returned, so that nothing is applied from a bad file.
    static QString load(const QString &fileName, QList<ChannelPreset> *channels);
    /// The SSPD channels of a parsed document; as load().
    static QString channelsOf(const QByteArray &json, QList<ChannelPreset> *channels);
    /// Removes the channels with a value outside the limits of the module at their address in
    /// `modules` (or of a module of their type where none is listed); empty when none was
    /// removed, else the text naming each removed channel and why.
    static QString keepWithinLimits(QList<ChannelPreset> *channels, const QList<DataProviderItem> &modules);
};
