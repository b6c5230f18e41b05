#pragma once

#include <QByteArray>
#include <QString>

namespace zu {

namespace cfb {
constexpr int kSectorSize = 512;
constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSector = 0xFFFFFFFD;
constexpr quint32 kDifatSector = 0xFFFFFFFC;
constexpr int kHeaderDifatEntries = 109;
// Streams shorter than this would belong in the mini stream, which the writer does not use.
constexpr qsizetype kMiniStreamCutoff = 4096;
} // namespace cfb

// A Compound File Binary (version 3, 512-byte sectors) holding one stream under the root storage.
// A stream shorter than the mini-stream cutoff is padded with zeros up to it. Files whose
// allocation table needs more than 109 sectors get DIFAT sectors.
QByteArray buildCompoundFile(const QString& streamName, QByteArray stream);

// The same file in three pieces, for a stream written straight to the file: the header, then the
// stream's bytes, then the tail (the zeros that fill the stream's last sector, the directory and
// the allocation tables). Both depend only on the stream's size.
QByteArray compoundFileHeader(qint64 streamBytes);
QByteArray compoundFileTail(const QString& streamName, qint64 streamBytes);

} // namespace zu
