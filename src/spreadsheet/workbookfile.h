#pragma once

#include "sheettable.h"

#include <QList>
#include <QString>

#include <memory>

namespace zu {

struct SheetInfo
{
    QString name;
    bool hidden = false;
};

// A spreadsheet file opened for reading: its worksheets (chart and macro sheets left out), the one
// shown when the file is opened, and each worksheet's cells on request. The kind of file is told
// by its content: Excel 97-2003 (.xls), Office Open XML (.xlsx), otherwise
// comma-, semicolon- or tab-separated values if the name ends in .csv or .txt.
class WorkbookFile
{
public:
    virtual ~WorkbookFile();

    // Nothing, with *reason, when the file cannot be read as a workbook.
    static std::unique_ptr<WorkbookFile> open(const QString& path, QString* reason);

    const QList<SheetInfo>& sheets() const { return m_sheets; }
    int activeSheet() const { return m_activeSheet; }
    // The most rows a sheet of this format holds; a list longer than that goes on in the next sheet.
    int maxRows() const { return m_maxRows; }

    // The cells of one worksheet as they are shown; false with *reason when they cannot be read.
    virtual bool readSheet(int index, SheetTable* table, QString* reason) = 0;

protected:
    explicit WorkbookFile(int maxRows) : m_maxRows(maxRows) {}

    QList<SheetInfo> m_sheets;
    int m_activeSheet = 0;
    int m_maxRows;
};

} // namespace zu
