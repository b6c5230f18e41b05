#include "zippackage.h"

#include <QByteArrayView>
#include <QFile>
#include <QtEndian>

#include <memory>

#include <zlib.h>

namespace zu {

namespace {

constexpr quint32 kEndOfDirectory = 0x06054b50;
constexpr quint32 kZip64EndLocator = 0x07064b50;
constexpr quint32 kZip64End = 0x06064b50;
constexpr quint32 kDirectoryEntry = 0x02014b50;
constexpr quint32 kLocalHeader = 0x04034b50;
constexpr qsizetype kLocalHeaderSize = 30;
constexpr qint64 kChunk = 1 << 18;
constexpr quint32 kUnknown32 = 0xFFFFFFFF;
constexpr qsizetype kEndRecordSize = 22;
constexpr qsizetype kEntrySize = 46;
constexpr qsizetype kMaxComment = 0xFFFF;

// A little-endian number at `at`; zero where the bytes end before it does.
template <typename T> T le(QByteArrayView bytes, qsizetype at)
{
    if (at < 0 || at + static_cast<qsizetype>(sizeof(T)) > bytes.size())
        return 0;
    return qFromLittleEndian<T>(bytes.data() + at);
}

QByteArray readAt(QFile& file, qint64 position, qint64 size)
{
    if (position < 0 || size < 0 || !file.seek(position))
        return {};
    return file.read(size);
}

// The 64-bit values of an entry whose 32-bit ones are marked unknown, in the order the format
// gives them; only those marked are there.
bool readZip64Values(QByteArrayView extra, ZipEntry* entry)
{
    const bool sizeUnknown = entry->size == kUnknown32;
    const bool packedUnknown = entry->packedSize == kUnknown32;
    const bool offsetUnknown = entry->headerOffset == kUnknown32;
    for (qsizetype pos = 0; pos + 4 <= extra.size();) {
        const quint16 id = le<quint16>(extra, pos);
        const quint16 length = le<quint16>(extra, pos + 2);
        if (id != 0x0001) {
            pos += 4 + length;
            continue;
        }
        qsizetype field = pos + 4;
        for (const auto& [unknown, value] :
             {std::pair{sizeUnknown, &entry->size}, std::pair{packedUnknown, &entry->packedSize},
              std::pair{offsetUnknown, &entry->headerOffset}}) {
            if (!unknown)
                continue;
            if (field + 8 > pos + 4 + length)
                return false;
            *value = static_cast<qint64>(le<quint64>(extra, field));
            field += 8;
        }
        return entry->size >= 0 && entry->packedSize >= 0 && entry->headerOffset >= 0;
    }
    return false;
}

} // namespace

ZipDirectory readZipDirectory(QFile& file, QList<ZipEntry>* entries)
{
    entries->clear();
    const qint64 fileSize = file.size();
    const qint64 tailStart = std::max<qint64>(0, fileSize - kEndRecordSize - kMaxComment);
    const QByteArray tail = readAt(file, tailStart, fileSize - tailStart);
    const qsizetype end = tail.lastIndexOf(QByteArrayView("PK\x05\x06", 4));
    if (end < 0 || end + kEndRecordSize > tail.size() || le<quint32>(tail, end) != kEndOfDirectory)
        return ZipDirectory::NoEnd;
    qint64 count = le<quint16>(tail, end + 10);
    qint64 directorySize = le<quint32>(tail, end + 12);
    qint64 directoryOffset = le<quint32>(tail, end + 16);
    if (le<quint32>(tail, end - 20) == kZip64EndLocator) {
        const QByteArray zip64 = readAt(file, static_cast<qint64>(le<quint64>(tail, end - 20 + 8)), 56);
        if (le<quint32>(zip64, 0) != kZip64End)
            return ZipDirectory::Damaged;
        count = static_cast<qint64>(le<quint64>(zip64, 32));
        directorySize = static_cast<qint64>(le<quint64>(zip64, 40));
        directoryOffset = static_cast<qint64>(le<quint64>(zip64, 48));
    }
    if (directoryOffset < 0 || directorySize < 0 || directoryOffset > fileSize ||
        directorySize > fileSize - directoryOffset)
        return ZipDirectory::OutsideFile;
    const QByteArray directory = readAt(file, directoryOffset, directorySize);
    if (directory.size() != directorySize || count > directorySize / kEntrySize)
        return ZipDirectory::Damaged;
    qsizetype pos = 0;
    for (qint64 i = 0; i < count; ++i) {
        if (pos + kEntrySize > directory.size() || le<quint32>(directory, pos) != kDirectoryEntry)
            return ZipDirectory::Damaged;
        const quint16 nameLength = le<quint16>(directory, pos + 28);
        const quint16 extraLength = le<quint16>(directory, pos + 30);
        const quint16 commentLength = le<quint16>(directory, pos + 32);
        if (pos + kEntrySize + nameLength + extraLength > directory.size())
            return ZipDirectory::Damaged;
        ZipEntry entry{.name = QString::fromUtf8(directory.mid(pos + kEntrySize, nameLength)),
                       .method = le<quint16>(directory, pos + 10),
                       .crc = le<quint32>(directory, pos + 16),
                       .packedSize = le<quint32>(directory, pos + 20),
                       .size = le<quint32>(directory, pos + 24),
                       .headerOffset = le<quint32>(directory, pos + 42)};
        if (entry.size == kUnknown32 || entry.packedSize == kUnknown32 || entry.headerOffset == kUnknown32) {
            const QByteArrayView extra(directory.constData() + pos + kEntrySize + nameLength, extraLength);
            if (!readZip64Values(extra, &entry))
                return ZipDirectory::Damaged;
        }
        entries->append(entry);
        pos += kEntrySize + nameLength + extraLength + commentLength;
    }
    return ZipDirectory::Read;
}

ZipDirectory ZipPackage::open()
{
    m_entries.clear();
    m_byName.clear();
    if (!m_file.isOpen() && !m_file.open(QIODevice::ReadOnly))
        return ZipDirectory::NoEnd;
    const ZipDirectory read = readZipDirectory(m_file, &m_entries);
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        m_byName.insert(m_entries[i].name, i);
    return read;
}

const ZipEntry* ZipPackage::entry(const QString& name) const
{
    const auto it = m_byName.constFind(name);
    return it == m_byName.constEnd() ? nullptr : &m_entries[it.value()];
}

bool ZipPackage::unpack(const ZipEntry& entry, const std::function<bool(QByteArrayView)>& sink)
{
    const QByteArray header = readAt(m_file, entry.headerOffset, kLocalHeaderSize);
    if (le<quint32>(header, 0) != kLocalHeader ||
        !m_file.seek(entry.headerOffset + kLocalHeaderSize + le<quint16>(header, 26) +
                     le<quint16>(header, 28)))
        return false;
    uLong crc = crc32(0, nullptr, 0);
    qint64 produced = 0;
    // More than the entry says is damage (or a bomb): stop at once.
    const auto deliver = [&](QByteArrayView bytes) {
        produced += bytes.size();
        if (produced > entry.size)
            return false;
        crc = crc32_z(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<z_size_t>(bytes.size()));
        return bytes.isEmpty() || sink(bytes);
    };
    qint64 left = entry.packedSize;
    if (entry.method == 0) {
        while (left > 0) {
            const QByteArray bytes = m_file.read(std::min(left, kChunk));
            if (bytes.isEmpty() || !deliver(bytes))
                return false;
            left -= bytes.size();
        }
    } else if (entry.method == Z_DEFLATED) {
        z_stream stream{};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
            return false;
        const std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&stream, inflateEnd);
        QByteArray out(kChunk, Qt::Uninitialized);
        QByteArray in;
        int status = Z_OK;
        do {
            if (stream.avail_in == 0) {
                if (left <= 0)
                    return false;
                in = m_file.read(std::min(left, kChunk));
                if (in.isEmpty())
                    return false;
                left -= in.size();
                stream.next_in = reinterpret_cast<Bytef*>(in.data());
                stream.avail_in = static_cast<uInt>(in.size());
            }
            do {
                stream.next_out = reinterpret_cast<Bytef*>(out.data());
                stream.avail_out = static_cast<uInt>(out.size());
                status = inflate(&stream, Z_NO_FLUSH);
                if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
                    return false;
                if (!deliver(QByteArrayView(out.constData(), out.size() - stream.avail_out)))
                    return false;
            } while (stream.avail_out == 0 && status != Z_STREAM_END);
        } while (status != Z_STREAM_END);
    } else {
        return false;
    }
    return produced == entry.size && crc == entry.crc;
}

bool ZipPackage::read(const QString& name, QByteArray* bytes)
{
    bytes->clear();
    const ZipEntry* found = entry(name);
    if (!found)
        return false;
    // The size is the directory's word only: grow beyond a first share as the bytes come.
    bytes->reserve(std::min<qint64>(found->size, qint64(1) << 26));
    return unpack(*found, [bytes](QByteArrayView piece) {
        bytes->append(piece);
        return true;
    });
}

} // namespace zu
