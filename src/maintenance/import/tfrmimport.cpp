#include "tfrmimport.h"

#include "importmapping.h"
#include "mappingmodel.h"
#include "sheetimport.h"
#include "titlepickdelegate.h"
#include "ui_tfrmimport.h"

#include "columns/columnlayout.h"
#include "customers/tfrmcustom.h"
#include "data/datamodule.h"
#include "widgets/dialogs.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTimer>

namespace zu {

namespace {

const QString kLayout = QStringLiteral("tImport_Show");
const QString kFilter = QStringLiteral("xls文件(*.xls);;xlsx文件(*.xlsx);;csv文件(*.csv)");
const QString kCustomerTable = QStringLiteral("T_Cust");
const QString kCustomerKey = QStringLiteral("IDCode");

// The hourglass while the import runs.
class WaitCursor final
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void restore()
    {
        if (m_on)
            QGuiApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on = true;
};

// An Office Open XML workbook while this build has no reader for it.
bool readerMissingFor(const QString& path)
{
    if (SpreadsheetReader::canReadXlsx())
        return false;
    if (QFileInfo(path).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0)
        return true;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.peek(4) == QByteArrayLiteral("PK\x03\x04");
}

} // namespace

TfrmImport::TfrmImport(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmImport>()), m_mapping(new MappingModel(this)),
      m_picker(new TitlePickDelegate(this))
{
    ui->setupUi(this);
    ui->DBGridEh1->setModel(m_mapping);
    ui->DBGridEh1->setItemDelegateForColumn(MappingModel::kPickColumn, m_picker);
    ui->DBGridEh1->setEditTriggers(QAbstractItemView::AllEditTriggers);
    ui->DBGridEh1->verticalHeader()->hide();
    ui->DBGridEh1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    ui->Btn_Start->setEnabled(false);
    m_mapping->setStore([this](const MappingRow& row) {
        bool stored = false;
        guarded(this, [&] {
            setMappingTitle(zu::data().F(), row.importId, row.fField);
            stored = true;
        });
        return stored;
    });
    ArrangeTabOrder(this, true);
    connect(ui->Btn_Start, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { Btn_StartClick(); }); });
    connect(ui->Btn_Exit, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { Btn_ExitClick(); }); });
}

TfrmImport::~TfrmImport() = default;

void TfrmImport::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    guarded(this, [this] { FormShow(); });
}

void TfrmImport::FormShow()
{
    const QString path =
        dialogs().openFileName(this, QStringLiteral("Excel文件导入到数据库"), QString(), kFilter);
    if (path.isEmpty()) {
        QTimer::singleShot(10, this, &QDialog::reject);
        return;
    }
    if (!readSheet(path))
        return;
    pairAutomatically(zu::data().F(), FTableName, m_columnTitles, m_colCount);
    setWindowTitle(QStringLiteral("字段映射"));
    ui->Label1->setText(QStringLiteral("Excel中共有 %1 条记录").arg(qMax(0, m_rowCount - 1)));
    loadMapping();
    ui->Btn_Start->setEnabled(true);
}

bool TfrmImport::readSheet(const QString& path)
{
    if (readerMissingFor(path)) {
        dialogs().inform(this, QStringLiteral("提示"), QStringLiteral("您系统未安装MS-EXCEL"),
                         QMessageBox::Information);
        return false;
    }
    QString error;
    if (!m_sheet.open(path, &error)) {
        dialogs().inform(this, QStringLiteral("提示"), error, QMessageBox::Warning);
        return false;
    }
    m_colCount = m_sheet.columnCount();
    m_rowCount = m_sheet.rowCount();
    m_columnTitles = m_rowCount > 0 ? m_sheet.rows().first() : QStringList();
    return true;
}

void TfrmImport::loadMapping()
{
    m_mapping->setColumns(readLayout(zu::data().F(), kLayout));
    m_mapping->setRows(readMapping(zu::data().F(), FTableName));
    QHeaderView* titles = ui->DBGridEh1->horizontalHeader();
    const QList<LayoutColumn>& columns = m_mapping->columns();
    for (int c = 0; c < columns.size(); ++c)
        titles->resizeSection(c, columns[c].width > 0 ? columns[c].width : titles->defaultSectionSize());
    QStringList offered;
    for (const QString& title : m_columnTitles)
        if (!title.isEmpty() && !offered.contains(title))
            offered << title;
    m_picker->setTitles(offered);
}

void TfrmImport::Btn_StartClick()
{
    // A change still open in the grid is stored first.
    if (QWidget* editor = ui->DBGridEh1->indexWidget(ui->DBGridEh1->currentIndex()))
        emit m_picker->commitData(editor);
    TfrmData& d = zu::data();
    const QList<ImportPair> pairs = readPairs(d.F(), FTableName);
    if (pairs.isEmpty()) {
        dialogs().inform(
            this, QStringLiteral("提示"),
            QStringLiteral("没有配对的字段：请先在“Excel字段名称”一栏为要导入的字段选择 Excel 的列。"),
            QMessageBox::Information);
        return;
    }
    ui->Btn_Start->setEnabled(false);
    WaitCursor wait;
    const QString key =
        FTableName.compare(kCustomerTable, Qt::CaseInsensitive) == 0 ? kCustomerKey : QString();
    SheetImport import(d.conn(), FTableName, pairs, m_columnTitles, key);

    const int records = qMax(0, m_rowCount - 1);
    ui->ProgressBar1->setRange(0, qMax(1, records));
    ui->ProgressBar1->setValue(0);
    QElapsedTimer sincePaint;
    sincePaint.start();
    for (int r = 2; r <= m_rowCount; ++r) {
        QString reason;
        import.importRow(r, m_sheet.rows().at(r - 1), &reason);
        ui->ProgressBar1->setValue(r - 1);
        if (sincePaint.elapsed() >= 100) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            sincePaint.restart();
        }
    }
    ui->ProgressBar1->setValue(ui->ProgressBar1->maximum());
    wait.restore();

    dialogs().message(this, QStringLiteral("确认"),
                      QStringLiteral("导入数据完成,导入成功 %1 条,导入失败 %2 条")
                          .arg(import.succeeded())
                          .arg(import.failed()),
                      QMessageBox::Question, QMessageBox::Ok, QMessageBox::Ok);
    clearPairing(d.F(), FTableName);
    m_mapping->setRows(readMapping(d.F(), FTableName));

    ui->lstFailures->clear();
    for (const ImportFailure& f : import.failures())
        ui->lstFailures->addItem(QStringLiteral("第 %1 行：%2").arg(f.sheetRow).arg(f.reason));
    showFailures();
}

void TfrmImport::showFailures()
{
    const bool any = ui->lstFailures->count() > 0;
    ui->lblFailures->setVisible(any);
    ui->lstFailures->setVisible(any);
}

void TfrmImport::Btn_ExitClick()
{
    clearPairing(zu::data().F(), FTableName);
    if (TfrmCustom* customers = TfrmCustom::instance())
        customers->refreshCustomers();
    accept();
}

} // namespace zu
