#include "serverbackup.h"

#include "backupnames.h"
#include "data/connection.h"
#include "data/errors.h"
#include "data/schemainstaller.h"

#include <algorithm>
#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>

namespace zu {

namespace {

QStringList connectionArguments(const ConnectionSettings& settings, const QString& database)
{
    QStringList arguments{QStringLiteral("--no-password")};
    if (!settings.host.isEmpty())
        arguments << QStringLiteral("--host=") + settings.host;
    if (settings.port > 0)
        arguments << QStringLiteral("--port=") + QString::number(settings.port);
    if (!settings.user.isEmpty())
        arguments << QStringLiteral("--username=") + settings.user;
    arguments << QStringLiteral("--dbname=") + database;
    return arguments;
}

struct ToolResult
{
    bool ok = false;
    QString output;
    QString errors;
};

// Runs a client tool to its end, with the password of `settings` when given.
ToolResult runTool(const QString& name, const QStringList& arguments, const ConnectionSettings* settings,
                   const std::function<void()>& waiting)
{
    const QString program = pgClientProgram(name);
    if (program.isEmpty())
        throw CommandError(QStringLiteral("找不到数据库工具 %1（postgresql-client）").arg(name));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (settings)
        environment.insert(QStringLiteral("PGPASSWORD"), settings->password);
    environment.insert(QStringLiteral("PGCLIENTENCODING"), QStringLiteral("UTF8"));
    // A workstation in the middle of a transaction does not keep the restore waiting for ever.
    environment.insert(QStringLiteral("PGOPTIONS"), QStringLiteral("-c lock_timeout=60000"));
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.setProcessChannelMode(QProcess::SeparateChannels);
    tool.start(program, arguments);
    if (!tool.waitForStarted())
        throw CommandError(QStringLiteral("无法启动 %1：%2").arg(program, tool.errorString()));
    while (!tool.waitForFinished(50)) {
        if (tool.state() == QProcess::NotRunning)
            break;
        if (waiting)
            waiting();
    }
    ToolResult r;
    r.output = QString::fromUtf8(tool.readAllStandardOutput());
    r.errors = QString::fromUtf8(tool.readAllStandardError()).trimmed();
    r.ok = tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    if (!r.ok && r.errors.isEmpty())
        r.errors = QStringLiteral("%1 异常结束").arg(name);
    return r;
}

} // namespace

QString pgClientProgram(const QString& name)
{
    const QString onPath = QStandardPaths::findExecutable(name);
    if (!onPath.isEmpty())
        return onPath;
    QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(versions.begin(), versions.end(), numeric);
    for (auto it = versions.crbegin(); it != versions.crend(); ++it) {
        const QString candidate = QStringLiteral("/usr/lib/postgresql/%1/bin/%2").arg(*it, name);
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    }
    return {};
}

BackupWriter serverBackupWriter(const ConnectionSettings& settings, const QString& database,
                                const std::function<void()>& waiting)
{
    return [settings, database, waiting](const QString& path) {
        const ToolResult r =
            runTool(QStringLiteral("pg_dump"),
                    QStringList{QStringLiteral("--format=custom"), QStringLiteral("--file=") + path} +
                        connectionArguments(settings, database),
                    &settings, waiting);
        if (!r.ok)
            throw CommandError(r.errors);
    };
}

void dumpServerDatabase(const ConnectionSettings& settings, const QString& database, const QString& target,
                        const std::function<void()>& waiting)
{
    writeBackupReplacing(target, serverBackupWriter(settings, database, waiting));
}

QString serverBackupFault(const QString& file)
{
    if (!QFileInfo(file).isFile())
        return QStringLiteral("文件不存在：%1").arg(file);
    const ToolResult r = runTool(QStringLiteral("pg_restore"), {QStringLiteral("--list"), file}, nullptr, {});
    if (!r.ok)
        return QStringLiteral("不是数据库备份文件：") + r.errors;
    QSet<QString> tables;
    for (const QString& line : r.output.split(QLatin1Char('\n'))) {
        // "215; 0 16390 TABLE DATA public t_cust owner"
        const int at = line.indexOf(QLatin1String(" TABLE DATA "));
        if (at < 0 || line.startsWith(QLatin1Char(';')))
            continue;
        const QStringList words = line.mid(at + 12).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.size() >= 2)
            tables.insert(words.at(1).toLower());
    }
    QStringList missing;
    for (const QString& table : SchemaInstaller::tableNames())
        if (!tables.contains(table.toLower()))
            missing << table;
    if (!missing.isEmpty())
        return QStringLiteral("不是本系统的数据库备份，缺少数据表：") + missing.join(QStringLiteral("、"));
    return {};
}

QString restoreServerDatabase(const ConnectionSettings& settings, const QString& database,
                              const QString& file, const QString& safetyFolder, const QDateTime& now,
                              const std::function<void()>& waiting)
{
    if (const QString fault = serverBackupFault(file); !fault.isEmpty())
        throw CommandError(fault);
    QString safety;
    try {
        safety = writeNewBackup(safetyFolder, safetyCopyName(QLatin1String(kBeforeRestore), now, QString()),
                                now, QStringLiteral(".bak"), serverBackupWriter(settings, database, waiting));
    } catch (const CommandError& e) {
        throw CommandError(QStringLiteral("无法保存当前数据的安全备份：") + e.text());
    }
    const ToolResult r =
        runTool(QStringLiteral("pg_restore"),
                QStringList{QStringLiteral("--clean"), QStringLiteral("--if-exists"),
                            QStringLiteral("--no-owner"), QStringLiteral("--no-privileges"),
                            QStringLiteral("--single-transaction"), QStringLiteral("--exit-on-error")} +
                    connectionArguments(settings, database) + QStringList{file},
                &settings, waiting);
    if (!r.ok)
        throw CommandError(r.errors);
    return safety;
}

} // namespace zu
