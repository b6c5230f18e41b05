#include "data/apphome.h"
#include "data/datamodule.h"
#include "data/query.h"
#include "maintenance/backupfiles.h"
#include "maintenance/backupnames.h"
#include "maintenance/embeddedbackup.h"
#include "maintenance/serverbackup.h"
#include "maintenance/tfrmbackup.h"
#include "support/records.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace zu;
using zu::test::control;
using zu::test::ScriptedDialogs;

namespace {

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

using zu::test::addCustomer;

QStringList customers()
{
    QStringList names;
    Query q(data().conn());
    q.open(QStringLiteral("select CustName from T_Cust order by CusttityID"));
    for (; !q.eof(); q.next())
        names << q.value(0).toString();
    return names;
}

// A connection of its own to a database file, closed and removed at the end.
class FileConnection final
{
public:
    explicit FileConnection(const QString& file) : m_name(QStringLiteral("tst-backup-%1").arg(++s_count))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(file));
    }
    ~FileConnection()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlQuery query() const { return QSqlQuery(QSqlDatabase::database(m_name, false)); }
    void exec(const QString& sql) const
    {
        QSqlQuery q = query();
        if (!q.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    }
    QStringList column(const QString& sql) const
    {
        QSqlQuery q = query();
        if (!q.exec(sql))
            return {QStringLiteral("错误：") + q.lastError().text()};
        QStringList out;
        while (q.next())
            out << q.value(0).toString();
        return out;
    }

private:
    QString m_name;
    static inline int s_count = 0;
};

// The backup window as the main window opens it.
struct BackupWindow
{
    TfrmBackUP window;
    BackupWindow() { window.show(); }
    QTreeWidget* files() { return control<QTreeWidget>(&window, "FileListBox1"); }
    QStringList listed(int column = 0)
    {
        QStringList out;
        for (int i = 0; i < files()->topLevelItemCount(); ++i)
            out << files()->topLevelItem(i)->text(column);
        return out;
    }
    void choose(const QString& name)
    {
        const auto found = files()->findItems(name, Qt::MatchExactly, 0);
        QVERIFY2(found.size() == 1, qPrintable(name));
        files()->setCurrentItem(found.first());
    }
    void press(const char* button) { control<QPushButton>(&window, button)->click(); }
};

QStringList filesIn(const QString& folder, const QString& pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

} // namespace

class TestBackup final : public QObject
{
    Q_OBJECT
private slots:
    void names()
    {
        const QDate day(2024, 3, 5);
        QCOMPARE(embeddedBackupName(day, QStringLiteral(".db")), QStringLiteral("Assets_bak2024-03-05.db"));
        QCOMPARE(serverBackupName(QStringLiteral("service"), day, QStringLiteral(".bak")),
                 QStringLiteral("service-2024-03-05.bak"));
        QCOMPARE(
            safetyCopyName(QStringLiteral("x_"), QDateTime(day, QTime(14, 2, 33)), QStringLiteral(".db")),
            QStringLiteral("x_2024-03-05_140233.db"));
    }

    void embeddedWindow()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        BackupWindow w;
        QCOMPARE(w.window.windowTitle(), QStringLiteral("数据库备份与恢复"));
        QVERIFY(control<QLineEdit>(&w.window, "Edit_Name")->isHidden());
        QVERIFY(control<QLabel>(&w.window, "Label3")->isHidden());
        QVERIFY(!control<QPushButton>(&w.window, "Btn_Store")->isHidden());
        QVERIFY(!control<QLabel>(&w.window, "Label2")->isHidden());
        // Without DirectoryList the backups go to Backup/ in the program's folder.
        QCOMPARE(w.window.folder(), db.home().file(QStringLiteral("Backup")));
        QVERIFY(QFileInfo(w.window.folder()).isDir());
        QVERIFY(dialogs.shown().isEmpty());
    }

    void backupOfADatabaseBeingWritten()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        const QString live = db.home().file(QLatin1String(kEmbeddedDatabaseFile));
        addCustomer(QStringLiteral("早先"));

        // Another program writes: committed rows that are still only in the write-ahead log, and
        // a transaction that is open while the backup runs.
        FileConnection committed(live);
        committed.exec(QStringLiteral("pragma wal_autocheckpoint=0"));
        committed.exec(QStringLiteral("begin"));
        for (int i = 0; i < 200; ++i)
            committed.exec(QStringLiteral("insert into T_Cust (CustName) values ('已提交%1')").arg(i));
        committed.exec(QStringLiteral("commit"));
        FileConnection open(live);
        open.exec(QStringLiteral("begin"));
        open.exec(QStringLiteral("insert into T_Cust (CustName) values ('未提交')"));

        // A plain copy of the file would miss the committed rows.
        const QString raw = db.home().file(QStringLiteral("raw.db"));
        QVERIFY(QFile::copy(live, raw));
        {
            FileConnection rawCopy(raw);
            QCOMPARE(
                rawCopy.column(QStringLiteral("select count(*) from T_Cust where CustName like '已提交%'")),
                QStringList{QStringLiteral("0")});
        }

        ScriptedDialogs dialogs;
        BackupWindow w;
        w.press("Btn_Back");
        const QString target = QDir::toNativeSeparators(w.window.folder() + QStringLiteral("/Assets_bak") +
                                                        today() + QStringLiteral(".db"));
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("备份成功,文件备份在:") + target});
        QCOMPARE(dialogs.last().title, QStringLiteral("成功"));
        QCOMPARE(dialogs.last().icon, QMessageBox::Information);
        QCOMPARE(w.listed(), QStringList{QStringLiteral("Assets_bak") + today() + QStringLiteral(".db")});
        open.exec(QStringLiteral("rollback"));

        QCOMPARE(embeddedDatabaseFault(target), QString());
        {
            FileConnection backup(target);
            QCOMPARE(backup.column(QStringLiteral("pragma integrity_check")),
                     QStringList{QStringLiteral("ok")});
            QCOMPARE(
                backup.column(QStringLiteral("select count(*) from T_Cust where CustName like '已提交%'")),
                QStringList{QStringLiteral("200")});
            QCOMPARE(backup.column(QStringLiteral("select count(*) from T_Cust where CustName = '早先'")),
                     QStringList{QStringLiteral("1")});
            QCOMPARE(backup.column(QStringLiteral("select count(*) from T_Cust where CustName = '未提交'")),
                     QStringList{QStringLiteral("0")});
        }

        // Each file with the time it was written and its size.
        const QFileInfo written(target);
        QCOMPARE(w.listed(1),
                 QStringList{written.lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
        QCOMPARE(w.listed(2), QStringList{fileSizeText(written.size())});
        QVERIFY(w.listed(2).first().endsWith(QStringLiteral(" KB")));

        // A second backup on the same day goes beside the first, which stays as it was.
        addCustomer(QStringLiteral("后来"));
        w.press("Btn_Back");
        QCOMPARE(dialogs.messages().size(), 2);
        QCOMPARE(w.listed().size(), 2);
        const QString second = w.listed().at(1);
        QVERIFY2(second.startsWith(QStringLiteral("Assets_bak") + today() + QLatin1Char('_')),
                 qPrintable(second));
        QCOMPARE(dialogs.messages().last(),
                 QStringLiteral("备份成功,文件备份在:") +
                     QDir::toNativeSeparators(w.window.folder() + QLatin1Char('/') + second));
        {
            FileConnection first(target);
            QCOMPARE(first.column(QStringLiteral("select count(*) from T_Cust")),
                     QStringList{QStringLiteral("201")});
        }
        FileConnection again(w.window.folder() + QLatin1Char('/') + second);
        QCOMPARE(again.column(QStringLiteral("select count(*) from T_Cust")),
                 QStringList{QStringLiteral("202")});
    }

    void failedBackupSaysSo()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        BackupWindow w;
        // A folder that vanished after it was chosen.
        const QString folder = db.home().file(QStringLiteral("gone"));
        QVERIFY(QDir().mkpath(folder));
        dialogs.answerFile(folder);
        w.press("btnFolder");
        QVERIFY(QDir(folder).removeRecursively());
        w.press("Btn_Back");
        QCOMPARE(dialogs.messages().size(), 1);
        // Said why, with the folder named.
        QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("备份失败!\n")),
                 qPrintable(dialogs.last().text));
        QVERIFY2(dialogs.last().text.contains(QDir::toNativeSeparators(folder)),
                 qPrintable(dialogs.last().text));
        QCOMPARE(dialogs.last().title, QStringLiteral("警告"));
        QCOMPARE(dialogs.last().icon, QMessageBox::Information);
        QVERIFY(!QFileInfo::exists(folder));
    }

    void folderIsChosenAndRemembered()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        const QString first = db.home().file(QStringLiteral("备份一"));
        db.dataModule().ConfigIni().writeString(QStringLiteral("config"), QStringLiteral("DirectoryList"),
                                                first);
        db.home().write(QStringLiteral("备份一/b.db"), "x");
        db.home().write(QStringLiteral("备份一/A.DB"), "x");
        db.home().write(QStringLiteral("备份一/note.txt"), "x");
        const QString second = db.home().file(QStringLiteral("备份二"));
        QVERIFY(QDir().mkpath(second));
        db.home().write(QStringLiteral("备份二/c.db"), "x");

        ScriptedDialogs dialogs;
        {
            BackupWindow w;
            QCOMPARE(w.window.folder(), first);
            QCOMPARE(control<QLineEdit>(&w.window, "edtFolder")->text(), QDir::toNativeSeparators(first));
            QCOMPARE(w.listed(), (QStringList{QStringLiteral("A.DB"), QStringLiteral("b.db")}));

            // Cancelling the chooser changes nothing.
            w.press("btnFolder");
            QCOMPARE(dialogs.last().kind, QStringLiteral("folder"));
            QCOMPARE(dialogs.last().text, first);
            QCOMPARE(w.window.folder(), first);

            dialogs.answerFile(second);
            w.press("btnFolder");
            QCOMPARE(w.window.folder(), second);
            QCOMPARE(w.listed(), QStringList{QStringLiteral("c.db")});
        }
        QCOMPARE(
            db.dataModule().ConfigIni().readString(QStringLiteral("config"), QStringLiteral("DirectoryList")),
            second);
        zu::IniFile onDisk(db.home().file(QStringLiteral("Config.ini")));
        QCOMPARE(onDisk.readString(QStringLiteral("config"), QStringLiteral("DirectoryList")), second);
        BackupWindow reopened;
        QCOMPARE(reopened.window.folder(), second);
    }

    void restoreBringsTheBackupBackAndKeepsASafetyCopy()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        addCustomer(QStringLiteral("甲"));
        addCustomer(QStringLiteral("乙"));
        ScriptedDialogs dialogs;
        BackupWindow w;
        w.press("Btn_Back");
        const QString backupName = QStringLiteral("Assets_bak") + today() + QStringLiteral(".db");

        addCustomer(QStringLiteral("丙"));
        d.T().exec(QStringLiteral("delete from T_Cust where CustName = ?"), {QStringLiteral("甲")});
        d.qryCustom().open();
        d.qryCustom().last();
        QCOMPARE(d.qryCustom().recordCount(), 2);

        // Cancel at the question: nothing happens.
        dialogs.clear();
        w.choose(backupName);
        dialogs.answer(QMessageBox::Cancel);
        w.press("Btn_Store");
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.last().buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(customers(), (QStringList{QStringLiteral("乙"), QStringLiteral("丙")}));
        QCOMPARE(filesIn(w.window.folder(), QStringLiteral("*.db")), QStringList{backupName});

        dialogs.clear();
        w.choose(backupName);
        dialogs.answer(QMessageBox::Ok);
        w.press("Btn_Store");
        const QStringList safety =
            filesIn(w.window.folder(), QString::fromLatin1(kBeforeRestore) + QLatin1Char('*'));
        QCOMPARE(safety.size(), 1);
        const QString safetyPath =
            QDir::toNativeSeparators(w.window.folder() + QLatin1Char('/') + safety.first());
        QCOMPARE(dialogs.messages().size(), 2);
        QCOMPARE(dialogs.messages().last(),
                 QStringLiteral("数据恢复成功!\n恢复前的数据已保存在:") + safetyPath);
        QCOMPARE(dialogs.last().title, QStringLiteral("警告"));

        // The backup's rows are back, through the data module's reopened connection.
        QVERIFY(d.conn().isOpen());
        QCOMPARE(customers(), (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
        QVERIFY(d.qryCustom().isOpen());
        QCOMPARE(d.qryCustom().recordCount(), 2);
        d.qryCustom().open();
        QCOMPARE(d.qryCustom().fieldText(QStringLiteral("CustName")), QStringLiteral("甲"));
        // The data as it was before the restore is kept and can itself be restored.
        QCOMPARE(embeddedDatabaseFault(safetyPath), QString());
        {
            FileConnection before(safetyPath);
            QCOMPARE(before.column(QStringLiteral("select CustName from T_Cust order by CusttityID")),
                     (QStringList{QStringLiteral("乙"), QStringLiteral("丙")}));
        }
        QVERIFY(w.listed().contains(safety.first()));
        // Written to afterwards as usual.
        addCustomer(QStringLiteral("丁"));
        QCOMPARE(customers().size(), 3);
    }

    void damagedOrForeignFilesAreRefused()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addCustomer(QStringLiteral("甲"));
        ScriptedDialogs dialogs;
        BackupWindow w;
        const QString folder = w.window.folder();

        // Not a database at all.
        db.home().write(QStringLiteral("Backup/text.db"), QByteArray("这不是数据库\n").repeated(100));
        // A database of another program.
        {
            FileConnection foreign(folder + QStringLiteral("/foreign.db"));
            foreign.exec(QStringLiteral("create table T_user (id integer, UserName text)"));
            foreign.exec(QStringLiteral("insert into T_user values (1, 'x')"));
        }
        // A backup of this program with pages overwritten.
        data().T().exec(
            QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000) "
                           "insert into T_Cust (CustName, IDCode, Address) "
                           "select '客户' || i, 'C' || i, '某市某区某路某号某单元' || i from n"));
        w.press("Btn_Back");
        const QString good = folder + QStringLiteral("/Assets_bak") + today() + QStringLiteral(".db");
        QFile damaged(folder + QStringLiteral("/damaged.db"));
        {
            QFile source(good);
            QVERIFY(source.open(QIODevice::ReadOnly));
            QByteArray bytes = source.readAll();
            QVERIFY(bytes.size() > 16 * 4096);
            for (qsizetype i = 4096; i < bytes.size() - 4096; i += 4096)
                bytes.replace(i + 100, 600, QByteArray(600, '\x5a'));
            QVERIFY(damaged.open(QIODevice::WriteOnly));
            damaged.write(bytes);
            damaged.close();
        }
        QVERIFY(QFile::remove(good));
        dialogs.answerFile(folder);
        w.press("btnFolder"); // the same folder, its list read again
        QCOMPARE(w.listed(), (QStringList{QStringLiteral("damaged.db"), QStringLiteral("foreign.db"),
                                          QStringLiteral("text.db")}));
        const QStringList before = customers();
        QCOMPARE(before.size(), 3001);

        for (const QString& name :
             {QStringLiteral("text.db"), QStringLiteral("foreign.db"), QStringLiteral("damaged.db")}) {
            dialogs.clear();
            w.choose(name);
            w.press("Btn_Store");
            QCOMPARE(dialogs.shown().size(), 1);
            QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("数据恢复失败!\n")),
                     qPrintable(dialogs.last().text));
            QVERIFY2(dialogs.last().text.size() > 8, qPrintable(name));
            QCOMPARE(customers(), before);
            QCOMPARE(filesIn(folder, QString::fromLatin1(kBeforeRestore) + QLatin1Char('*')), QStringList());
        }
        QVERIFY(
            embeddedDatabaseFault(folder + QStringLiteral("/foreign.db")).contains(QStringLiteral("T_Cust")));
    }

    void restoreWithNothingChosenChangesNothing()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        addCustomer(QStringLiteral("甲"));
        ScriptedDialogs dialogs;
        BackupWindow w;
        w.press("Btn_Back");
        d.qryCustom().open();
        dialogs.clear();
        const QStringList filesBefore = filesIn(w.window.folder(), QStringLiteral("*"));
        const QByteArray liveBefore = db.home().read(QLatin1String(kEmbeddedDatabaseFile));

        w.files()->clearSelection();
        w.press("Btn_Store");
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("请选择一个恢复的数据库")});
        QCOMPARE(dialogs.last().icon, QMessageBox::NoIcon);
        QVERIFY(d.conn().isOpen());
        QVERIFY(d.qryCustom().isOpen());
        QCOMPARE(d.qryCustom().recordCount(), 1);
        QCOMPARE(customers(), QStringList{QStringLiteral("甲")});
        QCOMPARE(filesIn(w.window.folder(), QStringLiteral("*")), filesBefore);
        QCOMPARE(db.home().read(QLatin1String(kEmbeddedDatabaseFile)), liveBefore);
    }

    // The client tools come from the search path; without them there, from the newest server
    // package; a tool no package has is not found.
    void clientToolsOnThePathOrFromTheNewestServerPackage()
    {
        const QString newestBin = qEnvironmentVariable("ZU_TEST_PG_BIN");
        if (newestBin.isEmpty())
            QSKIP("the server packages' folder is not known (ZU_TEST_PG_BIN)");
        QTemporaryDir onPath;
        const QString own = onPath.filePath(QStringLiteral("pg_dump"));
        QFile tool(own);
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.write("#!/bin/sh\n");
        tool.close();
        QVERIFY(tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&path] { qputenv("PATH", path); });
        qputenv("PATH", QFile::encodeName(onPath.path()));
        QCOMPARE(pgClientProgram(QStringLiteral("pg_dump")), own);
        QVERIFY(tool.remove());
        QCOMPARE(pgClientProgram(QStringLiteral("pg_dump")), newestBin + QStringLiteral("/pg_dump"));
        QCOMPARE(pgClientProgram(QStringLiteral("pg_restore")), newestBin + QStringLiteral("/pg_restore"));
        QCOMPARE(pgClientProgram(QStringLiteral("pg_nothing")), QString());
    }

    void serverBackupAndRestoreThroughPgDump()
    {
        zu::test::TestDatabase db(QStringLiteral("postgres"));
        if (db.skipped())
            QSKIP("no PostgreSQL server configured (ZU_TEST_PG)");
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        addCustomer(QStringLiteral("服务器客户"));

        ScriptedDialogs dialogs;
        BackupWindow w;
        // Restore is offered on the server too.
        QCOMPARE(w.window.windowTitle(), QStringLiteral("数据库备份与恢复"));
        QVERIFY(!control<QPushButton>(&w.window, "Btn_Store")->isHidden());
        QVERIFY(!control<QLabel>(&w.window, "Label2")->isHidden());
        auto* name = control<QLineEdit>(&w.window, "Edit_Name");
        QVERIFY(!name->isHidden());
        const QString proposed =
            db.serverDatabaseName() + QLatin1Char('-') + today() + QStringLiteral(".bak");
        QCOMPARE(name->text(), proposed);

        name->setText(QStringLiteral("  "));
        w.press("Btn_Back");
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("文件名不得为空！")});
        QCOMPARE(dialogs.last().title, QStringLiteral("错误"));

        // An older file of the name the user gives is replaced.
        db.home().write(QStringLiteral("Backup/") + proposed, "old");
        dialogs.clear();
        name->setText(proposed);
        w.press("Btn_Back");
        const QString path = QDir::toNativeSeparators(w.window.folder() + QLatin1Char('/') + proposed);
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("数据库备份成功！文件备份在") + path});
        QCOMPARE(dialogs.last().title, QStringLiteral("成功"));
        QVERIFY(w.listed().contains(proposed));
        QVERIFY(QFileInfo(path).size() > 1000);
        // The next name proposed is a new one: a second backup of the day keeps the first.
        QVERIFY2(
            name->text().startsWith(db.serverDatabaseName() + QLatin1Char('-') + today() + QLatin1Char('_')),
            qPrintable(name->text()));

        QProcess list;
        list.start(pgClientProgram(QStringLiteral("pg_restore")), {QStringLiteral("--list"), path});
        QVERIFY(list.waitForFinished(30000));
        QCOMPARE(list.exitCode(), 0);
        const QString contents = QString::fromUtf8(list.readAllStandardOutput());
        QVERIFY2(contents.contains(QStringLiteral("TABLE DATA public t_cust")), qPrintable(contents));

        // A backup that fails says why: a folder that is not there, pg_dump's own words.
        dialogs.clear();
        name->setText(QStringLiteral("no-such-folder/x.bak"));
        w.press("Btn_Back");
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("备份失败！\n无法写入文件夹")),
                 qPrintable(dialogs.last().text));
        QVERIFY(dialogs.last().text.contains(QStringLiteral("no-such-folder")));
        QCOMPARE(dialogs.last().icon, QMessageBox::NoIcon);
        d.ConfigIni().writeString(QStringLiteral("DBConn"), QStringLiteral("Database"),
                                  QStringLiteral("no_such_db"));
        dialogs.clear();
        name->setText(proposed);
        w.press("Btn_Back");
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("备份失败！\npg_dump")),
                 qPrintable(dialogs.last().text));
        QVERIFY(dialogs.last().text.contains(QStringLiteral("no_such_db")));
        d.ConfigIni().writeString(QStringLiteral("DBConn"), QStringLiteral("Database"),
                                  db.serverDatabaseName());
        // The good one is kept.
        QVERIFY(QFileInfo(path).size() > 1000);

        // Restore: changed data, then the backup brought back after the same question.
        addCustomer(QStringLiteral("备份之后"));
        d.qryCustom().open();
        dialogs.clear();
        w.choose(proposed);
        dialogs.answer(QMessageBox::Cancel);
        w.press("Btn_Store");
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.last().buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(customers().size(), 2);

        dialogs.clear();
        w.choose(proposed);
        dialogs.answer(QMessageBox::Ok);
        w.press("Btn_Store");
        QCOMPARE(dialogs.messages().size(), 2);
        const QStringList safety = w.listed().filter(QString::fromLatin1(kBeforeRestore));
        QCOMPARE(safety.size(), 1);
        QCOMPARE(dialogs.messages().last(),
                 QStringLiteral("数据恢复成功!\n恢复前的数据已保存在:") +
                     QDir::toNativeSeparators(w.window.folder() + QLatin1Char('/') + safety.first()));
        QCOMPARE(customers(), QStringList{QStringLiteral("服务器客户")});
        QVERIFY(d.qryCustom().isOpen());
        QCOMPARE(d.qryCustom().recordCount(), 1);
        addCustomer(QStringLiteral("恢复之后"));
        QCOMPARE(customers().size(), 2);

        // A file that is no backup of this program is refused before anything happens.
        db.home().write(QStringLiteral("Backup/foreign.bak"), QByteArray("不是备份\n").repeated(40));
        dialogs.answerFile(w.window.folder());
        w.press("btnFolder");
        dialogs.clear();
        w.choose(QStringLiteral("foreign.bak"));
        w.press("Btn_Store");
        QCOMPARE(dialogs.shown().size(), 1);
        QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("数据恢复失败!\n不是数据库备份文件")),
                 qPrintable(dialogs.last().text));
        QCOMPARE(customers().size(), 2);
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
