#include "data/errors.h"
#include "data/inifile.h"
#include "support/filesizelimit.h"
#include "support/testdatabase.h"

#include <QFile>
#include <QtTest>

using namespace zu;
using zu::test::TestHome;

class TestIniFile final : public QObject
{
    Q_OBJECT
private slots:
    void readsIgnoringLetterCase()
    {
        TestHome home;
        home.write(QStringLiteral("Config.ini"), "[DBConn]\r\nserver = db1 \r\n[Config]\r\nIsInternet=1\r\n");
        const IniFile ini(home.file(QStringLiteral("Config.ini")));
        QCOMPARE(ini.readString(QStringLiteral("dbconn"), QStringLiteral("SERVER")), QStringLiteral("db1"));
        QCOMPARE(ini.readInteger(QStringLiteral("config"), QStringLiteral("isinternet"), -1), 1);
    }

    void defaultsWhenMissingOrUnreadable()
    {
        TestHome home;
        home.write(QStringLiteral("Config.ini"), "[login]\nUsername=abc\n");
        const IniFile ini(home.file(QStringLiteral("Config.ini")));
        QCOMPARE(ini.readInteger(QStringLiteral("login"), QStringLiteral("Username"), 1), 1);
        QCOMPARE(ini.readString(QStringLiteral("DBConn"), QStringLiteral("Server")), QString());
        const IniFile absent(home.file(QStringLiteral("nothing.ini")));
        QVERIFY(!absent.exists());
        QCOMPARE(absent.readInteger(QStringLiteral("config"), QStringLiteral("IsInternet"), -1), -1);
    }

    void keyInAnotherSectionIsNotTaken()
    {
        TestHome home;
        home.write(QStringLiteral("Config.ini"), "[a]\nServer=x\n[DBConn]\nDatabase=y\n");
        const IniFile ini(home.file(QStringLiteral("Config.ini")));
        QCOMPARE(ini.readString(QStringLiteral("DBConn"), QStringLiteral("Server")), QString());
    }

    // The last line counts whether or not a line break ends it.
    void lastLineWithoutLineBreak()
    {
        TestHome home;
        home.write(QStringLiteral("Config.ini"), "[DBConn]\r\nServer=db1");
        IniFile ini(home.file(QStringLiteral("Config.ini")));
        QCOMPARE(ini.readString(QStringLiteral("DBConn"), QStringLiteral("Server")), QStringLiteral("db1"));
        ini.writeString(QStringLiteral("DBConn"), QStringLiteral("Database"), QStringLiteral("shop"));
        const IniFile again(home.file(QStringLiteral("Config.ini")));
        QCOMPARE(again.readString(QStringLiteral("DBConn"), QStringLiteral("Server")), QStringLiteral("db1"));
        QCOMPARE(again.readString(QStringLiteral("DBConn"), QStringLiteral("Database")),
                 QStringLiteral("shop"));
    }

    // A line with only one of the brackets does not begin a section: the keys after it stay in
    // the section before.
    void halfBracketedLineIsNoSection()
    {
        TestHome home;
        home.write(QStringLiteral("Config.ini"),
                   "[DBConn]\nServer=a\n[broken\nDatabase=b\n broken] \nUser=c\n[x]\n");
        const IniFile ini(home.file(QStringLiteral("Config.ini")));
        QCOMPARE(ini.readString(QStringLiteral("DBConn"), QStringLiteral("Database")), QStringLiteral("b"));
        QCOMPARE(ini.readString(QStringLiteral("DBConn"), QStringLiteral("User")), QStringLiteral("c"));
        QCOMPARE(ini.readString(QStringLiteral("broke"), QStringLiteral("Database")), QString());
        QCOMPARE(ini.readString(QStringLiteral("x"), QStringLiteral("User")), QString());
    }

    void writeGoesToFileAtOnceAndKeepsOtherContent()
    {
        TestHome home;
        home.write(QStringLiteral("Config.ini"),
                   "; settings of the shop\n[DBConn]\nServer=old\nDatabase=shop\n\n[other]\nkey=value\n");
        IniFile ini(home.file(QStringLiteral("Config.ini")));
        ini.writeString(QStringLiteral("dbconn"), QStringLiteral("server"), QStringLiteral("新服务器"));
        ini.writeInteger(QStringLiteral("login"), QStringLiteral("Username"), 3);
        ini.writeString(QStringLiteral("DBConn"), QStringLiteral("User"), QStringLiteral("sa"));

        const QString text = QString::fromUtf8(home.read(QStringLiteral("Config.ini")));
        QVERIFY(text.startsWith(QStringLiteral("; settings of the shop\n")));
        QVERIFY2(text.contains(QStringLiteral("Server=新服务器\nDatabase=shop\nUser=sa\n")),
                 qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("[other]\nkey=value\n")));
        QVERIFY(text.contains(QStringLiteral("[login]\nUsername=3")));
        QCOMPARE(text.count(QStringLiteral("[DBConn]")), 1);

        const IniFile again(home.file(QStringLiteral("Config.ini")));
        QCOMPARE(again.readString(QStringLiteral("DBConn"), QStringLiteral("Server")),
                 QStringLiteral("新服务器"));
        QCOMPARE(again.readInteger(QStringLiteral("LOGIN"), QStringLiteral("username"), 1), 3);
    }

    void firstWriteCreatesTheFile()
    {
        TestHome home;
        IniFile ini(home.file(QStringLiteral("Config.ini")));
        QVERIFY(!ini.exists());
        ini.writeInteger(QStringLiteral("login"), QStringLiteral("Username"), 0);
        QVERIFY(ini.exists());
        QCOMPARE(QString::fromUtf8(home.read(QStringLiteral("Config.ini"))),
                 QStringLiteral("[login]\nUsername=0\n"));
    }

    // Another program changed the file after it was read: a write changes only its own key and
    // keeps the other program's change.
    void writeKeepsChangesMadeMeanwhile()
    {
        TestHome home;
        home.write(QStringLiteral("Config.ini"), "[DBConn]\nServer=old\n[login]\nUsername=1\n");
        IniFile program(home.file(QStringLiteral("Config.ini")));
        IniFile tool(home.file(QStringLiteral("Config.ini")));
        tool.writeString(QStringLiteral("DBConn"), QStringLiteral("Server"), QStringLiteral("new"));
        tool.writeString(QStringLiteral("DBConn"), QStringLiteral("Password"), QStringLiteral("pw"));
        program.writeInteger(QStringLiteral("login"), QStringLiteral("Username"), 4);
        const IniFile result(home.file(QStringLiteral("Config.ini")));
        QCOMPARE(result.readString(QStringLiteral("DBConn"), QStringLiteral("Server")),
                 QStringLiteral("new"));
        QCOMPARE(result.readString(QStringLiteral("DBConn"), QStringLiteral("Password")),
                 QStringLiteral("pw"));
        QCOMPARE(result.readInteger(QStringLiteral("login"), QStringLiteral("Username"), 0), 4);
        // The program's own reads see the file as written.
        QCOMPARE(program.readString(QStringLiteral("DBConn"), QStringLiteral("Server")),
                 QStringLiteral("new"));
    }

    void unwritableFileIsReported()
    {
        TestHome home;
        IniFile ini(home.file(QStringLiteral("missing-folder/Config.ini")));
        QVERIFY_THROWS_EXCEPTION(
            CommandError, ini.writeString(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")));
    }

    // A disk that fills while the settings are saved leaves the file as it was.
    void fullDiskKeepsTheEarlierFile()
    {
        TestHome home;
        const QString path = home.file(QStringLiteral("Config.ini"));
        IniFile ini(path);
        ini.writeString(QStringLiteral("DBConn"), QStringLiteral("Server"), QStringLiteral("earlier"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        QVERIFY(before.size() > 16);
        {
            const zu::test::FileSizeLimit full(16);
            QVERIFY(full.isSet());
            try {
                ini.writeString(QStringLiteral("DBConn"), QStringLiteral("Server"), QStringLiteral("later"));
                QFAIL("a settings file cut short was reported as saved");
            } catch (const CommandError& e) {
                QCOMPARE(e.text(), QStringLiteral("无法写入配置文件 %1：磁盘可能已满").arg(path));
            }
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(IniFile(path).readString(QStringLiteral("DBConn"), QStringLiteral("Server")),
                 QStringLiteral("earlier"));
    }

    void onlyItsOwnerMayReadIt()
    {
        const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ReadOther | QFileDevice::WriteOther;
        TestHome home;
        const QString path = home.file(QStringLiteral("Config.ini"));
        // Created by a first write: owner only.
        IniFile ini(path);
        ini.writeString(QStringLiteral("DBConn"), QStringLiteral("Password"), QStringLiteral("geheim"));
        QCOMPARE(QFile::permissions(path) & (ownerOnly | others), ownerOnly);
        // A file others could read is narrowed when it is opened, and stays so after a write.
        QVERIFY(QFile::setPermissions(path, ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        IniFile opened(path);
        QCOMPARE(QFile::permissions(path) & (ownerOnly | others), ownerOnly);
        QCOMPARE(opened.readString(QStringLiteral("DBConn"), QStringLiteral("Password")),
                 QStringLiteral("geheim"));
        QVERIFY(QFile::setPermissions(path, ownerOnly | QFileDevice::ReadOther));
        ini.writeInteger(QStringLiteral("login"), QStringLiteral("Username"), 2);
        QCOMPARE(QFile::permissions(path) & (ownerOnly | others), ownerOnly);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
