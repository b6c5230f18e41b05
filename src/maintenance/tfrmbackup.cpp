#include "tfrmbackup.h"

#include "backupnames.h"
#include "embeddedbackup.h"
#include "listsreopener.h"
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

bool canRestore()
{
    return zu::data().dialect().restoreMethod != RestoreMethod::None;
}

} // namespace

TfrmBackUP::TfrmBackUP(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmBackUP>())
{
    ui->setupUi(this);
    onFirstShow(this, [this] { FormShow(); });
    ui->pbBackup->hide();
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
    if (!canRestore()) {
        ui->Label2->hide();
        ui->Btn_Store->hide();
        setWindowTitle(QStringLiteral("数据库备份"));
    }
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
    ui->Edit_Name->setText(serverBackupName(m_database, QDate::currentDate(), d.dialect().backupExtension));
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
    ui->FileListBox1->addItems(backupFiles(m_folder, zu::data().dialect().backupExtension));
}

QString TfrmBackUP::selectedFile() const
{
    const QListWidgetItem* item = ui->FileListBox1->currentItem();
    if (!item || !item->isSelected())
        return {};
    return inFolder(m_folder, item->text());
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
    const QString target =
        inFolder(m_folder, embeddedBackupName(QDate::currentDate(), d.dialect().backupExtension));
    bool done = false;
    {
        const BusyIndicator busy(ui->pbBackup);
        try {
            copyEmbeddedDatabase(d.conn(), target);
            done = true;
        } catch (const DbError&) {
        } catch (const CommandError&) {
        }
    }
    if (done)
        tell(QStringLiteral("成功"), QStringLiteral("备份成功,文件备份在:") + target);
    else
        tell(QStringLiteral("警告"), QStringLiteral("备份失败!"));
    refreshFileList();
}

void TfrmBackUP::backupServer()
{
    if (ui->Edit_Name->text().trimmed().isEmpty()) {
        tell(QStringLiteral("错误"), QStringLiteral("文件名不得为空！"));
        return;
    }
    TfrmData& d = zu::data();
    bool done = false;
    QString path;
    {
        const BusyIndicator busy(ui->pbBackup);
        d.ConfigIni().reload();
        m_database = d.ConfigIni().readString(QStringLiteral("DBConn"), QStringLiteral("Database"));
        if (m_database.isEmpty())
            m_database = d.conn().settings().database;
        const QString database = m_database;
        path = inFolder(m_folder, ui->Edit_Name->text());
        try {
            dumpServerDatabase(d.conn().settings(), database, path, keepPainting);
            done = true;
        } catch (const CommandError&) {
        }
    }
    if (done)
        tell(QStringLiteral("成功"), QStringLiteral("数据库备份成功！文件备份在") + path);
    else
        plainMessage(QStringLiteral("备份失败！"));
    refreshFileList();
}

void TfrmBackUP::Btn_StoreClick()
{
    requirePermission(Operation::BackupRestore);
    if (!canRestore())
        return;
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
    if (const QString fault = embeddedDatabaseFault(source); !fault.isEmpty()) {
        tell(QStringLiteral("警告"), QStringLiteral("数据恢复失败!\n") + fault);
        return;
    }
    if (dialogs().message(this, QStringLiteral("警告"),
                          QStringLiteral("确定要用“%1”恢复数据库吗？\n当前的数据将先保存为一份安全备份。")
                              .arg(QFileInfo(source).fileName()),
                          QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel,
                          QMessageBox::Cancel) != QMessageBox::Ok)
        return;

    TfrmData& d = zu::data();
    Connection& c = d.conn();
    const QString live = c.settings().filePath;
    const QString safety =
        inFolder(m_folder, safetyCopyName(QString::fromLatin1(kBeforeRestore), QDateTime::currentDateTime(),
                                          d.dialect().backupExtension));
    bool restored = false;
    QString failure;
    {
        const BusyIndicator busy(ui->pbBackup);
        try {
            copyEmbeddedDatabase(c, safety);
        } catch (const DbError& e) {
            throw CommandError(QStringLiteral("数据恢复失败!\n无法保存当前数据的安全备份：") + e.text());
        } catch (const CommandError& e) {
            throw CommandError(QStringLiteral("数据恢复失败!\n无法保存当前数据的安全备份：") + e.text());
        }
        ListsReopener lists(d);
        d.closeDataSets();
        c.close();
        try {
            replaceDatabaseFile(source, live);
            restored = true;
        } catch (const CommandError& e) {
            failure = e.text();
        }
        if (restored && !c.open()) {
            // The checked file would not open after all: the data of before comes back.
            failure = c.lastError();
            restored = false;
            replaceDatabaseFile(safety, live);
        }
        if (!c.open())
            throw DbError(c.lastError());
        lists.reopen();
    }
    if (restored)
        tell(QStringLiteral("警告"), QStringLiteral("数据恢复成功!\n恢复前的数据已保存在:") + safety);
    else
        tell(QStringLiteral("警告"), failure.isEmpty() ? QStringLiteral("数据恢复失败!")
                                                       : QStringLiteral("数据恢复失败!\n") + failure);
}

} // namespace zu
