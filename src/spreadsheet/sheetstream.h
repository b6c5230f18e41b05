#pragma once

#include "workbookfile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QIODevice;

namespace zu {

// How the sheet reader hands a workbook to the program: UTF-8 lines on its standard output.
//
//   ZUSHEET 1
//   SHEET <index> <hidden 0|1> <name>      one line per worksheet, in the workbook's order
//   ACTIVE <index>                         the sheet shown when the file was saved
//   CHOSEN <index>                         the sheet whose rows follow
//   PART <index>                           the rows after it belong to this sheet
//   <row>\t<cell>\t<cell>...               a row (numbered from 1) and its cells
//   END <rows>                             the number of row lines: the reading is complete
//   ERROR <reason>                         instead of END: why the file could not be read
//
// The first row of the chosen sheet (its titles) is always written, every other row only when
// one of its cells is not blank, without the empty cells at its end. When the chosen sheet is
// full (as many rows as the format holds) and the next sheet begins with the same titles, that
// sheet is the list's continuation: a PART line and its rows after its titles follow, and so on.
// In names and cells a backslash, tab, line feed and carriage return are written \\, \t, \n
// and \r; a number cell that its display format shows otherwise ends in \= and the stored number.

// A cell as read: the text it shows and, for a number cell shown otherwise by its display
// format, the number it holds.
struct CellValue
{
    QString text;
    std::optional<double> number;

    bool operator==(const CellValue&) const = default;
};

// A row of the list: where it is in the workbook and its cells (fewer than the list has columns
// when the last ones are empty).
struct SheetRecord
{
    int part = 0;     // index into SheetData::parts()
    int sheetRow = 0; // as the spreadsheet numbers it, from 1
    QList<CellValue> cells;

    QString cellText(int column) const { return column < cells.size() ? cells[column].text : QString(); }
};

// Writes the lines above for sheet `sheet` (-1: the active sheet) of an open workbook. False
// with *reason when a sheet cannot be read; what was written then is incomplete (no END).
bool writeSheetStream(WorkbookFile& book, int sheet, QIODevice* out, QString* reason);
void writeSheetStreamError(QIODevice* out, const QString& reason);

// The lines above, read back: the sheets of the workbook and the rows of the chosen list. The
// rows stay in their written form and are decoded when asked for, so a long list costs little
// more memory than its text.
class SheetData final
{
public:
    // False, with *reason, for lines that do not end in END or that break the form above; an
    // ERROR line gives its reason.
    bool parse(QByteArray lines, QString* reason);

    const QList<SheetInfo>& sheets() const { return m_sheets; }
    int activeSheet() const { return m_active; }
    int chosenSheet() const { return m_chosen; }
    // The sheets the list was read from: the chosen one and those that continue it.
    const QList<int>& parts() const { return m_parts; }

    // The cells of the chosen sheet's first row; empty when the sheet has none.
    QStringList titles() const;
    // The most cells a row has, the title row included.
    int columnCount() const { return m_columnCount; }
    // The rows after the title row that have a cell that is not blank.
    int recordCount() const { return static_cast<int>(m_rows.size()); }
    SheetRecord record(int index) const;
    // The text of one cell of a record, without decoding the others.
    QString cellText(int index, int column) const;
    // "第 5 行", or "工作表“Sheet2”第 5 行" for a row of a continuation sheet.
    QString rowLabel(const SheetRecord& record) const;

private:
    struct RowLine
    {
        qsizetype begin;
        qsizetype end;
        int part;
    };
    QList<CellValue> decodeCells(qsizetype begin, qsizetype end, int* sheetRow) const;

    QByteArray m_lines;
    QList<SheetInfo> m_sheets;
    int m_active = 0;
    int m_chosen = 0;
    QList<int> m_parts;
    std::optional<RowLine> m_titleRow;
    std::vector<RowLine> m_rows;
    int m_columnCount = 0;
};

} // namespace zu
