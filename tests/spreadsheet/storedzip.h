#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace zu::test {

// A zip archive with its entries stored uncompressed, in the given order: enough for a workbook
// written by hand.
QByteArray storedZip(const QList<QPair<QString, QByteArray>>& entries);

} // namespace zu::test
