#pragma once

#include "spreadsheetwriter.h"

namespace zu {

// Office Open XML workbook (.xlsx) written by libxlsxwriter: at most 1,048,576 rows and 16,384 columns.
// Each text is written into its cell, so the sheet keeps its texts cell by cell (TextPool::PerCell)
// without looking for equal ones.
class XlsxWriter final : public SpreadsheetWriter
{
public:
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;

    XlsxWriter();

protected:
    QByteArray encode(const std::vector<SheetContent>& sheets, QString* error) const override;
};

} // namespace zu
