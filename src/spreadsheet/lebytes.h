#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace zu {

// Appends little-endian values, the byte order of both BIFF and the compound file.
class LeBytes final
{
public:
    LeBytes& u8(quint8 value);
    LeBytes& u16(quint16 value);
    LeBytes& u32(quint32 value);
    LeBytes& f64(double value);
    LeBytes& utf16(QStringView text); // code units only, no length and no terminator
    LeBytes& raw(QByteArrayView bytes);
    LeBytes& zeros(qsizetype count);

    void patch32(qsizetype position, quint32 value);

    qsizetype size() const { return m_data.size(); }
    const QByteArray& data() const { return m_data; }
    QByteArray take() { return std::move(m_data); }
    void reserve(qsizetype bytes) { m_data.reserve(bytes); }

private:
    // Room for `count` more bytes at the end; a workbook is millions of small values.
    char* grow(qsizetype count);

    QByteArray m_data;
};

} // namespace zu
