#pragma once

#include "sheetcontent.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace zu {

// One worksheet written cell by cell (rows and columns counted from 0), then saved as a whole.
// A refused write (beyond the format's rows or columns, text too long, a number that is not finite)
// returns false with the reason in error(), and makes toBytes() and save() fail with that reason.
class SpreadsheetWriter
{
public:
    virtual ~SpreadsheetWriter();

    // ".xlsx" (any letter case) writes Office Open XML, every other name Excel 97-2003 (BIFF8).
    static std::unique_ptr<SpreadsheetWriter> forFileName(const QString& path);

    bool setSheetName(const QString& name) { return m_content.setSheetName(name); }
    bool setColumnWidthPixels(int column, int pixels) { return m_content.setColumnWidthPixels(column, pixels); }
    bool writeText(int row, int column, const QString& text, CellStyle style = CellStyle::Normal)
    {
        return m_content.setText(row, column, text, style);
    }
    bool writeNumber(int row, int column, double value, CellStyle style = CellStyle::Normal)
    {
        return m_content.setNumber(row, column, value, style);
    }
    bool writeBoldText(int row, int column, const QString& text) { return writeText(row, column, text, CellStyle::Bold); }

    QString error() const { return m_content.error(); }
    const SheetContent& content() const { return m_content; }
    int maxRows() const { return m_content.limits().rows; }
    int maxColumns() const { return m_content.limits().columns; }

    // The whole file; empty with *error set when a write was refused or the encoding failed.
    QByteArray toBytes(QString* error = nullptr) const;
    // Replaces the file only once it is completely written; *error names the file and the system's reason.
    bool save(const QString& path, QString* error) const;

protected:
    explicit SpreadsheetWriter(SheetLimits limits);
    virtual QByteArray encode(const SheetContent& content, QString* error) const = 0;

private:
    SheetContent m_content;
};

} // namespace zu
