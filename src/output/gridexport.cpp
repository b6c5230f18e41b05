#include "gridexport.h"

#include "listsheet.h"
#include "spreadsheet/streamingsheetwriter.h"

#include "columns/listgrid.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "users/permissions.h"
#include "widgets/dialogs.h"

#include <QAbstractItemModel>
#include <QDate>
#include <QDir>
#include <QGuiApplication>
#include <QWidget>

#include <functional>

namespace zu {

namespace {

const QString kTitle = QStringLiteral("提示");
const QString kFilter = QStringLiteral("EXCEL文件(*.xls);;EXCEL 2007 文件(*.xlsx)");

// The hourglass while the file is written, also when writing fails.
class WaitCursor final
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

void refuse(const QString& text)
{
    dialogs().inform(nullptr, kTitle, text, QMessageBox::Information);
    abortSilently();
}

// Writes the file through `write`; returns how many cells had their text cut to fit.
int writeFile(const QString& path, const std::function<int(StreamingSheetWriter&)>& write)
{
    const QString shown = QDir::toNativeSeparators(path);
    std::unique_ptr<StreamingSheetWriter> writer = StreamingSheetWriter::forFileName(path);
    WaitCursor wait;
    if (write(*writer) < 0)
        throw CommandError(QStringLiteral("无法写入文件 %1：%2").arg(shown, writer->error()));
    QString error;
    if (!writer->finish(path, &error))
        throw CommandError(error);
    return writer->truncatedCells();
}

// Asks for the file, writes it, tells of cut texts and offers to open it.
void exportToFile(QWidget* parent, const QString& proposedName,
                  const std::function<int(StreamingSheetWriter&)>& write)
{
    const QString path = exportFileName(
        dialogs().saveFileName(parent, QStringLiteral("导出Excel文件"), proposedName, kFilter));
    if (path.isEmpty())
        return;
    const int truncated = writeFile(path, write);

    QWidget* owner = parent ? parent->window() : nullptr;
    if (truncated > 0)
        dialogs().inform(owner, kTitle,
                         QStringLiteral("有 %1 个单元格的文字超过了一个单元格能容纳的 %2 个字符，已截断，"
                                        "截断处以“%3”结尾。")
                             .arg(truncated)
                             .arg(StreamingSheetWriter::kMaxTextLength)
                             .arg(StreamingSheetWriter::truncationMark()),
                         QMessageBox::Information);
    const auto answer = dialogs().message(
        owner, kTitle, QStringLiteral("文件") + path + QStringLiteral("已建立，是否打开文件？"),
        QMessageBox::Information, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    if (answer != QMessageBox::Ok)
        return;
    if (!dialogs().openExternally(path))
        dialogs().inform(
            owner, kTitle,
            QStringLiteral("无法打开文件%1：系统中没有能打开它的程序").arg(QDir::toNativeSeparators(path)),
            QMessageBox::Warning);
}

} // namespace

QString exportProposedName(const QString& prefix)
{
    return prefix + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

ListSheetLayout exportLayoutOf(const ListGrid& grid)
{
    return {grid.visibleColumns(), grid.hasFooter()};
}

void ExportGridToXls(QWidget* parent, DataSet& list, ListGrid* grid, const QString& proposedName)
{
    requirePermission(Operation::ExportList);
    if (!list.isOpen())
        refuse(QStringLiteral("数据没有显示不能导出成Excel文件!"));
    if (list.recordCount() == 0)
        refuse(QStringLiteral("没有数据,不能导出成Excel文件!"));
    if (!grid)
        throw CommandError(QStringLiteral("没有显示这个列表的表格，不能导出"));

    const ListSheetLayout layout = exportLayoutOf(*grid);
    exportToFile(parent, proposedName,
                 [&](StreamingSheetWriter& writer) { return writeListSheet(writer, list, layout); });
}

void ExportTableToXls(QWidget* parent, const QAbstractItemModel& table, const QString& proposedName)
{
    requirePermission(Operation::ExportList);
    if (table.rowCount() == 0)
        refuse(QStringLiteral("没有数据,不能导出成Excel文件!"));
    QStringList titles;
    for (int c = 0; c < table.columnCount(); ++c)
        titles << table.headerData(c, Qt::Horizontal).toString();
    QList<QStringList> rows;
    rows.reserve(table.rowCount());
    for (int r = 0; r < table.rowCount(); ++r) {
        QStringList texts;
        for (int c = 0; c < table.columnCount(); ++c)
            texts << table.index(r, c).data().toString();
        rows << texts;
    }
    exportToFile(parent, proposedName,
                 [&](StreamingSheetWriter& writer) { return writeTableSheet(writer, rows, titles); });
}

} // namespace zu
