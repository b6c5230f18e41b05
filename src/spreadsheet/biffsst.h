#pragma once

#include "biffstream.h"

#include <QStringList>

namespace zu {

// Writes the shared string table: the SST record, as many CONTINUE records as the strings need
// (each string kept as UTF-16), and the EXTSST index that points at every bucket's first string.
// `references` is the number of LABELSST cells that use the table.
void writeSharedStrings(BiffStream& stream, const QStringList& strings, quint32 references);

} // namespace zu
