#include "RecordImage.h"

RecordImage::RecordImage(quint8 getter, quint8 setter, const QByteArray &factory, const QList<Field> &fields)
    : m_getter(getter), m_setter(setter), m_factory(factory), m_image(factory), m_fields(fields)
{
}

bool RecordImage::setImage(const QByteArray &image)
{
    if (image.size() != m_image.size())
        return false;
    m_image = image;
    return true;
}

std::optional<QByteArray> RecordImage::handle(quint8 command, const QByteArray &data)
{
    if (command == NoCommand)
        return std::nullopt;
    if (command == m_getter)
        return m_image;
    if (command == m_setter)
        return ByteImage::acknowledgement(setImage(data));
    for (const Field &field : m_fields) {
        if (command == field.getter)
            return m_image.mid(field.offset, field.size);
        if (command == field.setter) {
            if (data.size() != field.size)
                return std::nullopt;
            m_image.replace(field.offset, field.size, data);
            return QByteArray();
        }
    }
    return std::nullopt;
}
