#pragma once

#include "spreadsheetwriter.h"

namespace zu {

// Excel 97-2003 workbook (BIFF8 in a compound file): at most 65,536 rows and 256 columns a sheet.
class XlsWriter final : public SpreadsheetWriter
{
public:
    static constexpr int kMaxRows = 65536;
    static constexpr int kMaxColumns = 256;

    XlsWriter();

protected:
    QByteArray encode(const std::vector<SheetContent>& sheets, QString* error) const override;
};

} // namespace zu
