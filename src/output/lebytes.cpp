#include "lebytes.h"

#include <QtEndian>

#include <cstring>

namespace zu {

LeBytes& LeBytes::u8(quint8 value)
{
    m_data.append(static_cast<char>(value));
    return *this;
}

LeBytes& LeBytes::u16(quint16 value)
{
    char buffer[2];
    qToLittleEndian(value, buffer);
    m_data.append(buffer, 2);
    return *this;
}

LeBytes& LeBytes::u32(quint32 value)
{
    char buffer[4];
    qToLittleEndian(value, buffer);
    m_data.append(buffer, 4);
    return *this;
}

LeBytes& LeBytes::f64(double value)
{
    quint64 bits = 0;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    char buffer[8];
    qToLittleEndian(bits, buffer);
    m_data.append(buffer, 8);
    return *this;
}

LeBytes& LeBytes::utf16(QStringView text)
{
    for (const QChar c : text)
        u16(c.unicode());
    return *this;
}

LeBytes& LeBytes::raw(const QByteArray& bytes)
{
    m_data.append(bytes);
    return *this;
}

LeBytes& LeBytes::zeros(qsizetype count)
{
    m_data.append(count, '\0');
    return *this;
}

void LeBytes::patch32(qsizetype position, quint32 value)
{
    Q_ASSERT(position >= 0 && position + 4 <= m_data.size());
    qToLittleEndian(value, m_data.data() + position);
}

} // namespace zu
