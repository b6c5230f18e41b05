#pragma once

#include "sheetcontent.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace zu {

// A workbook written cell by cell (rows and columns counted from 0), then saved as a whole. It
// starts with one worksheet; addSheet() starts the next, and the writes that follow go to it.
// A refused write (beyond the format's rows or columns, text too long, a number that is not finite)
// returns false with the reason in error(), and makes toBytes() and save() fail with that reason.
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
    // Room for this many different texts in the current sheet, known before they come.
    void reserveStrings(qsizetype count) { current().reserveStrings(count); }

    QString error() const { return m_sheets.back().error(); }
    // The worksheet being written, and all of them.
    const SheetContent& content() const { return m_sheets.back(); }
    const std::vector<SheetContent>& sheets() const { return m_sheets; }
    int maxRows() const { return m_limits.rows; }
    int maxColumns() const { return m_limits.columns; }
    QString formatName() const { return m_limits.formatName; }

    // The whole file; empty with *error set when a write was refused or the encoding failed.
    QByteArray toBytes(QString* error = nullptr) const;
    // Replaces the file only once it is completely written; *error names the file and the system's reason.
    bool save(const QString& path, QString* error) const;

protected:
    explicit SpreadsheetWriter(SheetLimits limits);
    virtual QByteArray encode(const std::vector<SheetContent>& sheets, QString* error) const = 0;

private:
    SheetContent& current() { return m_sheets.back(); }
    bool nameTaken(const QString& name, size_t except) const;

    SheetLimits m_limits;
    std::vector<SheetContent> m_sheets;
};

} // namespace zu
