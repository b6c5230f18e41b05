#include "tfrmmachinehistory.h"
#include "ui_tfrmmachinehistory.h"

#include "data/datamodule.h"
#include "data/errors.h"
#include "output/gridexport.h"
#include "output/listsheet.h"
#include "output/tableprint.h"
#include "spreadsheet/streamingsheetwriter.h"
#include "users/permissions.h"
#include "widgets/dialogs.h"
#include "widgets/guard.h"

#include <QPushButton>

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

} // namespace

TfrmMachineHistory::TfrmMachineHistory(QWidget* parent, const QString& goodsCode)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmMachineHistory>()), m_code(goodsCode.trimmed())
{
    ui->setupUi(this);
    setWindowTitle(kTitle + QStringLiteral(" - ") + m_code);
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::accept);
    onSignal(ui->btnExport, &QPushButton::clicked, this, [this] { exportList(); });
    onSignal(ui->btnPrint, &QPushButton::clicked, this,
             [this] { PreviewTable(this, *ui->dgHistory->model(), windowTitle()); });
    guarded(this, [this] { load(); });
}

TfrmMachineHistory::~TfrmMachineHistory() = default;

void TfrmMachineHistory::load()
{
    m_history = machineHistory(zu::data().conn(), m_code);
    QTableWidget* grid = ui->dgHistory;
    grid->setRowCount(int(m_history.size()));
    for (int r = 0; r < m_history.size(); ++r) {
        const QStringList texts = rowTexts(m_history[r]);
        for (int c = 0; c < texts.size(); ++c)
            grid->setItem(r, c, new QTableWidgetItem(texts[c]));
    }
    grid->resizeColumnsToContents();
    ui->lblSummary->setText(m_history.isEmpty() ? QStringLiteral("机身编码 %1：没有记录").arg(m_code)
                                                : QStringLiteral("机身编码 %1：共 %2 条记录，%3 位客户")
                                                      .arg(m_code)
                                                      .arg(m_history.size())
                                                      .arg(customersOf(m_history).size()));
    ui->btnExport->setEnabled(!m_history.isEmpty() && mayUse(Operation::ExportList));
    ui->btnPrint->setEnabled(!m_history.isEmpty());
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
    const QTableWidget* grid = ui->dgHistory;
    for (int c = 0; c < grid->columnCount(); ++c)
        writer->writeText(0, c, grid->horizontalHeaderItem(c)->text(), CellStyle::Bold);
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
