#include "EepromDataStorage.h"
#include "CalibrationFile.h"
#include "EepromCatalogue.h"

namespace {
/// The catalogue type of a module's "type" value: only the numbers 0, 1 and 2 have constants.
int catalogueType(const QVariant &type)
{
    for (int known : {0, 1, 2}) {
        if (type == QVariant(known))
            return known;
    }
    return -1;
}
} // namespace

EepromDataStorage::EepromDataStorage(QObject *parent) : QObject(parent) {}

EepromDataItem *EepromDataStorage::get(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

EepromDataItem *EepromDataStorage::getByName(const QString &name) const
{
    return m_byName.value(name, nullptr);
}

QList<EepromDataItem *> EepromDataStorage::getByGroup(const QString &group) const
{
    QList<EepromDataItem *> items;
    for (EepromDataItem *item : m_items) {
        if (item->group() == group)
            items.append(item);
    }
    return items;
}

void EepromDataStorage::addItem(const QString &group, const QString &name, const QString &displayedName,
                                EepromDataItem::EepromDataType type, const QVariant &value)
{
    if (EepromDataItem *item = getByName(name)) {
        item->setGroup(group);
        item->setDisplayedName(displayedName);
        item->setType(type);
        item->setValue(value);
        return;
    }
    auto *item = new EepromDataItem(group, name, displayedName, type, value, this);
    m_items.append(item);
    m_byName.insert(name, item);
    emit countChanged();
    emit itemAdded(item);
}

void EepromDataStorage::removeItem(const QString &name)
{
    EepromDataItem *item = m_byName.take(name);
    if (!item)
        return;
    m_items.removeOne(item);
    // QML may still hold the item for the current frame.
    item->deleteLater();
    emit countChanged();
    emit itemRemoved(name);
}

void EepromDataStorage::clear()
{
    m_byName.clear();
    qDeleteAll(m_items);
    m_items.clear();
    emit countChanged();
    emit storageCleared();
}

QVariantList EepromDataStorage::groups() const
{
    QVariantList groups;
    for (const EepromDataItem *item : m_items) {
        if (!groups.contains(item->group()))
            groups.append(item->group());
    }
    return groups;
}

void EepromDataStorage::initialize(const QVariantMap &map)
{
    m_type = map.value(QStringLiteral("type")).toInt();
    m_address = map.value(QStringLiteral("address")).toInt();
    m_typeString = map.value(QStringLiteral("type_str")).toString();
    m_udid = map.value(QStringLiteral("UDID")).toString();
    clear();
    const QList<EepromCatalogue::Entry> entries =
        EepromCatalogue::entriesFor(catalogueType(map.value(QStringLiteral("type"))));
    for (const EepromCatalogue::Entry &entry : entries)
        addItem(entry.group, entry.name, entry.displayedName, entry.type, map.value(entry.name));
}

bool EepromDataStorage::saveToFile(const QString &fileName)
{
    if (fileName.isEmpty())
        return false;
    QString error;
    if (CalibrationFile::write(fileName, CalibrationFile::build(*this), &error))
        return true;
    emit fileError(error);
    return false;
}

EepromDataStorage::FileContents EepromDataStorage::readFile(const QString &fileName) const
{
    FileContents contents;
    QJsonObject object;
    if (!CalibrationFile::read(fileName, &object, &contents.error))
        return contents;
    contents.udid = CalibrationFile::udid(object);
    const QString mismatch = CalibrationFile::typeMismatch(object, *this);
    if (!mismatch.isEmpty())
        contents.skipped.append(mismatch);
    contents.values = CalibrationFile::assignments(object, *this, &contents.skipped);
    if (contents.values.isEmpty()) {
        contents.error = QStringLiteral("The file holds none of this module's constants.");
        if (!contents.skipped.isEmpty())
            contents.error += QLatin1Char('\n') + contents.skipped.join(QLatin1Char('\n'));
    }
    return contents;
}

QVariantMap EepromDataStorage::inspectFile(const QString &fileName) const
{
    const FileContents contents = readFile(fileName);
    return {{QStringLiteral("error"), contents.error},
            {QStringLiteral("udid"), contents.udid},
            {QStringLiteral("udidDiffers"), contents.error.isEmpty() && contents.udid != m_udid},
            {QStringLiteral("skipped"), contents.error.isEmpty() ? contents.skipped : QStringList()},
            {QStringLiteral("loadable"), int(contents.values.size())}};
}

bool EepromDataStorage::loadFromFile(const QString &fileName)
{
    if (fileName.isEmpty())
        return false;
    const FileContents contents = readFile(fileName);
    if (!contents.error.isEmpty()) {
        emit fileError(contents.error);
        return false;
    }
    for (const CalibrationFile::Assignment &value : contents.values)
        getByName(value.first)->setValue(value.second);
    emit updated();
    return true;
}

QVariantMap EepromDataStorage::constants() const
{
    QVariantMap constants{{QStringLiteral("address"), m_address}};
    for (const EepromDataItem *item : m_items)
        constants.insert(item->name(), item->value());
    return constants;
}
