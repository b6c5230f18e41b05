#pragma once

#include "sheettable.h"

namespace zu {

// Whether this build reads .xlsx files (it needs liborcus).
bool canReadXlsx();

// Reads the first worksheet of an Office Open XML workbook; dates and times appear as
// "2024-03-05", "08:30:00" and "2024-03-05 08:30:00", formulas as their stored results.
bool readXlsxFile(const QString& path, SheetTable* table, QString* reason);

} // namespace zu
