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
void putCommon(QByteArray& out, quint32 crc, quint32 size, quint32 nameLength, quint32 extraLength = 0)
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
    put16(out, extraLength);
}

void put64(QByteArray& out, quint64 value)
{
    put32(out, static_cast<quint32>(value));
    put32(out, static_cast<quint32>(value >> 32));
}

constexpr quint32 kUnknown = 0xFFFFFFFF;

} // namespace

QByteArray storedZip(const QList<QPair<QString, QByteArray>>& entries, ZipForm form)
{
    const bool zip64 = form == ZipForm::Zip64;
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
        put16(directory, zip64 ? 45 : 20); // made by
        if (zip64) {
            // Both sizes and the offset in the zip64 extra field instead.
            putCommon(directory, crc, kUnknown, nameLength, 4 + 3 * 8);
        } else {
            putCommon(directory, crc, size, nameLength);
        }
        put16(directory, 0); // comment
        put16(directory, 0); // disk
        put16(directory, 0); // internal attributes
        put32(directory, 0); // external attributes
        put32(directory, zip64 ? kUnknown : offset);
        directory += utf8;
        if (zip64) {
            put16(directory, 0x0001);
            put16(directory, 3 * 8);
            put64(directory, size);
            put64(directory, size);
            put64(directory, offset);
        }
    }
    const auto directoryOffset = static_cast<quint32>(out.size());
    out += directory;
    if (zip64) {
        const auto recordOffset = static_cast<quint64>(out.size());
        put32(out, 0x06064b50);
        put64(out, 44); // the record's size after this field
        put16(out, 45);
        put16(out, 45);
        put32(out, 0);
        put32(out, 0);
        put64(out, entries.size());
        put64(out, entries.size());
        put64(out, directory.size());
        put64(out, directoryOffset);
        put32(out, 0x07064b50);
        put32(out, 0);
        put64(out, recordOffset);
        put32(out, 1);
    }
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, zip64 ? 0xFFFF : static_cast<quint32>(entries.size()));
    put16(out, zip64 ? 0xFFFF : static_cast<quint32>(entries.size()));
    put32(out, zip64 ? kUnknown : static_cast<quint32>(directory.size()));
    put32(out, zip64 ? kUnknown : directoryOffset);
    put16(out, 0);
    return out;
}

} // namespace zu::test
