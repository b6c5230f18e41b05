#pragma once

#include <QFile>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>

namespace zu {

// One part of a zip package as its central directory lists it.
struct ZipEntry
{
    QString name;
    quint16 method = 0; // 0 stored, 8 deflated
    quint32 crc = 0;
    qint64 packedSize = 0;
    qint64 size = 0;
    qint64 headerOffset = 0; // of the part's local header
};

enum class ZipDirectory
{
    Read,
    NoEnd,       // no end record: not a zip, or one cut short
    OutsideFile, // the directory lies beyond the file's end
    Damaged,     // an entry of the directory is not one
};

// Reads the central directory of the zip `file` (open for reading), zip64 included.
ZipDirectory readZipDirectory(QFile& file, QList<ZipEntry>* entries);

// A zip file's parts, unpacked on request (stored or deflated). A part unpacks to exactly the
// size and checksum its directory entry gives, or not at all.
class ZipPackage final
{
public:
    explicit ZipPackage(const QString& path) : m_file(path) {}

    ZipDirectory open();
    const QList<ZipEntry>& entries() const { return m_entries; }
    const ZipEntry* entry(const QString& name) const;
    qint64 fileSize() const { return m_file.size(); }

    // Hands the part's bytes to `sink` piece by piece; false when the part is damaged, is packed
    // in another way, or `sink` returns false.
    bool unpack(const ZipEntry& entry, const std::function<bool(QByteArrayView)>& sink);
    // The whole part; false when the package has no such part or it is damaged.
    bool read(const QString& name, QByteArray* bytes);

private:
    QFile m_file;
    QList<ZipEntry> m_entries;
    QHash<QString, qsizetype> m_byName;
};

} // namespace zu
