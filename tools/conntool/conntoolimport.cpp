#include "conntoolimport.h"

#include "conntoolcore.h"

#include "data/connection.h"
#include "data/errors.h"
#include "data/query.h"
#include "data/schemainstaller.h"
#include "maintenance/import/customerimportrules.h"
#include "maintenance/import/importmapping.h"
#include "maintenance/import/sheetimport.h"
#include "maintenance/import/sheetrecords.h"
#include "spreadsheet/sheetreaderprocess.h"

#include <QDir>
#include <QFileInfo>

namespace zu::conntool {

namespace {

const QString kTable = QStringLiteral("T_Cust");

void print(FILE* stream, const QString& text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
}

} // namespace

ImportStatus importCustomers(const ImportRequest& request, FILE* out, FILE* err)
{
    SheetData sheet;
    QString error;
    if (!SheetReaderProcess::read(request.file, request.sheet, &sheet, &error)) {
        print(err, error);
        return NothingDone;
    }
    const SheetRecords records(sheet);
    print(out, QStringLiteral("文件 %1，工作表“%2”：共 %3 条记录")
                   .arg(QDir::toNativeSeparators(QFileInfo(request.file).absoluteFilePath()),
                        sheet.sheets().value(sheet.chosenSheet()).name)
                   .arg(records.count()));

    const Target target = currentTarget(request.home);
    try {
        Connection connection(target.server ? SqlDialect::postgres() : SqlDialect::sqlite(), target.settings);
        if (!connection.open()) {
            print(err, QStringLiteral("无法连接%1：%2").arg(target.describe(), connection.lastError()));
            return NothingDone;
        }
        if (SchemaInstaller(connection).isEmpty()) {
            print(err, QStringLiteral("%1 中没有本系统的数据表").arg(target.describe()));
            return NothingDone;
        }
        Query query(connection);
        const QList<ImportPair> pairs =
            automaticPairs(readMapping(query, kTable), sheet.titles(), sheet.columnCount());
        QStringList shown;
        for (const ImportPair& pair : pairs)
            shown << QStringLiteral("%1 ← %2").arg(pair.fieldName, pair.title);
        print(out, QStringLiteral("配对：") +
                       (shown.isEmpty() ? QStringLiteral("无") : shown.join(QStringLiteral("；"))));
        const QString problem =
            pairs.isEmpty() ? QStringLiteral("工作表的标题与导入映射中的字段名称都不相同，没有可导入的列。")
                            : CustomerImportRules::pairingProblem(pairs);
        if (!problem.isEmpty()) {
            print(err, problem + QStringLiteral("没有导入任何记录。"));
            return records.count() == 0 ? AllImported : SomeFailed;
        }
        SheetImport import(
            connection, kTable, pairs, records,
            {.keyField = QStringLiteral("IDCode"), .userName = request.userName, .dryRun = request.dryRun});
        while (!import.atEnd())
            import.importNext();
        import.finish();
        if (request.dryRun)
            print(out, QStringLiteral("试运行：以下是导入的结果，但没有保存任何数据。"));
        print(out, QStringLiteral("导入数据完成,导入成功 %1 条,导入失败 %2 条")
                       .arg(import.succeeded())
                       .arg(import.failed()));
        for (const ImportNote& note : import.notes())
            print(note.failed ? err : out, note.text());
        return import.failed() == 0 ? AllImported : SomeFailed;
    } catch (const DbError& e) {
        print(err, QStringLiteral("数据库错误：%1").arg(e.text()));
    } catch (const CommandError& e) {
        print(err, e.text());
    }
    return NothingDone;
}

} // namespace zu::conntool
