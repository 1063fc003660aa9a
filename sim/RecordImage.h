#pragma once

#include "ByteImage.h"

#include <QByteArray>
#include <QList>
#include <cstddef>
#include <optional>

/// A module record kept as its wire image (calibration constants, for instance) and answered
/// through a getter/setter pair for the whole record and one for each field. A field is a run of
/// bytes in the image (offset and size of the record member), so one table line describes it
/// whatever its type. A setter with data of the wrong size changes nothing and is not
/// acknowledged; a read-only record or field has the setter NoCommand.
class RecordImage
{
public:
    static constexpr quint8 NoCommand = 0xFF; ///< a getter or setter code that does not exist

    struct Field
    {
        quint8 getter;
        quint8 setter;
        int offset; ///< bytes into the record
        int size;   ///< bytes
    };

    /// A field line for member `member` of `Record`, e.g. `RecordImage::field(43, 44, &Record::coeff)`.
    template <typename Record, typename Member>
    static Field field(quint8 getter, quint8 setter, Member Record::*member)
    {
        // offsetof needs a member name, so the offset is taken from a value-initialised record.
        static const Record probe{};
        const auto offset =
            reinterpret_cast<const char *>(&(probe.*member)) - reinterpret_cast<const char *>(&probe);
        return {getter, setter, static_cast<int>(offset), static_cast<int>(sizeof(Member))};
    }

    /// `factory` is the record's image at power-on and after a reset without stored constants.
    RecordImage(quint8 getter, quint8 setter, const QByteArray &factory, const QList<Field> &fields);

    /// Answers the record's or a field's getter and setter; nothing for any other code.
    std::optional<QByteArray> handle(quint8 command, const QByteArray &data);

    const QByteArray &image() const { return m_image; }
    /// Replaces the whole image; false (nothing changed) when the size is wrong.
    bool setImage(const QByteArray &image);
    void restoreFactory() { m_image = m_factory; }

    /// The record as a value of its type.
    template <typename Record> Record as() const { return ByteImage::to<Record>(m_image).value_or(Record{}); }

private:
    quint8 m_getter;
    quint8 m_setter;
    QByteArray m_factory;
    QByteArray m_image;
    QList<Field> m_fields;
};
