#include "EepromCatalogue.h"

namespace {
const QString BiasGroup = QStringLiteral("Bias unit (slope, intercept)");
const QString ReadOutGroup = QStringLiteral("Read out (slope, intercept)");
const QString SensorGroup = QStringLiteral("Temperature sensor (slope, intercept)");
const QString PressureGroup = QStringLiteral("Pressure sensor (slope, intercept)");
const QString TableGroup = QStringLiteral("Temperature table (voltage, temperature)");

QList<EepromCatalogue::Entry> sspdEntries(bool withMonitor)
{
    QList<EepromCatalogue::Entry> entries{
        {BiasGroup, QStringLiteral("Current_ADC"), QStringLiteral("Current ADC:"), EepromDataItem::Pair},
        {BiasGroup, QStringLiteral("Current_DAC"), QStringLiteral("Current DAC:"), EepromDataItem::Pair},
    };
    if (withMonitor)
        entries.append({BiasGroup, QStringLiteral("CurrentMonitor_ADC"), QStringLiteral("Current monitor:"),
                        EepromDataItem::Pair});
    entries.append(
        {BiasGroup, QStringLiteral("Voltage_ADC"), QStringLiteral("Voltage ADC:"), EepromDataItem::Pair});
    entries.append({ReadOutGroup, QStringLiteral("Cmp_Ref_DAC"), QStringLiteral("Comparator DAC:"),
                    EepromDataItem::Pair});
    if (withMonitor)
        entries.append({ReadOutGroup, QStringLiteral("PulseWidth"), QStringLiteral("Pulse width:"),
                        EepromDataItem::Single});
    return entries;
}

QList<EepromCatalogue::Entry> temperatureEntries()
{
    QList<EepromCatalogue::Entry> entries{
        {SensorGroup, QStringLiteral("tempSensorCurrentAdc"), QStringLiteral("Current ADC:"),
         EepromDataItem::Pair},
        {SensorGroup, QStringLiteral("tempSensorCurrentDac"), QStringLiteral("Current DAC:"),
         EepromDataItem::Pair},
        {SensorGroup, QStringLiteral("tempSensorVoltage"), QStringLiteral("Voltage ADC:"),
         EepromDataItem::Pair},
        {PressureGroup, QStringLiteral("pressSensorVoltageP"), QStringLiteral("Voltage \"+\" ADC:"),
         EepromDataItem::Pair},
        {PressureGroup, QStringLiteral("pressSensorVoltageN"), QStringLiteral("Voltage \"-\" ADC:"),
         EepromDataItem::Pair},
        {PressureGroup, QStringLiteral("pressSensorCoeffs"), QStringLiteral("Coefficients:"),
         EepromDataItem::Pair},
    };
    for (int i = 0; i < EepromCatalogue::TempTablePoints; ++i)
        entries.append(
            {TableGroup, EepromCatalogue::tempTableName(i), QString::number(i), EepromDataItem::Pair});
    return entries;
}
} // namespace

QList<EepromCatalogue::Entry> EepromCatalogue::entriesFor(int deviceType)
{
    switch (deviceType) {
    case 0:
        return sspdEntries(false);
    case 1:
        return sspdEntries(true);
    case 2:
        return temperatureEntries();
    default:
        return {};
    }
}

QString EepromCatalogue::tempTableName(int index)
{
    return QStringLiteral("tempTable_%1").arg(index);
}
