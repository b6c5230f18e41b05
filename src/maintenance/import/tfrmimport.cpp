#include "tfrmimport.h"

#include "customerimportrules.h"
#include "importmapping.h"
#include "mappingmodel.h"
#include "sheetimport.h"
#include "sheetrecords.h"
#include "titlepickdelegate.h"
#include "ui_tfrmimport.h"

#include "columns/columnlayout.h"
#include "data/datamodule.h"
#include "data/errors.h"
#include "spreadsheet/sheetreaderprocess.h"
#include "users/permissions.h"
#include "widgets/dialogs.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QSaveFile>
#include <QTimer>

namespace zu {

namespace {

const QString kLayout = QStringLiteral("tImport_Show");
const QString kFilter =
    QStringLiteral("Excel文件(*.xls *.xlsx);;xls文件(*.xls);;xlsx文件(*.xlsx);;csv文件(*.csv *.txt)");
const QString kCustomerKey = QStringLiteral("IDCode");
const QString kTitle = QStringLiteral("提示");

// The hourglass while the file is read or the import runs.
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

} // namespace

// The window's controls while rows are imported, as long as it lives.
class TfrmImport::ImportingState final
{
public:
    explicit ImportingState(TfrmImport* window) : m_window(window) { m_window->setImporting(true); }
    ~ImportingState() { m_window->setImporting(false); }
    ImportingState(const ImportingState&) = delete;
    ImportingState& operator=(const ImportingState&) = delete;

private:
    TfrmImport* m_window;
};

TfrmImport::TfrmImport(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmImport>()), m_mapping(new MappingModel(this)),
      m_picker(new TitlePickDelegate(this))
{
    ui->setupUi(this);
    onFirstShow(this, [this] { FormShow(); });
    ui->DBGridEh1->setModel(m_mapping);
    ui->DBGridEh1->setItemDelegateForColumn(MappingModel::kPickColumn, m_picker);
    ui->DBGridEh1->setEditTriggers(QAbstractItemView::AllEditTriggers);
    ui->DBGridEh1->verticalHeader()->hide();
    ui->DBGridEh1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    ui->Btn_Start->setEnabled(false);
    ui->lblSheet->hide();
    ui->cmbSheet->hide();
    m_mapping->setStore([this](const MappingRow& row) {
        bool stored = false;
        guarded(this, [&] {
            setMappingTitle(zu::data().F(), row.importId, row.fField);
            stored = true;
        });
        return stored;
    });
    ArrangeTabOrder(this, true);
    onSignal(ui->Btn_Start, &QPushButton::clicked, this, [this] { Btn_StartClick(); });
    onSignal(ui->Btn_Exit, &QPushButton::clicked, this, [this] { Btn_ExitClick(); });
    connect(ui->btnStop, &QPushButton::clicked, this, [this] { m_stopRequested = true; });
    onSignal(ui->btnOpenFile, &QPushButton::clicked, this, [this] { chooseFile(); });
    onSignal(ui->cmbSheet, &QComboBox::activated, this, [this](int index) { chooseSheet(index); });
    onSignal(ui->btnCopyFailures, &QPushButton::clicked, this, [this] { copyFailures(); });
    onSignal(ui->btnSaveFailures, &QPushButton::clicked, this, [this] { saveFailures(); });
}

TfrmImport::~TfrmImport() = default;

// While rows are imported the window stays: closing it asks the import to stop after its row.
void TfrmImport::closeEvent(QCloseEvent* event)
{
    if (m_importing) {
        m_stopRequested = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmImport::reject()
{
    if (m_importing) {
        m_stopRequested = true;
        return;
    }
    QDialog::reject();
}

void TfrmImport::FormShow()
{
    ui->chkSkipDuplicates->setVisible(CustomerImportRules::appliesTo(FTableName));
    const QString path =
        dialogs().openFileName(this, QStringLiteral("Excel文件导入到数据库"), QString(), kFilter);
    if (path.isEmpty()) {
        QTimer::singleShot(10, this, &QDialog::reject);
        return;
    }
    openFile(path, -1);
}

void TfrmImport::chooseFile()
{
    const QString folder = m_path.isEmpty() ? QString() : QFileInfo(m_path).absolutePath();
    const QString path =
        dialogs().openFileName(this, QStringLiteral("Excel文件导入到数据库"), folder, kFilter);
    if (!path.isEmpty())
        openFile(path, -1);
}

void TfrmImport::chooseSheet(int index)
{
    if (index != m_sheet.chosenSheet())
        openFile(m_path, index);
}

// Reads the file and pairs its titles; a file that cannot be read leaves what was there before.
void TfrmImport::openFile(const QString& path, int sheet)
{
    if (!readSheet(path, sheet))
        return;
    pairAutomatically(zu::data().F(), FTableName, m_columnTitles, m_colCount);
    setWindowTitle(QStringLiteral("字段映射"));
    ui->Label1->setText(QStringLiteral("Excel中共有 %1 条记录").arg(qMax(0, m_rowCount - 1)));
    ui->lblFile->setText(QDir::toNativeSeparators(m_path));
    showSheets();
    loadMapping();
    ui->ProgressBar1->setValue(0);
    ui->Btn_Start->setEnabled(true);
}

bool TfrmImport::readSheet(const QString& path, int sheet)
{
    SheetData data;
    QString error;
    bool read = false;
    {
        WaitCursor wait;
        read = SheetReaderProcess::read(path, sheet, &data, &error, [] {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    }
    if (!read) {
        dialogs().inform(this, kTitle, error, QMessageBox::Warning);
        return false;
    }
    m_records.reset();
    m_sheet = std::move(data);
    m_records = std::make_unique<SheetRecords>(m_sheet);
    m_path = path;
    m_colCount = m_sheet.columnCount();
    m_rowCount = m_records->count() + 1;
    m_columnTitles = m_sheet.titles();
    return true;
}

void TfrmImport::showSheets()
{
    const QList<SheetInfo>& sheets = m_sheet.sheets();
    ui->cmbSheet->clear();
    for (const SheetInfo& sheet : sheets)
        ui->cmbSheet->addItem(sheet.hidden ? sheet.name + QStringLiteral("（隐藏）") : sheet.name);
    ui->cmbSheet->setCurrentIndex(m_sheet.chosenSheet());
    ui->lblSheet->setVisible(sheets.size() > 1);
    ui->cmbSheet->setVisible(sheets.size() > 1);
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
    for (const QString& title : std::as_const(m_columnTitles))
        if (!title.isEmpty() && !offered.contains(title))
            offered << title;
    m_picker->setTitles(offered);
}

void TfrmImport::setImporting(bool importing)
{
    m_importing = importing;
    m_stopRequested = false;
    ui->btnStop->setVisible(importing);
    ui->btnStop->setEnabled(importing);
    ui->Btn_Exit->setEnabled(!importing);
    ui->DBGridEh1->setEnabled(!importing);
    ui->btnOpenFile->setEnabled(!importing && !m_imported);
    ui->cmbSheet->setEnabled(!importing && !m_imported);
    ui->chkSkipDuplicates->setEnabled(!importing && !m_imported);
}

void TfrmImport::Btn_StartClick()
{
    requirePermission(Operation::ImportCustomers);
    // A change still open in the grid is stored first.
    if (QWidget* editor = ui->DBGridEh1->indexWidget(ui->DBGridEh1->currentIndex()))
        emit m_picker->commitData(editor);
    TfrmData& d = zu::data();
    const QList<ImportPair> pairs = readPairs(d.F(), FTableName);
    if (pairs.isEmpty()) {
        dialogs().inform(
            this, kTitle,
            QStringLiteral("没有配对的字段：请先在“Excel字段名称”一栏为要导入的字段选择 Excel 的列。"),
            QMessageBox::Information);
        return;
    }
    const bool customers = CustomerImportRules::appliesTo(FTableName);
    if (const QString problem = customers ? CustomerImportRules::pairingProblem(pairs) : QString();
        !problem.isEmpty()) {
        dialogs().inform(this, kTitle, problem, QMessageBox::Information);
        return;
    }
    SheetImport import(d.conn(), FTableName, pairs, *m_records,
                       {.keyField = customers ? kCustomerKey : QString(),
                        .userName = d.CurrentUserName(),
                        .skipDuplicates = ui->chkSkipDuplicates->isChecked()});
    ui->Btn_Start->setEnabled(false);
    ui->lstFailures->clear();
    showFailures();
    ui->ProgressBar1->setRange(0, qMax(1, import.total()));
    ui->ProgressBar1->setValue(0);
    {
        WaitCursor wait;
        // Whatever ends the loop, the window leaves the importing state.
        const ImportingState importing(this);
        QElapsedTimer sincePaint;
        sincePaint.start();
        while (!import.atEnd() && !m_stopRequested) {
            import.importNext();
            if (sincePaint.elapsed() >= 100) {
                ui->ProgressBar1->setValue(import.position());
                QCoreApplication::processEvents(); // paints, and lets 停止 be pressed
                sincePaint.restart();
            }
        }
        import.finish();
        ui->ProgressBar1->setValue(import.position());
    }
    const bool stopped = !import.atEnd();
    m_imported = true;
    setImporting(false);
    const QString counts =
        QStringLiteral("导入成功 %1 条,导入失败 %2 条").arg(import.succeeded()).arg(import.failed());
    dialogs().message(this, QStringLiteral("确认"),
                      stopped ? QStringLiteral("导入已停止,%1,还有 %2 条没有导入")
                                    .arg(counts)
                                    .arg(import.total() - import.position())
                              : QStringLiteral("导入数据完成,") + counts,
                      QMessageBox::Question, QMessageBox::Ok, QMessageBox::Ok);
    clearPairing(d.F(), FTableName);
    m_mapping->setRows(readMapping(d.F(), FTableName));

    for (const ImportNote& note : import.notes())
        ui->lstFailures->addItem(note.text());
    showFailures();
}

void TfrmImport::showFailures()
{
    const bool any = ui->lstFailures->count() > 0;
    ui->lblFailures->setVisible(any);
    ui->lstFailures->setVisible(any);
    ui->btnCopyFailures->setVisible(any);
    ui->btnSaveFailures->setVisible(any);
}

QString TfrmImport::failureText() const
{
    QStringList lines{QStringLiteral("导入文件：%1").arg(QDir::toNativeSeparators(m_path))};
    for (int i = 0; i < ui->lstFailures->count(); ++i)
        lines << ui->lstFailures->item(i)->text();
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void TfrmImport::copyFailures()
{
    QGuiApplication::clipboard()->setText(failureText());
}

void TfrmImport::saveFailures()
{
    const QString proposed = QFileInfo(m_path).completeBaseName() + QStringLiteral("-未导入的行.txt");
    const QString path =
        dialogs().saveFileName(this, QStringLiteral("保存列表"), proposed, QStringLiteral("文本文件(*.txt)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    // With a byte order mark and CRLF, so that Notepad shows the Chinese text right.
    const QByteArray bytes =
        "\xEF\xBB\xBF" + failureText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size() ||
        !file.commit())
        throw CommandError(
            QStringLiteral("无法写入文件 %1：%2").arg(QDir::toNativeSeparators(path), file.errorString()));
}

void TfrmImport::Btn_ExitClick()
{
    clearPairing(zu::data().F(), FTableName);
    // Every customer again in the customer window's list (the window itself is not needed: it
    // shows the shared list).
    if (DataSet& customers = zu::data().qryCustom(); customers.isOpen())
        customers.open();
    accept();
}

} // namespace zu
