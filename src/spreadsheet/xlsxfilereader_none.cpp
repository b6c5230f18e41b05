#include "xlsxfilereader.h"

namespace zu {

struct XlsxWorkbookFile::Private
{
};

bool canReadXlsx()
{
    return false;
}

XlsxWorkbookFile::XlsxWorkbookFile() : WorkbookFile(kMaxRows) {}
XlsxWorkbookFile::~XlsxWorkbookFile() = default;

bool XlsxWorkbookFile::load(const QString&, QString* reason)
{
    *reason = QStringLiteral("这个版本的程序不能读取 .xlsx 文件，请在 Excel 中另存为 .xls 后再导入");
    return false;
}

bool XlsxWorkbookFile::readSheet(int, SheetTable*, QString* reason)
{
    *reason = QStringLiteral("这个版本的程序不能读取 .xlsx 文件");
    return false;
}

} // namespace zu
