#include "tfrmcleardata.h"

#include "backupnames.h"
#include "cleardata.h"
#include "embeddedbackup.h"
#include "listsreopener.h"
#include "ui_tfrmcleardata.h"

#include "data/datamodule.h"
#include "data/errors.h"
#include "users/checktree.h"
#include "users/permissions.h"
#include "widgets/dialogs.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QScopeGuard>

namespace zu {

namespace {

const QString kCatalogue = QStringLiteral("数据初始化");

} // namespace

TfrmClearData::TfrmClearData(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmClearData>())
{
    ui->setupUi(this);
    const QFontMetrics metrics(ui->mmNotice->font());
    ui->mmNotice->setFixedHeight(metrics.lineSpacing() + 2 * ui->mmNotice->frameWidth() + 10);
    onSignal(ui->btnPost, &QPushButton::clicked, this, [this] { btnPostClick(); });
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::close);
    guarded(this, [this] { FormCreate(); });
    setFixedSize(size());
}

TfrmClearData::~TfrmClearData() = default;

void TfrmClearData::FormCreate()
{
    ArrangeTabOrder(this, true);
    setWindowTitle(kCatalogue);
    ui->btnPost->setText(QStringLiteral("初始化&S"));
    ui->btnClose->setText(QStringLiteral("关闭&C"));
    LoadPopedomTree(ui->RzCheckTree1, kCatalogue, kCatalogue);
    ui->RzCheckTree1->expandAll();
    ui->btnPost->setEnabled(mayUse(Operation::InitialiseData));
}

void TfrmClearData::backUpBeforeClearing()
{
    TfrmData& d = zu::data();
    m_safetyCopy.clear();
    if (!d.dialect().safetyCopyBeforeClearing)
        return;
    const QString folder = backupFolder(d.ConfigIni(), d.homeDir());
    const QString target =
        QDir::toNativeSeparators(folder + QLatin1Char('/') +
                                 safetyCopyName(QString::fromLatin1(kBeforeClearing),
                                                QDateTime::currentDateTime(), d.dialect().backupExtension));
    try {
        copyEmbeddedDatabase(d.conn(), target);
    } catch (const DbError& e) {
        throw CommandError(QStringLiteral("初始化前无法备份数据库，未清除任何数据：") + e.text());
    } catch (const CommandError& e) {
        throw CommandError(QStringLiteral("初始化前无法备份数据库，未清除任何数据：") + e.text());
    }
    m_safetyCopy = target;
}

void TfrmClearData::btnPostClick()
{
    requirePermission(Operation::InitialiseData);
    const QStringList names = checkedNames(ui->RzCheckTree1, kClearDataFirstNode);
    if (names.isEmpty()) {
        dialogs().message(this, QStringLiteral("提示"), QStringLiteral("请您至少选择一个表进行清除！"),
                          QMessageBox::Question, QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    // Nothing cleared can be had back from within the program: No is the answer Enter gives.
    if (dialogs().message(this, QStringLiteral("警告"), clearDataQuestion(), QMessageBox::Warning,
                          QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    TfrmData& d = zu::data();
    const QStringList statements = splitClearStatements(collectClearStatements(d.qryTemp(), names));
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        backUpBeforeClearing();
        runClearStatements(d.conn(), statements);

        ListsReopener lists(d);
        d.reconnect();
        lists.reopen();
    }
    dialogs().message(this, QStringLiteral("提示"), clearDataDoneText(QDir::toNativeSeparators(m_safetyCopy)),
                      QMessageBox::Question, QMessageBox::Ok, QMessageBox::Ok);
}

} // namespace zu
