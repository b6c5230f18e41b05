#include "xlswriter.h"

#include "biffworkbook.h"
#include "compoundfile.h"

namespace zu {

XlsWriter::XlsWriter() : SpreadsheetWriter({kMaxRows, kMaxColumns, QStringLiteral(".xls")}) {}

QByteArray XlsWriter::encode(const SheetContent& content, QString* /*error*/) const
{
    return buildCompoundFile(QStringLiteral("Workbook"), encodeBiff8Workbook(content));
}

} // namespace zu
