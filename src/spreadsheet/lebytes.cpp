#include "lebytes.h"

#include <QtEndian>

#include <cstring>

namespace zu {

char* LeBytes::grow(qsizetype count)
{
    const qsizetype at = m_data.size();
    m_data.resize(at + count);
    return m_data.data() + at;
}

LeBytes& LeBytes::u8(quint8 value)
{
    *grow(1) = static_cast<char>(value);
    return *this;
}

LeBytes& LeBytes::u16(quint16 value)
{
    qToLittleEndian(value, grow(2));
    return *this;
}

LeBytes& LeBytes::u32(quint32 value)
{
    qToLittleEndian(value, grow(4));
    return *this;
}

LeBytes& LeBytes::f64(double value)
{
    quint64 bits = 0;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    qToLittleEndian(bits, grow(8));
    return *this;
}

LeBytes& LeBytes::utf16(QStringView text)
{
    qToLittleEndian<quint16>(text.utf16(), text.size(), grow(2 * text.size()));
    return *this;
}

LeBytes& LeBytes::raw(QByteArrayView bytes)
{
    if (!bytes.isEmpty())
        std::memcpy(grow(bytes.size()), bytes.data(), static_cast<size_t>(bytes.size()));
    return *this;
}

LeBytes& LeBytes::zeros(qsizetype count)
{
    std::memset(grow(count), 0, static_cast<size_t>(count));
    return *this;
}

void LeBytes::patch32(qsizetype position, quint32 value)
{
    Q_ASSERT(position >= 0 && position + 4 <= m_data.size());
    qToLittleEndian(value, m_data.data() + position);
}

} // namespace zu
