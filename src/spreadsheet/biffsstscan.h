#pragma once

#include <QByteArray>

namespace zu {

// The most BIFF records (SST and its CONTINUEs) that one shared string of the workbook stream
// touches: 1 when no string is split, 0 when there is no string table, -1 when it is malformed.
int maxRecordsPerSharedString(const QByteArray& workbookStream);

} // namespace zu
