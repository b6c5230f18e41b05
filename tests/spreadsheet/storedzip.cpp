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
struct Sizes
{
    quint16 method = 0; // stored
    quint32 crc = 0;
    quint32 packed = 0;
    quint32 size = 0;
};

void putCommon(QByteArray& out, const Sizes& sizes, quint32 nameLength, quint32 extraLength = 0)
{
    put16(out, 20);     // version needed
    put16(out, 0x0800); // names in UTF-8
    put16(out, sizes.method);
    put16(out, 0);    // time
    put16(out, 0x21); // date: 1980-01-01
    put32(out, sizes.crc);
    put32(out, sizes.packed);
    put32(out, sizes.size);
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

quint32 zipCrc(const QByteArray& bytes)
{
    return crc32(bytes);
}

QByteArray rawDeflate(const QByteArray& bytes)
{
    // qCompress gives the length, zlib's two-byte header, the stream and a four-byte checksum.
    return qCompress(bytes).sliced(4 + 2).chopped(4);
}

QByteArray storedZip(const QList<QPair<QString, QByteArray>>& entries, ZipForm form)
{
    QList<PackedEntry> packed;
    for (const auto& [name, data] : entries)
        packed.append({.name = name,
                       .packed = data,
                       .method = 0,
                       .crc = crc32(data),
                       .size = static_cast<quint32>(data.size())});
    return packedZip(packed, form);
}

QByteArray packedZip(const QList<PackedEntry>& entries, ZipForm form)
{
    const bool zip64 = form == ZipForm::Zip64;
    QByteArray out;
    QByteArray directory;
    for (const PackedEntry& entry : entries) {
        const QByteArray utf8 = entry.name.toUtf8();
        const auto offset = static_cast<quint32>(out.size());
        const Sizes sizes{.method = entry.method,
                          .crc = entry.crc,
                          .packed = static_cast<quint32>(entry.packed.size()),
                          .size = entry.size};
        const auto nameLength = static_cast<quint32>(utf8.size());
        put32(out, 0x04034b50);
        putCommon(out, sizes, nameLength);
        out += utf8;
        out += entry.packed;

        put32(directory, 0x02014b50);
        put16(directory, zip64 ? 45 : 20); // made by
        if (zip64) {
            // Both sizes and the offset in the zip64 extra field instead.
            putCommon(directory,
                      {.method = sizes.method, .crc = sizes.crc, .packed = kUnknown, .size = kUnknown},
                      nameLength, 4 + 3 * 8);
        } else {
            putCommon(directory, sizes, nameLength);
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
            put64(directory, sizes.size);
            put64(directory, sizes.packed);
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
