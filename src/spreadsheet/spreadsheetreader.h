#pragma once

#include "workbookfile.h"

#include <optional>

namespace zu {

// One worksheet of a spreadsheet file as the text of its cells, the way a spreadsheet program
// shows them: the active sheet unless another is asked for. Rows and columns are counted from 0;
// every row has columnCount() cells. This reads in the calling process: the program reads files
// it did not write through SheetReaderProcess, which runs this in a process of its own.
class SpreadsheetReader final
{
public:
    // On failure *error names the file and the reason, and the reader holds no rows. `sheet`
    // counts from 0; -1 reads the sheet that was active when the file was saved.
    bool open(const QString& path, QString* error, int sheet = -1);

    const QList<SheetInfo>& sheets() const { return m_sheets; }
    int sheetIndex() const { return m_sheetIndex; }
    QString sheetName() const { return m_table.name; }
    int rowCount() const { return static_cast<int>(m_table.rows.size()); }
    int columnCount() const { return m_columnCount; }
    // Empty outside the sheet.
    QString text(int row, int column) const;
    // The stored number of a number cell shown otherwise by its display format.
    std::optional<double> formattedNumber(int row, int column) const
    {
        return m_table.formattedNumber(row, column);
    }
    const QList<QStringList>& rows() const { return m_table.rows; }

private:
    SheetTable m_table;
    QList<SheetInfo> m_sheets;
    int m_sheetIndex = -1;
    int m_columnCount = 0;
};

// "无法读取文件 PATH：REASON".
QString unreadableFileText(const QString& path, const QString& reason);

} // namespace zu
