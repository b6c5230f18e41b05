#include "app/entrysequence.h"
#include "app/tfrmchangepass.h"
#include "app/tfrmlogin.h"
#include "app/tfrmmain.h"
#include "data/connection.h"
#include "data/query.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"
#include "users/passwords.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace zu;
using zu::test::control;
using zu::test::ScriptedDialogs;
using zu::test::TestDatabase;
using zu::test::whenModal;

namespace {

void addUser(TfrmData& d, const QString& name, const QString& storedPassword, const QString& rights = {})
{
    d.F().exec(QStringLiteral("insert into T_user (UserName, Password, qxList, type) values (?, ?, ?, ?)"),
               {name, storedPassword, rights, QStringLiteral("用户")});
}

QString storedPassword(TfrmData& d, const QString& name)
{
    Query q(d.conn());
    q.open(QStringLiteral("select Password from T_user where UserName = ?"), {name});
    return q.value(0).toString();
}

// Chooses a user and a password in the login dialog and presses 确定.
void tryLogin(TfrmLogin& login, const QString& user, const QString& password)
{
    auto* combo = control<QComboBox>(&login, "Combo_User");
    combo->setCurrentIndex(combo->findText(user));
    control<QLineEdit>(&login, "Edit_Pass")->setText(password);
    control<QPushButton>(&login, "Btn_ok")->click();
}

} // namespace

class TestLogin final : public QObject
{
    Q_OBJECT
private slots:
    void failedConnectionEndsBeforeLogin()
    {
        zu::test::TestHome home;
        ScriptedDialogs dialogs;
        dialogs.answer(QMessageBox::No);
        EntrySequence entry(home.path());
        QVERIFY(!entry.start());
        QVERIFY(!entry.loginShown());
        QVERIFY(!entry.mainWindow()->isVisible());
        // The cause first, then the question.
        QCOMPARE(
            dialogs.messages(),
            QStringList{QStringLiteral("无法打开数据库文件 %1。（数据库文件不存在：%2）\n\n"
                                       "连接数据库失败,要重新配置数据库吗?")
                            .arg(QDir::toNativeSeparators(home.file(QStringLiteral("Database/Service.db"))),
                                 home.file(QStringLiteral("Database/Service.db")))});
        QCOMPARE(dialogs.last().title, QStringLiteral("失败"));
        QCOMPARE(dialogs.last().buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(dialogs.last().icon, QMessageBox::Information);
        QCOMPARE(dialogs.shown().size(), 1); // "否" starts nothing
    }

    void yesAfterAFailedConnectionStartsTheConnectionTool()
    {
        zu::test::TestHome home;
        home.write(QStringLiteral("sql.dat"), QByteArray());
        home.write(QStringLiteral("Config.ini"), "[DBConn]\nServer=127.0.0.1:1\nDatabase=d\n");
        ScriptedDialogs dialogs;
        dialogs.answer(QMessageBox::Yes);
        EntrySequence entry(home.path());
        QVERIFY(!entry.start());
        QVERIFY(!entry.loginShown());
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY2(dialogs.messages().first().startsWith(
                     QStringLiteral("无法连接数据库服务器 127.0.0.1 上的数据库 d。（")),
                 qPrintable(dialogs.messages().first()));
        QVERIFY(dialogs.messages().first().endsWith(
            QStringLiteral("）\n\n连接数据库失败,是否要重新配置数据库?")));
        QCOMPARE(dialogs.shown().size(), 2);
        QCOMPARE(dialogs.shown()[1].kind, QStringLiteral("start"));
        // The tool beside the program, for the program's folder.
        QCOMPARE(dialogs.shown()[1].title,
                 QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("zu-conntool")));
        QCOMPARE(dialogs.shown()[1].text, QStringLiteral("--home ") + home.path());
    }

    void firstStartOfAnInstalledProgram()
    {
        zu::test::TestHome root;
        ScriptedDialogs dialogs;
        const QString home = root.file(QStringLiteral("share/zu"));
        EntrySequence entry(ProgramHome{home, HomeOrigin::UserData});
        entry.setStartOnly(true);
        const QDate began = QDate::currentDate();
        QVERIFY(!entry.start());
        const QDate ended = QDate::currentDate();
        QVERIFY(entry.loginShown());
        QCOMPARE(dialogs.shown().size(), 0);
        QVERIFY(!entry.mainWindow()->isVisible());
        // The folder set up from what ships with the program, and the day's backup made (the
        // day the start began or ended on).
        QVERIFY(QFileInfo(home + QStringLiteral("/Database/Service.db")).size() > 0);
        QVERIFY(QFileInfo::exists(home + QStringLiteral("/Reports/客户列表.fr3")));
        const auto backupOf = [](const QDate& day) {
            return QStringList{QStringLiteral("Assets_auto%1.db").arg(day.toString(Qt::ISODate))};
        };
        const QStringList backups = QDir(home + QStringLiteral("/Backup")).entryList(QDir::Files);
        QVERIFY2(backups == backupOf(began) || backups == backupOf(ended), qPrintable(backups.join(u' ')));
    }

    // An installed program whose data folder, or whose database in it, cannot be made says why and
    // goes no further: no login, no main window.
    void firstStartThatCannotSetUpItsFolder_data()
    {
        QTest::addColumn<QString>("blocker");
        QTest::addColumn<QString>("said");
        QTest::newRow("folder") << QStringLiteral("share") << QStringLiteral("无法创建程序文件夹 {home}");
        QTest::newRow("database") << QStringLiteral("share/zu/Database/Service.db")
                                  << QStringLiteral("无法创建数据库文件 {database}。（");
    }
    void firstStartThatCannotSetUpItsFolder()
    {
        QFETCH(QString, blocker);
        QFETCH(QString, said);
        zu::test::TestHome root;
        const QString home = root.file(QStringLiteral("share/zu"));
        const QString database = root.file(QStringLiteral("share/zu/Database/Service.db"));
        // A file where the folder should be; a link into nowhere where the database should be.
        if (blocker.endsWith(QLatin1String(".db"))) {
            QVERIFY(QDir().mkpath(root.file(QStringLiteral("share/zu/Database"))));
            QVERIFY(QFile::link(root.file(QStringLiteral("nowhere/Service.db")), root.file(blocker)));
        } else {
            root.write(blocker, "not a folder");
        }
        ScriptedDialogs dialogs;
        EntrySequence entry(ProgramHome{home, HomeOrigin::UserData});
        entry.setStartOnly(true);
        QVERIFY(!entry.start());
        QVERIFY(!entry.loginShown());
        QVERIFY(!entry.mainWindow());
        QCOMPARE(dialogs.messages().size(), 1);
        const QString expected =
            QString(said)
                .replace(QLatin1String("{home}"), QDir::toNativeSeparators(home))
                .replace(QLatin1String("{database}"), QDir::toNativeSeparators(database));
        QVERIFY2(dialogs.last().text.startsWith(expected), qPrintable(dialogs.last().text));
        QCOMPARE(dialogs.last().title, QStringLiteral("错误"));
        QCOMPARE(dialogs.last().icon, QMessageBox::Critical);
    }

    void aFailedAutomaticBackupIsReported()
    {
        TestDatabase db(QStringLiteral("sqlite"), false);
        QVERIFY2(db.ok(), qPrintable(db.error()));
        db.home().write(QStringLiteral("blocked"), "a file where the backup folder should be");
        db.home().write(QStringLiteral("Config.ini"), QStringLiteral("[config]\nDirectoryList=%1\n")
                                                          .arg(db.home().file(QStringLiteral("blocked/备份")))
                                                          .toUtf8());
        ScriptedDialogs dialogs;
        EntrySequence entry(db.home().path());
        entry.setStartOnly(true);
        QVERIFY(!entry.start());
        // Said, and the program starts all the same.
        QVERIFY(entry.loginShown());
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.last().title, QStringLiteral("警告"));
        QCOMPARE(dialogs.last().icon, QMessageBox::Warning);
        QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("今天的自动备份没有完成")),
                 qPrintable(dialogs.last().text));
        QVERIFY(dialogs.last().text.contains(QStringLiteral("blocked")));
    }

    // A database that says it is older than it is (a table of a later version already there)
    // cannot be brought up to date: the program says so and goes no further, and the database is
    // left as it was, at its version.
    void olderDatabaseThatCannotBeUpgradedIsNotUsed_data() { zu::test::addEngineRows(); }
    void olderDatabaseThatCannotBeUpgradedIsNotUsed()
    {
        QFETCH(QString, engine);
        TestDatabase db(engine, false);
        if (db.skipped())
            QSKIP("no PostgreSQL server for the tests");
        QVERIFY2(db.ok(), qPrintable(db.error()));
        const auto version = [&db] {
            Connection c(db.dialect(), db.settings());
            if (!c.open())
                return -1;
            Query q(c);
            q.open(QStringLiteral("select max(version) from zu_schema"));
            return q.value(0).toInt();
        };
        {
            Connection c(db.dialect(), db.settings());
            QVERIFY(c.open());
            Query q(c);
            q.exec(QStringLiteral("delete from zu_schema"));
            q.exec(QStringLiteral("insert into zu_schema (version) values (?)"),
                   {7}); // before the warranty terms
        }
        ScriptedDialogs dialogs;
        dialogs.answer(QMessageBox::No);
        QObject scope; // a login shown by mistake is closed at once, within this case only
        whenModal<TfrmLogin>([](TfrmLogin* login) { login->reject(); }, &scope);
        EntrySequence entry(db.home().path());
        QVERIFY(!entry.start());
        QVERIFY(!entry.loginShown());
        QVERIFY(!entry.mainWindow()->isVisible());
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY2(dialogs.messages().first().startsWith(QStringLiteral("数据库不能升级到本程序的版本：")),
                 qPrintable(dialogs.messages().first()));
        QCOMPARE(version(), 7);
    }

    void correctLoginShowsTheMainWindow()
    {
        TestDatabase db(QStringLiteral("sqlite"), false);
        QVERIFY2(db.ok(), qPrintable(db.error()));
        db.home().write(QStringLiteral("Config.ini"), "[login]\nUsername=0\n");
        ScriptedDialogs dialogs;
        EntrySequence entry(db.home().path());
        bool sawLogin = false;
        bool mainVisibleDuringLogin = true;
        whenModal<TfrmLogin>([&](TfrmLogin* login) {
            sawLogin = true;
            mainVisibleDuringLogin = entry.mainWindow()->isVisible();
            control<QPushButton>(login, "Btn_ok")->click();
        });
        QVERIFY(entry.start());
        QVERIFY(sawLogin);
        QVERIFY(!mainVisibleDuringLogin);
        QVERIFY(entry.mainWindow()->isVisible());
        QCOMPARE(entry.dataModule()->CurrentUserName(), QStringLiteral("Admin"));
        QVERIFY(dialogs.messages().isEmpty());
    }

    void cancelledLoginEndsTheProgram()
    {
        TestDatabase db(QStringLiteral("sqlite"), false);
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        EntrySequence entry(db.home().path());
        whenModal<TfrmLogin>([](TfrmLogin* login) { control<QPushButton>(login, "Btn_Exit")->click(); });
        QVERIFY(!entry.start());
        QVERIFY(entry.loginShown());
        QVERIFY(!entry.mainWindow()->isVisible());
    }

    void passwordsAreCheckedExactly_data() { zu::test::addEngineRows(); }
    void passwordsAreCheckedExactly()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addUser(d, QStringLiteral("张三"), hashPassword(QStringLiteral("Mi'ma 1")),
                QStringLiteral("'修改密码',"));
        ScriptedDialogs dialogs;
        TfrmMain main;
        TfrmLogin login(&main);
        login.show();

        tryLogin(login, QStringLiteral("张三"), QStringLiteral("mi'ma 1"));
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("密码错误，请重新输入密码！")});
        QCOMPARE(dialogs.last().title, QStringLiteral("警告"));
        QCOMPARE(dialogs.last().icon, QMessageBox::Critical);
        QVERIFY(control<QLineEdit>(&login, "Edit_Pass")->text().isEmpty());
        QVERIFY(!login.LoginOK());

        tryLogin(login, QStringLiteral("张三"), QStringLiteral("Mi'ma 1 "));
        QCOMPARE(dialogs.messages().size(), 2);

        dialogs.clear();
        tryLogin(login, QStringLiteral("张三"), QString());
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("请输入密码！")});
        QVERIFY(login.isVisible());

        dialogs.clear();
        tryLogin(login, QStringLiteral("张三"), QStringLiteral("Mi'ma 1"));
        QVERIFY(dialogs.shown().isEmpty());
        QVERIFY(login.LoginOK());
        QCOMPARE(d.CurrentUserName(), QStringLiteral("张三"));
        QCOMPARE(d.CurrentUserRights(), QStringLiteral("'修改密码',"));
        // The main window applied the rights before it is shown.
        QVERIFY(!main.isVisible());
        QVERIFY(main.action(QStringLiteral("actpassword"))->isEnabled());
    }

    void noUserChosen()
    {
        TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        TfrmLogin login(nullptr);
        login.show();
        // No saved position: the default 1 lies beyond the only user.
        auto* combo = control<QComboBox>(&login, "Combo_User");
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->currentIndex(), -1);
        control<QPushButton>(&login, "Btn_ok")->click();
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("请选择一个用户名！")});
        QVERIFY(!login.LoginOK());
        const IniFile ini(db.home().file(QStringLiteral("Config.ini")));
        QCOMPARE(ini.readInteger(QStringLiteral("login"), QStringLiteral("Username"), 99), -1);
    }

    void positionIsSavedEvenForAWrongPassword()
    {
        TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        addUser(d, QStringLiteral("李四"), hashPassword(QStringLiteral("x")));
        addUser(d, QStringLiteral("王五"), QString());
        ScriptedDialogs dialogs;
        {
            TfrmLogin login(nullptr);
            login.show();
            tryLogin(login, QStringLiteral("王五"), QStringLiteral("wrong"));
            QCOMPARE(dialogs.messages().size(), 1);
        }
        const IniFile ini(db.home().file(QStringLiteral("Config.ini")));
        QCOMPARE(ini.readInteger(QStringLiteral("login"), QStringLiteral("Username"), -9), 2);
        TfrmLogin again(nullptr);
        again.show();
        QCOMPARE(control<QComboBox>(&again, "Combo_User")->currentText(), QStringLiteral("王五"));
    }

    // The last-user position cannot be written: the user is warned once and logs in all the same.
    void unwritableSettingsDoNotBlockTheLogin()
    {
        TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        addUser(d, QStringLiteral("王五"), hashPassword(QStringLiteral("pw")));
        QVERIFY(QDir(db.home().path()).mkdir(QStringLiteral("Config.ini"))); // no file can be written there
        ScriptedDialogs dialogs;
        TfrmLogin login(nullptr);
        login.show();
        tryLogin(login, QStringLiteral("王五"), QStringLiteral("wrong"));
        QCOMPARE(dialogs.messages().size(), 2);
        QCOMPARE(dialogs.shown().first().title, QStringLiteral("警告"));
        QCOMPARE(dialogs.shown().first().icon, QMessageBox::Warning);
        QVERIFY(dialogs.messages().first().startsWith(QStringLiteral("无法记住本次选择的用户")));
        QCOMPARE(dialogs.messages().last(), QStringLiteral("密码错误，请重新输入密码！"));
        tryLogin(login, QStringLiteral("王五"), QStringLiteral("pw"));
        QCOMPARE(dialogs.messages().size(), 2); // warned once
        QVERIFY(login.LoginOK());
        QCOMPARE(d.CurrentUserName(), QStringLiteral("王五"));
    }

    void plainTextPasswordIsReplacedByAHash()
    {
        TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        addUser(d, QStringLiteral("老用户"), QStringLiteral("abc"));
        ScriptedDialogs dialogs;
        TfrmLogin login(nullptr);
        login.show();
        tryLogin(login, QStringLiteral("老用户"), QStringLiteral("ABC"));
        QCOMPARE(storedPassword(d, QStringLiteral("老用户")), QStringLiteral("abc"));
        tryLogin(login, QStringLiteral("老用户"), QStringLiteral("abc"));
        QVERIFY(login.LoginOK());
        const QString stored = storedPassword(d, QStringLiteral("老用户"));
        QVERIFY(isPasswordHash(stored));
        QVERIFY(checkPassword(stored, QStringLiteral("abc")).matches);
        QVERIFY(!checkPassword(stored, QStringLiteral("abd")).matches);
    }

    // A stored hash whose key was cut short, or lost, matches no password at all; a value that
    // only looks like a hash (no rounds) is an old plain-text password.
    void damagedHashMatchesNothing()
    {
        const QString stored = hashPassword(QStringLiteral("abc"));
        QStringList parts = stored.split(u'$');
        QCOMPARE(parts.size(), 4);
        const QString key = parts[3];
        QVERIFY(checkPassword(parts.join(u'$'), QStringLiteral("abc")).matches);
        parts[3] = key.left(key.size() / 2);
        QVERIFY(!checkPassword(parts.join(u'$'), QStringLiteral("abc")).matches);
        parts[3] = QString();
        QVERIFY(!checkPassword(parts.join(u'$'), QStringLiteral("abc")).matches);
        QVERIFY(!checkPassword(parts.join(u'$'), QString()).matches);
        parts[3] = key;
        parts[1] = QStringLiteral("0");
        const QString noRounds = parts.join(u'$');
        QVERIFY(!isPasswordHash(noRounds));
        QVERIFY(!checkPassword(noRounds, QStringLiteral("abc")).matches);
        const PasswordCheck plain = checkPassword(noRounds, noRounds);
        QVERIFY(plain.matches && plain.needsRehash);
        parts[1] = QStringLiteral("1");
        QVERIFY(isPasswordHash(parts.join(u'$')));
    }

    void adminLogsInWithAnEmptyPassword()
    {
        TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        TfrmLogin login(nullptr);
        login.show();
        tryLogin(login, QStringLiteral("Admin"), QString());
        QVERIFY(login.LoginOK());
        QVERIFY(dialogs.shown().isEmpty());
        QVERIFY(isPasswordHash(storedPassword(db.dataModule(), QStringLiteral("Admin"))));
        // ... and again with the hash in place.
        TfrmLogin second(nullptr);
        second.show();
        tryLogin(second, QStringLiteral("Admin"), QString());
        QVERIFY(second.LoginOK());
    }

    void hashesAreSaltedAndVerifiable()
    {
        const QString a = hashPassword(QStringLiteral("同一个密码"));
        const QString b = hashPassword(QStringLiteral("同一个密码"));
        QVERIFY(a != b);
        QVERIFY(checkPassword(a, QStringLiteral("同一个密码")).matches);
        QVERIFY(checkPassword(b, QStringLiteral("同一个密码")).matches);
        QVERIFY(!checkPassword(a, QString()).matches);
        QVERIFY(!checkPassword(a, QStringLiteral("同一个密码")).needsRehash);
        QVERIFY(!isPasswordHash(QStringLiteral("pbkdf2-sha256$x$y$z")));
    }

    void passwordChangeOutcomes()
    {
        TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        d.setCurrentUserName(QStringLiteral("Admin"));
        ScriptedDialogs dialogs;
        TfrmChangePass dialog;
        dialog.show();
        QCOMPARE(control<QLineEdit>(&dialog, "Edit_User")->text(), QStringLiteral("Admin"));
        QVERIFY(!control<QLineEdit>(&dialog, "Edit_User")->isEnabled());
        auto* oldPass = control<QLineEdit>(&dialog, "Edit_oldpass");
        auto* newPass = control<QLineEdit>(&dialog, "Edit_newpass");
        auto* confirm = control<QLineEdit>(&dialog, "Edit_ConfirmPass");
        auto* ok = control<QPushButton>(&dialog, "Btn_OK");

        oldPass->setText(QStringLiteral("not empty"));
        ok->click();
        QCOMPARE(dialogs.last().text, QStringLiteral("当前密码错误!"));
        QCOMPARE(dialogs.last().title, QStringLiteral("密码错误"));

        oldPass->clear();
        newPass->setText(QStringLiteral("Secret"));
        confirm->setText(QStringLiteral("secret"));
        ok->click();
        QCOMPARE(dialogs.last().text,
                 QStringLiteral("在\"验证\"框中重新输入新密码并单击\"确定\"按钮,以验证新密码."));
        QCOMPARE(dialogs.last().title, QStringLiteral("验证密码"));
        QVERIFY(dialog.isVisible());

        confirm->setText(QStringLiteral("Secret"));
        ok->click();
        QCOMPARE(dialogs.last().text, QStringLiteral("修改密码成功!"));
        QCOMPARE(dialogs.last().title, QStringLiteral("成功"));
        QCOMPARE(dialogs.last().icon, QMessageBox::Information);
        QVERIFY(!dialog.isVisible());
        QVERIFY(checkPassword(storedPassword(d, QStringLiteral("Admin")), QStringLiteral("Secret")).matches);
        QCOMPARE(dialogs.messages().size(), 3);
    }

    void aGroupsNameNeverLogsIn_data() { zu::test::addEngineRows(); }
    void aGroupsNameNeverLogsIn()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        // A user named like the delivered group, with a password and no rights.
        addUser(d, QStringLiteral("系统管理员组"), hashPassword(QStringLiteral("secret")));
        ScriptedDialogs dialogs;
        TfrmMain main;
        TfrmLogin login(&main);
        login.show();
        // The group's empty password opens nothing: the user's own password is asked for.
        tryLogin(login, QStringLiteral("系统管理员组"), QString());
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("请输入密码！")});
        QVERIFY(!login.LoginOK());

        dialogs.clear();
        tryLogin(login, QStringLiteral("系统管理员组"), QStringLiteral("secret"));
        QVERIFY(dialogs.shown().isEmpty());
        QVERIFY(login.LoginOK());
        // The user's rights, not the group's: every governed command off.
        QCOMPARE(d.CurrentUserRights(), QString());
        for (const char* action : {"actpopedom", "actCustM", "actdatabase", "actexport"})
            QVERIFY2(!main.action(QString::fromLatin1(action))->isEnabled(), action);
        QVERIFY(!main.action(QStringLiteral("N27"))->isEnabled());
        // The group row keeps its empty password; the user is known by its row.
        Query q(d.conn());
        q.open(QStringLiteral("select Password, id from T_user where UserName = ? and type = ?"),
               {QStringLiteral("系统管理员组"), QStringLiteral("权限组")});
        QCOMPARE(q.value(0).toString(), QString());
        QVERIFY(q.value(1).toString() != d.CurrentUserKey().toString());
        QVERIFY(d.CurrentUserKey().isValid());
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
