#include "tfrmbackup.h"

#include "backupfiles.h"
#include "backupnames.h"
#include "databasebackup.h"
#include "serverbackup.h"
#include "ui_tfrmbackup.h"

#include "data/datamodule.h"
#include "data/errors.h"
#include "users/permissions.h"
#include "widgets/dialogs.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>

namespace zu {

namespace {

// The hourglass and the running bar while a backup or restore runs.
class BusyIndicator final
{
public:
    explicit BusyIndicator(QWidget* bar) : m_bar(bar)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_bar->show();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ~BusyIndicator()
    {
        m_bar->hide();
        QApplication::restoreOverrideCursor();
    }
    BusyIndicator(const BusyIndicator&) = delete;
    BusyIndicator& operator=(const BusyIndicator&) = delete;

private:
    QWidget* m_bar;
};

void keepPainting()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString inFolder(const QString& folder, const QString& name)
{
    return QDir::toNativeSeparators(folder + QLatin1Char('/') + name);
}

BackupMethod backupMethod()
{
    return zu::data().dialect().backupMethod;
}

} // namespace

TfrmBackUP::TfrmBackUP(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmBackUP>())
{
    ui->setupUi(this);
    onFirstShow(this, [this] { FormShow(); });
    ui->pbBackup->hide();
    ui->FileListBox1->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    ui->FileListBox1->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    ui->FileListBox1->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    ui->FileListBox1->header()->setStretchLastSection(false);
    ArrangeTabOrder(this, true);
    setWindowTitle(QStringLiteral("数据库备份与恢复"));
    onSignal(ui->Btn_Back, &QPushButton::clicked, this, [this] { Btn_BackClick(); });
    onSignal(ui->Btn_Store, &QPushButton::clicked, this, [this] { Btn_StoreClick(); });
    onSignal(ui->btnFolder, &QPushButton::clicked, this, [this] { btnFolderClick(); });
    guarded(this, [this] {
        TfrmData& d = zu::data();
        setFolder(backupFolder(d.ConfigIni(), d.homeDir()));
    });
}

TfrmBackUP::~TfrmBackUP() = default;

void TfrmBackUP::FormShow()
{
    if (backupMethod() != BackupMethod::PgDump) {
        // The file copy names its backup itself.
        ui->Label3->setEnabled(false);
        ui->Label3->hide();
        ui->Edit_Name->setEnabled(false);
        ui->Edit_Name->hide();
        return;
    }
    TfrmData& d = zu::data();
    m_database = d.ConfigIni().readString(QStringLiteral("DBConn"), QStringLiteral("Database"));
    if (m_database.isEmpty())
        m_database = d.conn().settings().database;
    proposeServerName();
}

void TfrmBackUP::proposeServerName()
{
    // The day's name, or with the time when a backup of the day is there: none is overwritten
    // unless the user types its name.
    const QDateTime now = QDateTime::currentDateTime();
    const QString extension = zu::data().dialect().backupExtension;
    QString name = serverBackupName(m_database, now.date(), extension);
    if (QFileInfo::exists(inFolder(m_folder, name)))
        name = serverBackupName(m_database, now.date(), QString()) + QLatin1Char('_') +
               now.toString(QStringLiteral("HHmmss")) + extension;
    ui->Edit_Name->setText(name);
}

void TfrmBackUP::tell(const QString& title, const QString& text, QMessageBox::Icon icon)
{
    dialogs().message(this, title, text, icon, QMessageBox::Ok, QMessageBox::Ok);
}

void TfrmBackUP::plainMessage(const QString& text)
{
    dialogs().message(this, QApplication::applicationDisplayName(), text, QMessageBox::NoIcon,
                      QMessageBox::Ok, QMessageBox::Ok);
}

void TfrmBackUP::setFolder(const QString& folder)
{
    m_folder = QDir::cleanPath(folder);
    ui->edtFolder->setText(QDir::toNativeSeparators(m_folder));
    refreshFileList();
}

void TfrmBackUP::refreshFileList()
{
    ui->FileListBox1->clear();
    for (const BackupFileInfo& file : backupFileInfos(m_folder, zu::data().dialect().backupExtension)) {
        auto* item = new QTreeWidgetItem(ui->FileListBox1);
        item->setText(0, file.name);
        item->setText(1, file.written.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        item->setText(2, fileSizeText(file.size));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
}

QString TfrmBackUP::selectedFile() const
{
    const QTreeWidgetItem* item = ui->FileListBox1->currentItem();
    if (!item || !item->isSelected())
        return {};
    return inFolder(m_folder, item->text(0));
}

void TfrmBackUP::btnFolderClick()
{
    const QString chosen = dialogs().existingFolder(this, QStringLiteral("选择备份文件夹"), m_folder);
    if (chosen.isEmpty())
        return;
    setFolder(chosen);
    rememberBackupFolder(zu::data().ConfigIni(), m_folder);
}

void TfrmBackUP::requireFolder()
{
    // The folder could not be made when the window opened: try again, and say why it fails.
    if (m_folder.isEmpty()) {
        TfrmData& d = zu::data();
        setFolder(backupFolder(d.ConfigIni(), d.homeDir()));
    }
}

void TfrmBackUP::Btn_BackClick()
{
    requirePermission(Operation::BackupRestore);
    requireFolder();
    switch (backupMethod()) {
    case BackupMethod::PgDump:
        backupServer();
        break;
    case BackupMethod::SqliteVacuumInto:
        backupEmbedded();
        break;
    }
}

void TfrmBackUP::backupEmbedded()
{
    TfrmData& d = zu::data();
    const QDateTime now = QDateTime::currentDateTime();
    QString target;
    QString failure;
    {
        const BusyIndicator busy(ui->pbBackup);
        try {
            // A second backup of the day goes beside the first, never over it.
            target = QDir::toNativeSeparators(writeNewBackup(m_folder, embeddedBackupStem(now.date()), now,
                                                             d.dialect().backupExtension,
                                                             databaseBackupWriter(d.conn())));
        } catch (const DbError& e) {
            failure = e.text();
        } catch (const CommandError& e) {
            failure = e.text();
        }
    }
    if (target.isEmpty())
        tell(QStringLiteral("警告"), QStringLiteral("备份失败!\n") + failure);
    else
        tell(QStringLiteral("成功"), QStringLiteral("备份成功,文件备份在:") + target);
    refreshFileList();
}

void TfrmBackUP::backupServer()
{
    if (ui->Edit_Name->text().trimmed().isEmpty()) {
        tell(QStringLiteral("错误"), QStringLiteral("文件名不得为空！"));
        return;
    }
    TfrmData& d = zu::data();
    QString failure;
    QString path;
    {
        const BusyIndicator busy(ui->pbBackup);
        d.ConfigIni().reload();
        m_database = d.ConfigIni().readString(QStringLiteral("DBConn"), QStringLiteral("Database"));
        if (m_database.isEmpty())
            m_database = d.conn().settings().database;
        path = inFolder(m_folder, ui->Edit_Name->text());
        try {
            dumpServerDatabase(d.conn().settings(), m_database, path, keepPainting);
        } catch (const CommandError& e) {
            failure = e.text();
        }
    }
    if (failure.isEmpty())
        tell(QStringLiteral("成功"), QStringLiteral("数据库备份成功！文件备份在") + path);
    else
        plainMessage(QStringLiteral("备份失败！\n") + failure);
    refreshFileList();
    proposeServerName();
}

void TfrmBackUP::Btn_StoreClick()
{
    requirePermission(Operation::BackupRestore);
    requireFolder();
    const QString source = selectedFile();
    if (source.isEmpty()) {
        plainMessage(QStringLiteral("请选择一个恢复的数据库"));
        // Nothing was replaced; the connection is open as before.
        Connection& c = zu::data().conn();
        if (!c.isOpen() && !c.open())
            throw DbError(c.lastError());
        return;
    }
    restoreFrom(source);
    refreshFileList();
}

void TfrmBackUP::restoreFrom(const QString& source)
{
    TfrmData& d = zu::data();
    QString fault;
    {
        const BusyIndicator busy(ui->pbBackup);
        fault = restoreFault(d.conn(), source);
    }
    if (!fault.isEmpty()) {
        tell(QStringLiteral("警告"), QStringLiteral("数据恢复失败!\n") + fault);
        return;
    }
    if (dialogs().message(this, QStringLiteral("警告"),
                          QStringLiteral("确定要用“%1”恢复数据库吗？\n当前的数据将先保存为一份安全备份。")
                              .arg(QFileInfo(source).fileName()),
                          QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel,
                          QMessageBox::Cancel) != QMessageBox::Ok)
        return;

    RestoreOutcome outcome;
    {
        const BusyIndicator busy(ui->pbBackup);
        outcome = restoreDatabase(d, source, m_folder, QDateTime::currentDateTime(), keepPainting);
    }
    if (outcome.restored)
        tell(QStringLiteral("警告"), QStringLiteral("数据恢复成功!\n恢复前的数据已保存在:") +
                                         QDir::toNativeSeparators(outcome.safetyCopy));
    else
        tell(QStringLiteral("警告"), QStringLiteral("数据恢复失败!\n") + outcome.failure);
}

} // namespace zu
