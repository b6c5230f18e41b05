#pragma once

#include "sheettable.h"

namespace zu {

// The first worksheet of a spreadsheet file as the text of its cells, the way a spreadsheet program
// shows them. The kind of file is told by its content: Excel 97-2003 (.xls), Office Open XML (.xlsx,
// when canReadXlsx()), otherwise UTF-8 comma-separated values if the name ends in .csv or .txt.
// Rows and columns are counted from 0; every row has columnCount() cells.
class SpreadsheetReader final
{
public:
    // On failure *error names the file and the reason, and the reader holds no rows.
    bool open(const QString& path, QString* error);

    QString sheetName() const { return m_table.name; }
    int rowCount() const { return static_cast<int>(m_table.rows.size()); }
    int columnCount() const { return m_columnCount; }
    // Empty outside the sheet.
    QString text(int row, int column) const;
    const QList<QStringList>& rows() const { return m_table.rows; }

    static bool canReadXlsx();

private:
    bool read(const QString& path, QString* reason);

    SheetTable m_table;
    int m_columnCount = 0;
};

} // namespace zu
