#include "compoundfile.h"

#include "lebytes.h"

#include <vector>

namespace zu {

namespace {

constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr int kEntriesPerSector = cfb::kSectorSize / 4;
constexpr int kDifatEntriesPerSector = kEntriesPerSector - 1; // the last entry links to the next DIFAT sector
constexpr int kDirectoryEntrySize = 128;
constexpr int kDirectoryEntriesPerSector = cfb::kSectorSize / kDirectoryEntrySize;

quint32 sectorsFor(qint64 bytes, qint64 per)
{
    return static_cast<quint32>((bytes + per - 1) / per);
}

struct Layout
{
    quint32 streamSectors = 0;
    quint32 directorySector = 0;
    quint32 fatSectors = 0;
    quint32 difatSectors = 0;

    quint32 firstFat() const { return directorySector + 1; }
    quint32 firstDifat() const { return firstFat() + fatSectors; }
    quint32 total() const { return firstDifat() + difatSectors; }
};

// The allocation table covers its own sectors and the DIFAT's, so their counts are found together.
Layout layoutFor(qint64 streamBytes)
{
    Layout layout;
    layout.streamSectors = sectorsFor(streamBytes, cfb::kSectorSize);
    layout.directorySector = layout.streamSectors;
    layout.fatSectors = 1;
    for (;;) {
        const quint32 fat = sectorsFor(layout.total(), kEntriesPerSector);
        const quint32 difat = fat > cfb::kHeaderDifatEntries
                                  ? sectorsFor(fat - cfb::kHeaderDifatEntries, kDifatEntriesPerSector)
                                  : 0;
        if (fat == layout.fatSectors && difat == layout.difatSectors)
            return layout;
        layout.fatSectors = std::max(fat, layout.fatSectors);
        layout.difatSectors = std::max(difat, layout.difatSectors);
    }
}

void writeHeader(LeBytes& out, const Layout& layout)
{
    out.u32(0xE011CFD0).u32(0xE11AB1A1); // signature D0 CF 11 E0 A1 B1 1A E1
    out.zeros(16);                       // class id
    out.u16(0x003E).u16(0x0003);         // minor and major version
    out.u16(0xFFFE);                     // little-endian
    out.u16(9).u16(6);                   // 512-byte sectors, 64-byte mini sectors
    out.zeros(6);
    out.u32(0); // directory sectors: always 0 in version 3
    out.u32(layout.fatSectors);
    out.u32(layout.directorySector);
    out.u32(0); // transactions: none
    out.u32(static_cast<quint32>(cfb::kMiniStreamCutoff));
    out.u32(cfb::kEndOfChain).u32(0); // no mini FAT
    out.u32(layout.difatSectors ? layout.firstDifat() : cfb::kEndOfChain).u32(layout.difatSectors);
    for (quint32 i = 0; i < cfb::kHeaderDifatEntries; ++i)
        out.u32(i < layout.fatSectors ? layout.firstFat() + i : cfb::kFreeSector);
}

void writeDirectoryEntry(LeBytes& out, const QString& name, quint8 type, quint32 child, quint32 start,
                         quint32 size)
{
    const qsizetype before = out.size();
    out.utf16(name).u16(0);
    out.zeros(64 - (out.size() - before));
    out.u16(static_cast<quint16>((name.size() + 1) * 2));
    out.u8(type).u8(1); // black in the red-black tree
    out.u32(kNoStream).u32(kNoStream).u32(child);
    out.zeros(16 + 4 + 8 + 8); // class id, state bits, creation and modification times
    out.u32(start).u32(size).u32(0);
}

void writeUnusedDirectoryEntry(LeBytes& out)
{
    out.zeros(66).u8(0).u8(0);
    out.u32(kNoStream).u32(kNoStream).u32(kNoStream);
    out.zeros(16 + 4 + 8 + 8 + 4 + 8);
}

std::vector<quint32> allocationTable(const Layout& layout)
{
    std::vector<quint32> fat(static_cast<size_t>(layout.fatSectors) * kEntriesPerSector, cfb::kFreeSector);
    for (quint32 s = 0; s < layout.streamSectors; ++s)
        fat[s] = s + 1 < layout.streamSectors ? s + 1 : cfb::kEndOfChain;
    fat[layout.directorySector] = cfb::kEndOfChain;
    for (quint32 s = 0; s < layout.fatSectors; ++s)
        fat[layout.firstFat() + s] = cfb::kFatSector;
    for (quint32 s = 0; s < layout.difatSectors; ++s)
        fat[layout.firstDifat() + s] = cfb::kDifatSector;
    return fat;
}

void writeDifatSectors(LeBytes& out, const Layout& layout)
{
    quint32 next = cfb::kHeaderDifatEntries;
    for (quint32 d = 0; d < layout.difatSectors; ++d) {
        for (int i = 0; i < kDifatEntriesPerSector; ++i, ++next)
            out.u32(next < layout.fatSectors ? layout.firstFat() + next : cfb::kFreeSector);
        out.u32(d + 1 < layout.difatSectors ? layout.firstDifat() + d + 1 : cfb::kEndOfChain);
    }
}

qint64 paddedSize(qint64 streamBytes)
{
    return std::max<qint64>(streamBytes, cfb::kMiniStreamCutoff);
}

} // namespace

QByteArray compoundFileHeader(qint64 streamBytes)
{
    LeBytes out;
    writeHeader(out, layoutFor(paddedSize(streamBytes)));
    return out.take();
}

QByteArray compoundFileTail(const QString& streamName, qint64 streamBytes)
{
    const qint64 size = paddedSize(streamBytes);
    const Layout layout = layoutFor(size);
    LeBytes out;
    out.zeros(
        static_cast<qsizetype>(static_cast<qint64>(layout.streamSectors) * cfb::kSectorSize - streamBytes));
    writeDirectoryEntry(out, QStringLiteral("Root Entry"), 5, 1, cfb::kEndOfChain, 0);
    writeDirectoryEntry(out, streamName, 2, kNoStream, 0, static_cast<quint32>(size));
    for (int i = 2; i < kDirectoryEntriesPerSector; ++i)
        writeUnusedDirectoryEntry(out);
    for (const quint32 entry : allocationTable(layout))
        out.u32(entry);
    writeDifatSectors(out, layout);
    return out.take();
}

QByteArray buildCompoundFile(const QString& streamName, QByteArray stream)
{
    QByteArray file = compoundFileHeader(stream.size());
    file += stream;
    file += compoundFileTail(streamName, stream.size());
    return file;
}

} // namespace zu
