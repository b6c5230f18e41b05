#include "conntoolcore.h"

#include "conntoolimport.h"

#include "data/apphome.h"
#include "data/errors.h"
#include "data/inifile.h"
#include "data/schemainstaller.h"
#include "maintenance/autobackup.h"
#include "maintenance/backupnames.h"
#include "maintenance/databasebackup.h"
#include "maintenance/serverbackup.h"
#include "report/shippedtemplates.h"

#include <cstdio>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zu::conntool {

namespace {

Outcome failure(const QString& text)
{
    return {false, text};
}

Outcome success(const QString& text)
{
    return {true, text};
}

QString markerPath(const QString& home)
{
    return homeFile(home, QLatin1String(kServerMarkerFile));
}

template <typename F> Outcome guardedOutcome(F&& body)
{
    try {
        return body();
    } catch (const DbError& e) {
        return failure(e.text());
    } catch (const CommandError& e) {
        return failure(e.text());
    }
}

} // namespace

QString Target::describe() const
{
    if (!server)
        return QStringLiteral("内置数据库 %1").arg(settings.filePath);
    return QStringLiteral("数据库服务器 %1%2，数据库 %3，用户 %4")
        .arg(settings.host, settings.port > 0 ? QStringLiteral(":%1").arg(settings.port) : QString(),
             settings.database, settings.user);
}

Target currentTarget(const QString& home)
{
    Target t;
    t.server = QFileInfo::exists(markerPath(home));
    if (t.server) {
        const IniFile ini(homeFile(home, QLatin1String(kConfigFile)));
        t.settings.host = ini.readString(QStringLiteral("DBConn"), QStringLiteral("Server"));
        ConnectionSettings::splitServer(t.settings.host, &t.settings.host, &t.settings.port);
        t.settings.database = ini.readString(QStringLiteral("DBConn"), QStringLiteral("Database"));
        t.settings.user = ini.readString(QStringLiteral("DBConn"), QStringLiteral("User"));
        t.settings.password = ini.readString(QStringLiteral("DBConn"), QStringLiteral("Password"));
    } else {
        t.settings.filePath = homeFile(home, QLatin1String(kEmbeddedDatabaseFile));
    }
    return t;
}

Outcome initEmbedded(const QString& home)
{
    const QString file = homeFile(home, QLatin1String(kEmbeddedDatabaseFile));
    Outcome outcome;
    if (QFileInfo::exists(file))
        outcome = success(QStringLiteral("数据库已存在，未作任何改动：%1").arg(file));
    else
        outcome = guardedOutcome([&] {
            createEmbeddedDatabase(file);
            return success(QStringLiteral("已创建数据库：%1").arg(file));
        });
    if (!outcome.ok)
        return outcome;
    // The report templates, where they are missing; a template of the user's stays as it is.
    const QString reports = homeFile(home, QStringLiteral("Reports"));
    QStringList written;
    QString error;
    if (!installShippedTemplates(reports, &written, &error))
        return failure(outcome.message + QLatin1Char('\n') + error);
    if (!written.isEmpty())
        outcome.message +=
            QStringLiteral("\n已放入报表模板（%1）：%2").arg(reports, written.join(QStringLiteral("、")));
    return outcome;
}

Outcome configureServer(const QString& home, const QString& server, const QString& database,
                        const QString& user, const QString& password, bool create)
{
    if (server.trimmed().isEmpty() || database.trimmed().isEmpty())
        return failure(QStringLiteral("请给出服务器和数据库名称"));
    return guardedOutcome([&] {
        QString note;
        if (create) {
            ConnectionSettings s;
            ConnectionSettings::splitServer(server, &s.host, &s.port);
            s.database = database;
            s.user = user;
            s.password = password;
            Connection c(SqlDialect::postgres(), s);
            if (!c.open())
                return failure(QStringLiteral("无法连接数据库服务器：%1").arg(c.lastError()));
            SchemaInstaller installer(c);
            if (installer.isEmpty()) {
                installer.install();
                note = QStringLiteral("已在数据库 %1 中创建数据表和初始数据。").arg(database);
            } else if (installer.holdsData()) {
                note = QStringLiteral("数据库 %1 中已有数据，未作任何改动。").arg(database);
            } else {
                note = QStringLiteral("数据库 %1 中已有本系统的数据表，未作任何改动。").arg(database);
            }
        }
        IniFile ini(homeFile(home, QLatin1String(kConfigFile)));
        ini.writeString(QStringLiteral("DBConn"), QStringLiteral("Server"), server.trimmed());
        ini.writeString(QStringLiteral("DBConn"), QStringLiteral("Database"), database.trimmed());
        ini.writeString(QStringLiteral("DBConn"), QStringLiteral("User"), user);
        ini.writeString(QStringLiteral("DBConn"), QStringLiteral("Password"), password);
        QFile marker(markerPath(home));
        if (!marker.exists() && !marker.open(QIODevice::WriteOnly))
            return failure(QStringLiteral("无法创建 %1：%2").arg(marker.fileName(), marker.errorString()));
        return success(
            (note.isEmpty() ? QString() : note + QLatin1Char('\n')) +
            QStringLiteral("程序下次启动时将连接数据库服务器 %1 上的数据库 %2。").arg(server, database));
    });
}

Outcome useEmbedded(const QString& home)
{
    const QString marker = markerPath(home);
    if (QFileInfo::exists(marker) && !QFile::remove(marker))
        return failure(QStringLiteral("无法删除 %1").arg(marker));
    return success(QStringLiteral("程序下次启动时将使用内置数据库 %1。")
                       .arg(homeFile(home, QLatin1String(kEmbeddedDatabaseFile))));
}

Outcome check(const QString& home)
{
    const Target t = currentTarget(home);
    if (t.server && (t.settings.host.isEmpty() || t.settings.database.isEmpty()))
        return failure(QStringLiteral(
            "已选择数据库服务器 (sql.dat)，但 Config.ini 的 [DBConn] 中没有服务器或数据库名称"));
    return guardedOutcome([&] {
        Connection c(t.server ? SqlDialect::postgres() : SqlDialect::sqlite(), t.settings);
        if (!c.open())
            return failure(QStringLiteral("无法连接%1：%2").arg(t.describe(), c.lastError()));
        SchemaInstaller installer(c);
        if (installer.isEmpty())
            return failure(QStringLiteral("%1 中没有本系统的数据表（可用 zu-conntool server --create 创建）")
                               .arg(t.describe()));
        const int version = installer.version();
        if (version < SchemaInstaller::kCurrentVersion)
            return failure(QStringLiteral("%1 的数据库版本为 %2，需要升级（zu-conntool upgrade）")
                               .arg(t.describe())
                               .arg(version));
        if (version > SchemaInstaller::kCurrentVersion)
            return failure(QStringLiteral("%1 的数据库版本 %2 比本程序新").arg(t.describe()).arg(version));
        return success(QStringLiteral("连接正常：%1，数据库版本 %2").arg(t.describe()).arg(version));
    });
}

Outcome upgrade(const QString& home)
{
    const Target t = currentTarget(home);
    return guardedOutcome([&] {
        Connection c(t.server ? SqlDialect::postgres() : SqlDialect::sqlite(), t.settings);
        if (!c.open())
            return failure(QStringLiteral("无法连接%1：%2").arg(t.describe(), c.lastError()));
        const int steps = SchemaInstaller(c).upgrade();
        if (steps == 0)
            return success(
                QStringLiteral("数据库已是最新版本 (%1)，无需升级").arg(SchemaInstaller::kCurrentVersion));
        return success(QStringLiteral("数据库已升级到版本 %1").arg(SchemaInstaller::kCurrentVersion));
    });
}

Outcome backup(const QString& home, const QString& to, const QDateTime& now)
{
    const Target t = currentTarget(home);
    return guardedOutcome([&] {
        const SqlDialect& dialect = t.server ? SqlDialect::postgres() : SqlDialect::sqlite();
        Connection c(dialect, t.settings);
        // pg_dump connects by itself and says what is wrong in its own words.
        if (!t.server && !c.open())
            return failure(QStringLiteral("无法连接%1：%2").arg(t.describe(), c.lastError()));
        const BackupWriter write =
            t.server ? serverBackupWriter(t.settings, t.settings.database) : databaseBackupWriter(c);
        if (!to.isEmpty()) {
            const QString target = QFileInfo(to).absoluteFilePath();
            writeBackupReplacing(target, write);
            return success(QStringLiteral("备份已写入：%1").arg(QDir::toNativeSeparators(target)));
        }
        const IniFile ini(homeFile(home, QLatin1String(kConfigFile)));
        const QString folder = backupFolder(ini, home);
        const AutomaticBackup done = runAutomaticBackup(folder, now, dialect.backupExtension,
                                                        readAutomaticBackupSettings(ini).rule, write, true);
        QString message = QStringLiteral("备份已写入：%1").arg(QDir::toNativeSeparators(done.written));
        if (!done.removed.isEmpty())
            message += QStringLiteral("\n按保留规则删除了较早的自动备份：") +
                       done.removed.join(QStringLiteral("、"));
        if (!done.abandoned.isEmpty())
            message += QStringLiteral("\n删除了中断的备份留下的临时文件：") +
                       done.abandoned.join(QStringLiteral("、"));
        return success(message);
    });
}

QString usage()
{
    return QStringLiteral(
        "用法：\n"
        "  zu-conntool                      打开连接配置窗口\n"
        "  zu-conntool init [--home DIR]    创建内置数据库 Database/Service.db 和报表模板文件夹 Reports\n"
        "  zu-conntool server --server HOST[:PORT] --database DB --user U --password P [--create] [--home "
        "DIR]\n"
        "                                   使用数据库服务器（写入 Config.ini 和 sql.dat）\n"
        "  zu-conntool embedded [--home DIR]  改回使用内置数据库\n"
        "  zu-conntool check [--home DIR]   按程序的方式连接并报告问题\n"
        "  zu-conntool upgrade [--home DIR] 将数据库升级到本版本\n"
        "  zu-conntool backup [--to FILE] [--home DIR]\n"
        "                                   备份数据库（内置数据库或数据库服务器，后者用 "
        "pg_dump），供计划任务使用；\n"
        "                                   不带 --to "
        "时作为自动备份写入备份文件夹并按保留规则删除较早的自动备份；\n"
        "                                   成功时输出备份文件的位置，失败时输出原因并以非零退出码结束\n"
        "  zu-conntool import FILE [--sheet N] [--dry-run] [--user NAME] [--home DIR]\n"
        "                                   从电子表格文件导入客户，配对与规则同“导入客户信息”窗口；\n"
        "                                   --sheet N 读第 N 个工作表（默认：保存时显示的工作表），\n"
        "                                   --dry-run 只检查不保存，--user 为制单人（默认：系统登录名）；\n"
        "                                   退出码 0 全部导入，1 有未导入的行，2 "
        "文件无法读取或数据库无法连接\n");
}

int runCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption home(QStringLiteral("home"), QStringLiteral("程序文件夹"),
                                  QStringLiteral("DIR"));
    const QCommandLineOption server(QStringLiteral("server"), QStringLiteral("服务器"),
                                    QStringLiteral("HOST"));
    const QCommandLineOption database(QStringLiteral("database"), QStringLiteral("数据库"),
                                      QStringLiteral("DB"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("用户"), QStringLiteral("U"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("密码"),
                                      QStringLiteral("P"));
    const QCommandLineOption create(QStringLiteral("create"), QStringLiteral("创建数据表"));
    const QCommandLineOption sheet(QStringLiteral("sheet"), QStringLiteral("工作表"), QStringLiteral("N"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), QStringLiteral("只检查不保存"));
    const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("备份文件"), QStringLiteral("FILE"));
    parser.addOptions({home, server, database, user, password, create, sheet, dryRun, to});
    parser.addPositionalArgument(
        QStringLiteral("command"),
        QStringLiteral("init | server | embedded | check | upgrade | backup | import"));

    auto print = [](FILE* stream, const QString& text) {
        std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
    };
    const bool importing = parser.parse(QStringList{QStringLiteral("zu-conntool")} + arguments) &&
                           parser.positionalArguments().value(0) == QLatin1String("import");
    if (!parser.parse(QStringList{QStringLiteral("zu-conntool")} + arguments) ||
        parser.positionalArguments().size() != (importing ? 2 : 1)) {
        print(stderr,
              parser.errorText().isEmpty() ? usage() : parser.errorText() + QLatin1Char('\n') + usage());
        return 2;
    }
    QStringList homeArgs{QStringLiteral("zu-conntool")};
    if (parser.isSet(home))
        homeArgs << QStringLiteral("--home") << parser.value(home);
    const QString homeDir = resolveHomeDir(homeArgs);
    const QString command = parser.positionalArguments().constFirst();
    if (importing) {
        bool sheetOk = true;
        const int sheetNumber = parser.isSet(sheet) ? parser.value(sheet).toInt(&sheetOk) : 0;
        if (!sheetOk || (parser.isSet(sheet) && sheetNumber < 1)) {
            print(stderr, QStringLiteral("--sheet 需要一个从 1 开始的工作表序号\n") + usage());
            return NothingDone;
        }
        QString userName = parser.value(user);
        if (userName.isEmpty())
            userName = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME", QDir::home().dirName()));
        return importCustomers({.home = homeDir,
                                .file = parser.positionalArguments().at(1),
                                .sheet = sheetNumber - 1,
                                .dryRun = parser.isSet(dryRun),
                                .userName = userName},
                               stdout, stderr);
    }

    Outcome outcome;
    if (command == QLatin1String("init"))
        outcome = initEmbedded(homeDir);
    else if (command == QLatin1String("server"))
        outcome = configureServer(homeDir, parser.value(server), parser.value(database), parser.value(user),
                                  parser.value(password), parser.isSet(create));
    else if (command == QLatin1String("embedded"))
        outcome = useEmbedded(homeDir);
    else if (command == QLatin1String("check"))
        outcome = check(homeDir);
    else if (command == QLatin1String("upgrade"))
        outcome = upgrade(homeDir);
    else if (command == QLatin1String("backup"))
        outcome = backup(homeDir, parser.value(to), QDateTime::currentDateTime());
    else {
        print(stderr, QStringLiteral("未知的命令：%1\n").arg(command) + usage());
        return 2;
    }
    print(outcome.ok ? stdout : stderr, outcome.message);
    return outcome.ok ? 0 : 1;
}

} // namespace zu::conntool
