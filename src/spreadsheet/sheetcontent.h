#pragma once

#include "streamingsheetwriter.h"

#include <QMap>
#include <QString>

#include <vector>

namespace zu {

struct SheetCell
{
    enum class Kind : quint8
    {
        Empty,
        Text,
        Number
    };
    Kind kind = Kind::Empty;
    CellStyle style = CellStyle::Normal;
    QString text;
    double number = 0;
};

// One worksheet's cells, written in any order, kept until the workbook is saved. Every refused
// change leaves a message in error() and remembers it, so that a later save fails too instead of
// writing a sheet with missing cells.
class SheetContent final
{
public:
    explicit SheetContent(SheetLimits limits);

    const SheetLimits& limits() const { return m_limits; }

    bool setSheetName(const QString& name);
    QString sheetName() const { return m_sheetName; }

    bool setColumnWidthPixels(int column, int pixels);
    const QMap<int, int>& columnWidthsPixels() const { return m_widths; }

    bool setText(int row, int column, const QString& text, CellStyle style);
    bool setNumber(int row, int column, double value, CellStyle style);

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    int columnCount() const { return m_columnCount; }
    // Cells of one row; the row may be shorter than columnCount().
    const std::vector<SheetCell>& row(int row) const { return m_rows[static_cast<size_t>(row)]; }

    QString error() const { return m_error; }
    QString firstRefusal() const { return m_firstRefusal; }
    // Records a refusal decided outside the sheet (by the workbook that holds it).
    bool refuseChange(const QString& message) { return refuse(message); }

private:
    bool checkPosition(int row, int column);
    bool refuse(const QString& message);
    SheetCell& cellAt(int row, int column);

    SheetLimits m_limits;
    QString m_sheetName = QStringLiteral("Sheet1");
    QMap<int, int> m_widths;
    std::vector<std::vector<SheetCell>> m_rows;
    int m_columnCount = 0;
    QString m_error;
    QString m_firstRefusal;
};

} // namespace zu
