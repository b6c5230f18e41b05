#pragma once

#include "sheetcontent.h"

#include <QByteArray>

namespace zu {

// The BIFF8 "Workbook" stream of a workbook with one worksheet: the globals (fonts, formats,
// the sheet's name and position, the shared strings) followed by the worksheet's cells.
QByteArray encodeBiff8Workbook(const SheetContent& content);

// Column width in the 1/256 character units of COLINFO, for a default font whose digits are 7 pixels wide.
quint16 biffColumnWidth(int pixels);

} // namespace zu
