#include "xlswriter.h"

#include "biffworkbook.h"
#include "compoundfile.h"

namespace zu {

XlsWriter::XlsWriter() : SpreadsheetWriter({kMaxRows, kMaxColumns, QStringLiteral(".xls")}) {}

QByteArray XlsWriter::encode(const std::vector<SheetContent>& sheets, QString* /*error*/) const
{
    QList<const SheetContent*> all;
    for (const SheetContent& sheet : sheets)
        all.push_back(&sheet);
    return buildCompoundFile(QStringLiteral("Workbook"), encodeBiff8Workbook(all));
}

} // namespace zu
