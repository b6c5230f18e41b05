#include "gridexport.h"

#include "listsheet.h"
#include "spreadsheet/streamingsheetwriter.h"

#include "columns/listgrid.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "users/permissions.h"
#include "widgets/dialogs.h"

#include <QDate>
#include <QDir>
#include <QGuiApplication>
#include <QWidget>

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

// Writes the file; returns how many cells had their text cut to fit.
int writeFile(const QString& path, const DataSet& list, const ListSheetLayout& layout)
{
    const QString shown = QDir::toNativeSeparators(path);
    std::unique_ptr<StreamingSheetWriter> writer = StreamingSheetWriter::forFileName(path);
    WaitCursor wait;
    if (writeListSheet(*writer, list, layout) < 0)
        throw CommandError(QStringLiteral("无法写入文件 %1：%2").arg(shown, writer->error()));
    QString error;
    if (!writer->finish(path, &error))
        throw CommandError(error);
    return writer->truncatedCells();
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

    const QString path = exportFileName(
        dialogs().saveFileName(parent, QStringLiteral("导出Excel文件"), proposedName, kFilter));
    if (path.isEmpty())
        return;
    const int truncated = writeFile(path, list, exportLayoutOf(*grid));

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

} // namespace zu
