#include "tfrmmachinehistory.h"

#include "data/datamodule.h"
#include "data/errors.h"
#include "output/gridexport.h"
#include "output/listsheet.h"
#include "output/tableprint.h"
#include "spreadsheet/streamingsheetwriter.h"
#include "users/permissions.h"
#include "widgets/dialogs.h"
#include "widgets/guard.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zu {

namespace {

const QString kTitle = QStringLiteral("机器档案");

QStringList rowTexts(const MachineEvent& e)
{
    return {e.date.isNull() ? QString() : e.date.date().toString(QStringLiteral("yyyy-MM-dd")),
            e.kindText(),
            e.customerCode,
            e.customerName,
            e.model,
            e.person,
            e.detail};
}

const QStringList kColumns{QStringLiteral("日期"),     QStringLiteral("类别"), QStringLiteral("客户编号"),
                           QStringLiteral("客户名称"), QStringLiteral("型号"), QStringLiteral("经办人"),
                           QStringLiteral("内容")};

} // namespace

TfrmMachineHistory::TfrmMachineHistory(QWidget* parent, const QString& goodsCode)
    : QDialog(parent), m_code(goodsCode.trimmed())
{
    setObjectName(QStringLiteral("TfrmMachineHistory"));
    setWindowTitle(kTitle + QStringLiteral(" - ") + m_code);
    resize(860, 480);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lblSummary"));
    m_grid = new QTableWidget(this);
    m_grid->setObjectName(QStringLiteral("dgHistory"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setColumnCount(int(kColumns.size()));
    m_grid->setHorizontalHeaderLabels(kColumns);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->verticalHeader()->setVisible(false);
    m_print = new QPushButton(QStringLiteral("打印&P"), this);
    m_print->setObjectName(QStringLiteral("btnPrint"));
    m_export = new QPushButton(QStringLiteral("导出&E"), this);
    m_export->setObjectName(QStringLiteral("btnExport"));
    auto* close = new QPushButton(QStringLiteral("关闭&C"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_print);
    buttons->addWidget(m_export);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_grid);
    layout->addLayout(buttons);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    onSignal(m_export, &QPushButton::clicked, this, [this] { exportList(); });
    onSignal(m_print, &QPushButton::clicked, this,
             [this] { PreviewTable(this, *m_grid->model(), windowTitle()); });
    guarded(this, [this] { load(); });
}

void TfrmMachineHistory::load()
{
    m_history = machineHistory(zu::data().conn(), m_code);
    m_grid->setRowCount(int(m_history.size()));
    for (int r = 0; r < m_history.size(); ++r) {
        const QStringList texts = rowTexts(m_history[r]);
        for (int c = 0; c < texts.size(); ++c)
            m_grid->setItem(r, c, new QTableWidgetItem(texts[c]));
    }
    m_grid->resizeColumnsToContents();
    m_summary->setText(m_history.isEmpty() ? QStringLiteral("机身编码 %1：没有记录").arg(m_code)
                                           : QStringLiteral("机身编码 %1：共 %2 条记录，%3 位客户")
                                                 .arg(m_code)
                                                 .arg(m_history.size())
                                                 .arg(customersOf(m_history).size()));
    m_export->setEnabled(!m_history.isEmpty() && mayUse(Operation::ExportList));
    m_print->setEnabled(!m_history.isEmpty());
}

void TfrmMachineHistory::exportList()
{
    requirePermission(Operation::ExportList);
    if (m_history.isEmpty())
        return;
    const QString path = exportFileName(
        dialogs().saveFileName(this, QStringLiteral("导出Excel文件"), exportProposedName(kTitle + m_code),
                               QStringLiteral("EXCEL文件(*.xls);;EXCEL 2007 文件(*.xlsx)")));
    if (path.isEmpty())
        return;
    const std::unique_ptr<StreamingSheetWriter> writer = StreamingSheetWriter::forFileName(path);
    writer->startSheet(QStringLiteral("Sheet1"));
    for (int c = 0; c < kColumns.size(); ++c)
        writer->writeText(0, c, kColumns[c], CellStyle::Bold);
    for (int r = 0; r < m_history.size(); ++r) {
        const QStringList texts = rowTexts(m_history[r]);
        for (int c = 0; c < texts.size(); ++c)
            writer->writeText(r + 1, c, texts[c]);
    }
    QString error;
    if (!writer->finish(path, &error))
        throw CommandError(error);
    if (dialogs().message(this, kTitle,
                          QStringLiteral("文件") + path + QStringLiteral("已建立，是否打开文件？"),
                          QMessageBox::Information, QMessageBox::Ok | QMessageBox::Cancel,
                          QMessageBox::Ok) == QMessageBox::Ok)
        dialogs().openExternally(path);
}

void showMachineHistory(QWidget* parent, const QString& goodsCode, Operation opener)
{
    requirePermission(opener);
    if (goodsCode.trimmed().isEmpty()) {
        dialogs().inform(parent, kTitle, QStringLiteral("这条记录没有机身编码，无法查看机器档案。"));
        return;
    }
    TfrmMachineHistory window(parent, goodsCode);
    window.exec();
}

} // namespace zu
