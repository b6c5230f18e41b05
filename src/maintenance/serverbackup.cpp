#include "serverbackup.h"

#include "backupnames.h"
#include "data/connection.h"
#include "data/errors.h"

#include <algorithm>
#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace zu {

QString pgDumpProgram()
{
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("pg_dump"));
    if (!onPath.isEmpty())
        return onPath;
    QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(versions.begin(), versions.end(), numeric);
    for (auto it = versions.crbegin(); it != versions.crend(); ++it) {
        const QString candidate = QStringLiteral("/usr/lib/postgresql/%1/bin/pg_dump").arg(*it);
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    }
    return {};
}

void dumpServerDatabase(const ConnectionSettings& settings, const QString& database, const QString& target,
                        const std::function<void()>& waiting)
{
    const QString program = pgDumpProgram();
    if (program.isEmpty())
        throw CommandError(QStringLiteral("找不到数据库备份程序 pg_dump"));

    const QString partial = target + QStringLiteral(".partial");
    QStringList arguments{QStringLiteral("--format=custom"), QStringLiteral("--no-password"),
                          QStringLiteral("--file=") + partial};
    if (!settings.host.isEmpty())
        arguments << QStringLiteral("--host=") + settings.host;
    if (settings.port > 0)
        arguments << QStringLiteral("--port=") + QString::number(settings.port);
    if (!settings.user.isEmpty())
        arguments << QStringLiteral("--username=") + settings.user;
    arguments << QStringLiteral("--dbname=") + database;

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PGPASSWORD"), settings.password);
    environment.insert(QStringLiteral("PGCLIENTENCODING"), QStringLiteral("UTF8"));
    QProcess dump;
    dump.setProcessEnvironment(environment);
    dump.setProcessChannelMode(QProcess::SeparateChannels);
    dump.start(program, arguments);
    if (!dump.waitForStarted())
        throw CommandError(QStringLiteral("无法启动 %1：%2").arg(program, dump.errorString()));
    while (!dump.waitForFinished(50)) {
        if (dump.state() == QProcess::NotRunning)
            break;
        if (waiting)
            waiting();
    }
    const QString errors = QString::fromUtf8(dump.readAllStandardError()).trimmed();
    if (dump.exitStatus() != QProcess::NormalExit || dump.exitCode() != 0) {
        QFile::remove(partial);
        throw CommandError(errors.isEmpty() ? QStringLiteral("pg_dump 异常结束") : errors);
    }
    putBackupInPlace(partial, target);
}

} // namespace zu
