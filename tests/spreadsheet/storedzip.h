#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace zu::test {

enum class ZipForm
{
    Plain,
    Zip64, // sizes, offsets and counts of the directory in zip64's records
};

// A zip archive with its entries stored uncompressed, in the given order: enough for a workbook
// written by hand.
QByteArray storedZip(const QList<QPair<QString, QByteArray>>& entries, ZipForm form = ZipForm::Plain);

// An entry as it lies in the file, with what its headers say of it, true or not.
struct PackedEntry
{
    QString name;
    QByteArray packed;
    quint16 method = 0; // 0 stored, 8 deflated
    quint32 crc = 0;
    quint32 size = 0; // unpacked
};
QByteArray packedZip(const QList<PackedEntry>& entries, ZipForm form = ZipForm::Plain);

// A whole raw deflate stream of `bytes`, as a zip holds it; and the zip's checksum of them.
QByteArray rawDeflate(const QByteArray& bytes);
quint32 zipCrc(const QByteArray& bytes);

} // namespace zu::test
