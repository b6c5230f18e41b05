#pragma once

#include "sheetcontent.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace zu {

// A workbook written cell by cell in any order (rows and columns counted from 0), kept in memory
// and saved as a whole through the format's StreamingSheetWriter. It starts with one worksheet;
// addSheet() starts the next, and the writes that follow go to it. A refused write (beyond the
// format's rows or columns, a number that is not finite) returns false with the reason in
// error(), and makes toBytes() and save() fail with that reason. A text longer than a cell holds
// is cut when saved (truncatedCells()).
class SpreadsheetWriter
{
public:
    virtual ~SpreadsheetWriter();

    // ".xlsx" (any letter case) writes Office Open XML, every other name Excel 97-2003 (BIFF8).
    static std::unique_ptr<SpreadsheetWriter> forFileName(const QString& path);

    // Names must differ in more than letter case; a name already used is refused.
    bool addSheet(const QString& name);
    int sheetCount() const { return static_cast<int>(m_sheets.size()); }

    bool setSheetName(const QString& name);
    bool setColumnWidthPixels(int column, int pixels)
    {
        return current().setColumnWidthPixels(column, pixels);
    }
    bool writeText(int row, int column, const QString& text, CellStyle style = CellStyle::Normal)
    {
        return current().setText(row, column, text, style);
    }
    bool writeNumber(int row, int column, double value, CellStyle style = CellStyle::Normal)
    {
        return current().setNumber(row, column, value, style);
    }
    bool writeBoldText(int row, int column, const QString& text)
    {
        return writeText(row, column, text, CellStyle::Bold);
    }

    QString error() const { return m_sheets.back().error(); }
    // The worksheet being written, and all of them.
    const SheetContent& content() const { return m_sheets.back(); }
    const std::vector<SheetContent>& sheets() const { return m_sheets; }
    int maxRows() const { return m_limits.rows; }
    int maxColumns() const { return m_limits.columns; }
    QString formatName() const { return m_limits.formatName; }
    // Cells whose text was cut by the last save.
    int truncatedCells() const { return m_truncated; }

    // The whole file; empty with *error set when a write was refused or the encoding failed.
    QByteArray toBytes(QString* error = nullptr);
    // Replaces the file only once it is completely written; *error names the file and the system's reason.
    bool save(const QString& path, QString* error);

protected:
    explicit SpreadsheetWriter(SheetLimits limits);
    virtual std::unique_ptr<StreamingSheetWriter> createStream() const = 0;

private:
    SheetContent& current() { return m_sheets.back(); }
    bool nameTaken(const QString& name, size_t except) const;

    SheetLimits m_limits;
    std::vector<SheetContent> m_sheets;
    int m_truncated = 0;
};

// Excel 97-2003 workbook (BIFF8 in a compound file): at most 65,536 rows and 256 columns a sheet.
class XlsWriter final : public SpreadsheetWriter
{
public:
    static constexpr int kMaxRows = 65536;
    static constexpr int kMaxColumns = 256;
    XlsWriter();

protected:
    std::unique_ptr<StreamingSheetWriter> createStream() const override;
};

// Office Open XML workbook (.xlsx): at most 1,048,576 rows and 16,384 columns a sheet.
class XlsxWriter final : public SpreadsheetWriter
{
public:
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;
    XlsxWriter();

protected:
    std::unique_ptr<StreamingSheetWriter> createStream() const override;
};

} // namespace zu
