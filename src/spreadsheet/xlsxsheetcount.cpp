#include "xlsxsheetcount.h"

#include <QByteArrayView>
#include <QFile>
#include <QRegularExpression>
#include <QtEndian>

#include <map>
#include <memory>

#include <zlib.h>

namespace zu {

namespace {

constexpr quint32 kEndOfDirectory = 0x06054b50;
constexpr quint32 kZip64EndLocator = 0x07064b50;
constexpr quint32 kZip64End = 0x06064b50;
constexpr quint32 kDirectoryEntry = 0x02014b50;
constexpr quint32 kLocalHeader = 0x04034b50;
constexpr quint32 kUnknown32 = 0xFFFFFFFF;
constexpr qsizetype kEndRecordSize = 22;
constexpr qsizetype kMaxComment = 0xFFFF;

template <typename T> T le(QByteArrayView bytes, qsizetype at)
{
    if (at < 0 || at + static_cast<qsizetype>(sizeof(T)) > bytes.size())
        return 0;
    return qFromLittleEndian<T>(bytes.data() + at);
}

struct Entry
{
    quint16 method = 0;
    qint64 packedSize = 0;
    qint64 headerOffset = 0;
};

// Counts "<row " and "<c " in a stream of XML and remembers its last bytes. Texts are escaped in
// the XML, so a '<' always opens a tag.
class TagCounter final
{
public:
    void feed(QByteArrayView bytes)
    {
        for (const char c : bytes) {
            m_tail = (m_tail << 8) | static_cast<unsigned char>(c);
            if (c != ' ')
                continue;
            if ((m_tail & 0xFFFFFFFFFFull) == kRowTag)
                ++m_tally.rows;
            else if ((m_tail & 0xFFFFFFull) == kCellTag)
                ++m_tally.cells;
        }
        m_last.append(bytes.last(std::min<qsizetype>(bytes.size(), kEnd.size())));
        if (m_last.size() > kEnd.size())
            m_last.remove(0, m_last.size() - kEnd.size());
    }
    SheetTally tally() const { return m_tally; }
    bool complete() const { return m_last == kEnd; }

private:
    static constexpr quint64 kRowTag = 0x3C726F7720ull; // "<row "
    static constexpr quint64 kCellTag = 0x3C6320ull;    // "<c "
    static constexpr QByteArrayView kEnd = "</worksheet>";
    quint64 m_tail = 0;
    SheetTally m_tally;
    QByteArray m_last;
};

class ZipSheets final
{
public:
    explicit ZipSheets(const QString& path) : m_file(path) {}

    bool read(std::vector<SheetTally>* sheets, QString* reason)
    {
        if (!m_file.open(QIODevice::ReadOnly)) {
            *reason = m_file.errorString();
            return false;
        }
        std::map<int, Entry> parts;
        if (!readDirectory(&parts))
            return fail(reason);
        int expected = 1;
        sheets->clear();
        for (const auto& [number, entry] : parts) {
            if (number != expected++)
                return fail(reason);
            TagCounter counter;
            if (!unpack(entry, counter) || !counter.complete())
                return fail(reason);
            sheets->push_back(counter.tally());
        }
        return true;
    }

private:
    bool fail(QString* reason) const
    {
        *reason = QStringLiteral("工作簿的内容不完整");
        return false;
    }

    QByteArray at(qint64 position, qint64 size)
    {
        if (position < 0 || size < 0 || !m_file.seek(position))
            return {};
        return m_file.read(size);
    }

    bool readDirectory(std::map<int, Entry>* parts)
    {
        const qint64 fileSize = m_file.size();
        const qint64 tailStart = std::max<qint64>(0, fileSize - kEndRecordSize - kMaxComment);
        const QByteArray tail = at(tailStart, fileSize - tailStart);
        const qsizetype end = tail.lastIndexOf(QByteArrayView("PK\x05\x06", 4));
        if (end < 0 || le<quint32>(tail, end) != kEndOfDirectory)
            return false;
        qint64 count = le<quint16>(tail, end + 10);
        qint64 directorySize = le<quint32>(tail, end + 12);
        qint64 directoryOffset = le<quint32>(tail, end + 16);
        if (le<quint32>(tail, end - 20) == kZip64EndLocator) {
            const QByteArray zip64 = at(static_cast<qint64>(le<quint64>(tail, end - 20 + 8)), 56);
            if (le<quint32>(zip64, 0) != kZip64End)
                return false;
            count = static_cast<qint64>(le<quint64>(zip64, 32));
            directorySize = static_cast<qint64>(le<quint64>(zip64, 40));
            directoryOffset = static_cast<qint64>(le<quint64>(zip64, 48));
        }
        const QByteArray directory = at(directoryOffset, directorySize);
        if (directory.size() != directorySize)
            return false;
        static const QRegularExpression kSheetPart(
            QStringLiteral("^xl/worksheets/sheet([1-9][0-9]*)\\.xml$"));
        qsizetype pos = 0;
        for (qint64 i = 0; i < count; ++i) {
            if (le<quint32>(directory, pos) != kDirectoryEntry)
                return false;
            const quint16 nameLength = le<quint16>(directory, pos + 28);
            const quint16 extraLength = le<quint16>(directory, pos + 30);
            const quint16 commentLength = le<quint16>(directory, pos + 32);
            if (pos + 46 + nameLength + extraLength > directory.size())
                return false;
            const QString name = QString::fromUtf8(directory.mid(pos + 46, nameLength));
            Entry entry{.method = le<quint16>(directory, pos + 10),
                        .packedSize = le<quint32>(directory, pos + 20),
                        .headerOffset = le<quint32>(directory, pos + 42)};
            const bool packedUnknown = entry.packedSize == kUnknown32;
            const bool offsetUnknown = entry.headerOffset == kUnknown32;
            if (le<quint32>(directory, pos + 24) == kUnknown32 || packedUnknown || offsetUnknown) {
                const QByteArrayView extra(directory.constData() + pos + 46 + nameLength, extraLength);
                if (!readZip64Sizes(extra, le<quint32>(directory, pos + 24) == kUnknown32, packedUnknown,
                                    offsetUnknown, &entry))
                    return false;
            }
            const QRegularExpressionMatch match = kSheetPart.match(name);
            if (match.hasMatch() && !parts->emplace(match.captured(1).toInt(), entry).second)
                return false;
            pos += 46 + nameLength + extraLength + commentLength;
        }
        return !parts->empty();
    }

    // The 64-bit sizes of an entry, in the order the format gives them, only those marked unknown.
    static bool readZip64Sizes(QByteArrayView extra, bool sizeUnknown, bool packedUnknown, bool offsetUnknown,
                               Entry* entry)
    {
        qsizetype pos = 0;
        while (pos + 4 <= extra.size()) {
            const quint16 id = le<quint16>(extra, pos);
            const quint16 length = le<quint16>(extra, pos + 2);
            if (id == 0x0001) {
                qsizetype field = pos + 4;
                if (sizeUnknown)
                    field += 8;
                if (packedUnknown) {
                    entry->packedSize = static_cast<qint64>(le<quint64>(extra, field));
                    field += 8;
                }
                if (offsetUnknown)
                    entry->headerOffset = static_cast<qint64>(le<quint64>(extra, field));
                return field <= pos + 4 + length;
            }
            pos += 4 + length;
        }
        return false;
    }

    bool unpack(const Entry& entry, TagCounter& counter)
    {
        const QByteArray header = at(entry.headerOffset, 30);
        if (le<quint32>(header, 0) != kLocalHeader)
            return false;
        qint64 left = entry.packedSize;
        if (!m_file.seek(entry.headerOffset + 30 + le<quint16>(header, 26) + le<quint16>(header, 28)))
            return false;
        constexpr qint64 kChunk = 1 << 18;
        if (entry.method == 0) {
            while (left > 0) {
                const QByteArray bytes = m_file.read(std::min(left, kChunk));
                if (bytes.isEmpty())
                    return false;
                counter.feed(bytes);
                left -= bytes.size();
            }
            return true;
        }
        if (entry.method != Z_DEFLATED)
            return false;
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
                counter.feed(QByteArrayView(out.constData(), out.size() - stream.avail_out));
            } while (stream.avail_out == 0 && status != Z_STREAM_END);
        } while (status != Z_STREAM_END);
        return true;
    }

    QFile m_file;
};

} // namespace

bool countXlsxSheets(const QString& path, std::vector<SheetTally>* sheets, QString* reason)
{
    return ZipSheets(path).read(sheets, reason);
}

} // namespace zu
