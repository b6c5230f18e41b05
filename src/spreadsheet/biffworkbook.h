#pragma once

#include "sheetcontent.h"

#include <QByteArray>
#include <QList>

namespace zu {

// The BIFF8 "Workbook" stream of a workbook: the globals (fonts, formats, each sheet's name and
// position, the shared strings of all sheets) followed by each worksheet's cells. The first sheet
// is the one shown when the file is opened.
QByteArray encodeBiff8Workbook(const QList<const SheetContent*>& sheets);
QByteArray encodeBiff8Workbook(const SheetContent& content);

// Column width in the 1/256 character units of COLINFO, for a default font whose digits are 7 pixels wide.
quint16 biffColumnWidth(int pixels);

} // namespace zu
