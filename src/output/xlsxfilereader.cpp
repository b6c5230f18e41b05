#include "xlsxfilereader.h"

#include "xlsxcapture.h"

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
    *table = capture.table();
    return true;
}

} // namespace zu
