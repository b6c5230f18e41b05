#pragma once

#include "streamingsheetwriter.h"

namespace zu {

// Excel 97-2003 workbook (BIFF8 in a compound file): at most 65,536 rows and 256 columns a sheet.
// Cells go into one temporary file and texts into the shared string table in another as they
// come; finish() writes the globals, the string table and the sheets into the file. A short text
// that is among the last few different texts of its column is stored once for all its cells;
// others are stored for each cell, which keeps the memory small for lists of any length.
// Texts made of Latin-1 characters take one byte a character, others UTF-16.
class XlsStreamWriter final : public StreamingSheetWriter
{
public:
    static constexpr int kMaxRows = 65536;
    static constexpr int kMaxColumns = 256;

    XlsStreamWriter();
    ~XlsStreamWriter() override;

protected:
    bool beginSheet(const QString& name, const QMap<int, int>& widths, QString* reason) override;
    bool putText(int row, int column, QStringView text, CellStyle style, QString* reason) override;
    bool putNumber(int row, int column, double value, CellStyle style, QString* reason) override;
    bool putBlank(int row, int column, CellStyle style, QString* reason) override;
    bool complete(const QString& path, QString* reason) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Column width in the 1/256 character units of COLINFO, for a default font whose digits are 7 pixels wide.
quint16 biffColumnWidth(int pixels);

} // namespace zu
