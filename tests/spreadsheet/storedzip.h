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

} // namespace zu::test
