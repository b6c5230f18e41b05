#pragma once

#include "spreadsheet/sheetstream.h"

namespace zu {

// The records of a worksheet list as the import sees them: the rows after the titles that have a
// cell that is not blank, without the footer row the program's own export writes under a list
// (a row whose only values are the number of rows above it, as a number or as "共 N 条").
class SheetRecords final
{
public:
    explicit SheetRecords(const SheetData& data);

    const SheetData& data() const { return m_data; }
    QStringList titles() const { return m_data.titles(); }
    int columnCount() const { return m_data.columnCount(); }
    int count() const { return m_count; }
    bool footerLeftOut() const { return m_count < m_data.recordCount(); }

    SheetRecord record(int index) const { return m_data.record(index); }
    QString cellText(int index, int column) const { return m_data.cellText(index, column); }
    QString label(const SheetRecord& record) const { return m_data.rowLabel(record); }

private:
    const SheetData& m_data;
    int m_count;
};

// Whether a row is the footer of an exported list of `records` rows.
bool isExportFooter(const SheetRecord& row, int records);

} // namespace zu
