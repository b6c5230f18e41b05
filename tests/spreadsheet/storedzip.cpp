#include "storedzip.h"

#include <QtEndian>

namespace zu::test {

namespace {

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put16(QByteArray& out, quint32 value)
{
    char bytes[2];
    qToLittleEndian(static_cast<quint16>(value), bytes);
    out.append(bytes, 2);
}

void put32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

// The fields that the local and the central header of an entry share, from "version needed" on.
void putCommon(QByteArray& out, quint32 crc, quint32 size, quint32 nameLength)
{
    put16(out, 20);     // version needed
    put16(out, 0x0800); // names in UTF-8
    put16(out, 0);      // stored
    put16(out, 0);      // time
    put16(out, 0x21);   // date: 1980-01-01
    put32(out, crc);
    put32(out, size); // compressed
    put32(out, size);
    put16(out, nameLength);
    put16(out, 0); // extra field
}

} // namespace

QByteArray storedZip(const QList<QPair<QString, QByteArray>>& entries)
{
    QByteArray out;
    QByteArray directory;
    for (const auto& [name, data] : entries) {
        const QByteArray utf8 = name.toUtf8();
        const auto offset = static_cast<quint32>(out.size());
        const quint32 crc = crc32(data);
        const auto size = static_cast<quint32>(data.size());
        const auto nameLength = static_cast<quint32>(utf8.size());
        put32(out, 0x04034b50);
        putCommon(out, crc, size, nameLength);
        out += utf8;
        out += data;

        put32(directory, 0x02014b50);
        put16(directory, 20); // made by
        putCommon(directory, crc, size, nameLength);
        put16(directory, 0); // comment
        put16(directory, 0); // disk
        put16(directory, 0); // internal attributes
        put32(directory, 0); // external attributes
        put32(directory, offset);
        directory += utf8;
    }
    const auto directoryOffset = static_cast<quint32>(out.size());
    out += directory;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<quint32>(entries.size()));
    put16(out, static_cast<quint32>(entries.size()));
    put32(out, static_cast<quint32>(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

} // namespace zu::test
