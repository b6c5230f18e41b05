#include "xlsxfilereader.h"

namespace zu {

bool canReadXlsx()
{
    return false;
}

bool readXlsxFile(const QString& /*path*/, SheetTable* /*table*/, QString* reason)
{
    *reason =
        QStringLiteral("本程序的这个版本不能读取 .xlsx 文件，请在 Excel 中另存为 .xls 或 .csv 后再导入");
    return false;
}

} // namespace zu
