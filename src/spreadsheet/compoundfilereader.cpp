#include "compoundfilereader.h"

#include "compoundfile.h"

#include <QtEndian>

namespace zu {

namespace {

quint16 le16(const char* p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 le32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}

constexpr qsizetype kHeaderSize = 512;

} // namespace

quint32 CompoundFileReader::sectorCount() const
{
    return static_cast<quint32>(std::max<qsizetype>(0, m_file.size() - m_sectorSize) / m_sectorSize);
}

const char* CompoundFileReader::sector(quint32 index) const
{
    return m_file.constData() + m_sectorSize + static_cast<qsizetype>(index) * m_sectorSize;
}

QByteArray CompoundFileReader::chain(quint32 start, qint64 size) const
{
    QByteArray out;
    quint32 s = start;
    for (quint32 steps = 0; s != cfb::kEndOfChain && (size < 0 || out.size() < size); ++steps) {
        if (s >= sectorCount() || s >= static_cast<quint32>(m_fat.size()) || steps > sectorCount())
            return QByteArray();
        out.append(sector(s), m_sectorSize);
        s = m_fat[s];
    }
    if (size >= 0) {
        if (out.size() < size)
            return QByteArray();
        out.truncate(size);
    }
    return out;
}

bool CompoundFileReader::open(const QByteArray& file, QString* reason)
{
    m_file = file;
    m_fat.clear();
    m_entries.clear();
    m_miniStream.clear();
    m_miniFat.clear();
    const char* h = m_file.constData();
    if (m_file.size() < kHeaderSize || m_file.left(8) != QByteArray::fromHex("D0CF11E0A1B11AE1")) {
        *reason = QStringLiteral("不是复合文档格式");
        return false;
    }
    const quint16 shift = le16(h + 0x1E);
    if (shift != 9 && shift != 12) {
        *reason = QStringLiteral("复合文档的扇区大小无效");
        return false;
    }
    m_sectorSize = qsizetype(1) << shift;

    QList<quint32> fatSectors;
    const quint32 fatCount = le32(h + 0x2C);
    if (fatCount > sectorCount()) {
        *reason = QStringLiteral("复合文档的分配表已损坏");
        return false;
    }
    for (int i = 0; i < cfb::kHeaderDifatEntries && static_cast<quint32>(fatSectors.size()) < fatCount; ++i)
        fatSectors.append(le32(h + 0x4C + i * 4));
    quint32 difat = le32(h + 0x44);
    const int perDifat = static_cast<int>(m_sectorSize / 4) - 1;
    for (quint32 steps = 0; static_cast<quint32>(fatSectors.size()) < fatCount; ++steps) {
        if (difat >= sectorCount() || steps > sectorCount()) {
            *reason = QStringLiteral("复合文档的分配表已损坏");
            return false;
        }
        const char* d = sector(difat);
        for (int i = 0; i < perDifat && static_cast<quint32>(fatSectors.size()) < fatCount; ++i)
            fatSectors.append(le32(d + i * 4));
        difat = le32(d + perDifat * 4);
    }
    for (const quint32 s : fatSectors) {
        if (s >= sectorCount()) {
            *reason = QStringLiteral("复合文档的分配表已损坏");
            return false;
        }
        const char* f = sector(s);
        for (qsizetype i = 0; i < m_sectorSize / 4; ++i)
            m_fat.append(le32(f + i * 4));
    }

    const QByteArray directory = chain(le32(h + 0x30), -1);
    if (directory.isEmpty()) {
        *reason = QStringLiteral("复合文档的目录已损坏");
        return false;
    }
    m_miniCutoff = le32(h + 0x38);
    const quint32 miniFatStart = le32(h + 0x3C);
    for (qsizetype at = 0; at + 128 <= directory.size(); at += 128) {
        const char* e = directory.constData() + at;
        const int nameBytes = std::min<int>(64, le16(e + 64));
        const quint8 type = static_cast<quint8>(e[66]);
        if (type == 5 && at == 0) {
            // The root entry's chain is the mini stream that holds the short streams.
            const qint64 size =
                shift == 9 ? le32(e + 120) : static_cast<qint64>(qFromLittleEndian<quint64>(e + 120));
            if (size > 0 && size <= m_file.size())
                m_miniStream = chain(le32(e + 116), size);
            continue;
        }
        if (type != 2 || nameBytes < 2)
            continue;
        Entry entry;
        for (int i = 0; i + 2 < nameBytes; i += 2)
            entry.name.append(QChar(le16(e + i)));
        entry.start = le32(e + 116);
        entry.size = shift == 9 ? le32(e + 120) : static_cast<qint64>(qFromLittleEndian<quint64>(e + 120));
        m_entries.append(entry);
    }
    if (!m_miniStream.isEmpty() && miniFatStart != cfb::kEndOfChain) {
        const QByteArray miniFat = chain(miniFatStart, -1);
        for (qsizetype i = 0; i + 4 <= miniFat.size(); i += 4)
            m_miniFat.append(le32(miniFat.constData() + i));
    }
    return true;
}

QByteArray CompoundFileReader::miniChain(quint32 start, qint64 size) const
{
    constexpr qsizetype kMiniSector = 64;
    const auto miniSectors = static_cast<quint32>(m_miniStream.size() / kMiniSector);
    QByteArray out;
    quint32 s = start;
    for (quint32 steps = 0; out.size() < size; ++steps) {
        if (s >= miniSectors || s >= static_cast<quint32>(m_miniFat.size()) || steps > miniSectors)
            return QByteArray();
        out.append(m_miniStream.constData() + static_cast<qsizetype>(s) * kMiniSector, kMiniSector);
        s = m_miniFat[s];
    }
    out.truncate(size);
    return out;
}

const CompoundFileReader::Entry* CompoundFileReader::find(const QString& name) const
{
    for (const Entry& entry : m_entries) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

qint64 CompoundFileReader::streamSize(const QString& name) const
{
    const Entry* entry = find(name);
    return entry ? entry->size : -1;
}

QByteArray CompoundFileReader::stream(const QString& name) const
{
    const Entry* entry = find(name);
    if (!entry || entry->size <= 0 || entry->size > m_file.size())
        return QByteArray();
    if (entry->size < m_miniCutoff)
        return miniChain(entry->start, entry->size);
    return chain(entry->start, entry->size);
}

} // namespace zu
