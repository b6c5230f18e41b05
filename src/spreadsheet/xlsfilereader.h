#pragma once

#include "sheettable.h"

namespace zu {

// Reads the first worksheet of an Excel 97-2003 file through FreeXL; *reason says why it failed.
bool readXlsFile(const QString& path, SheetTable* table, QString* reason);

} // namespace zu
