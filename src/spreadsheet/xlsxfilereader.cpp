#include "xlsxfilereader.h"

#include "xlsxcapture.h"
#include "xlsxinlinestrings.h"

#include <QFile>

#include <orcus/orcus_xlsx.hpp>

#include <exception>

namespace zu {

bool canReadXlsx()
{
    return true;
}

bool readXlsxFile(const QString& path, SheetTable* table, QString* reason)
{
    XlsxCapture capture;
    try {
        orcus::orcus_xlsx filter(&capture);
        filter.read_file(QFile::encodeName(path).toStdString());
    } catch (const std::exception& e) {
        *reason = QStringLiteral("文件已损坏或不是 .xlsx 格式（%1）").arg(QString::fromUtf8(e.what()));
        return false;
    }
    if (!capture.hasSheet()) {
        *reason = QStringLiteral("文件中没有工作表");
        return false;
    }
    // liborcus 0.17 leaves cells with inline strings empty; they are read from the sheet again.
    std::vector<InlineStringCell> inlineCells;
    if (!readFirstSheetInlineStrings(path, &inlineCells, reason))
        return false;
    for (const InlineStringCell& cell : inlineCells)
        capture.setFirstSheetText(cell.row, cell.column, cell.text);
    *table = capture.table();
    return true;
}

} // namespace zu
