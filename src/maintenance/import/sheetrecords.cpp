#include "sheetrecords.h"

namespace zu {

bool isExportFooter(const SheetRecord& row, int records)
{
    if (records < 1)
        return false;
    const QString count = QString::number(records);
    const QString counted = QStringLiteral("共 %1 条").arg(records);
    bool any = false;
    for (const CellValue& cell : row.cells) {
        const QString text = cell.text.trimmed();
        if (text.isEmpty())
            continue;
        if (text != count && text != counted)
            return false;
        any = true;
    }
    return any;
}

SheetRecords::SheetRecords(const SheetData& data) : m_data(data), m_count(data.recordCount())
{
    if (m_count > 0 && isExportFooter(m_data.record(m_count - 1), m_count - 1))
        --m_count;
}

} // namespace zu
