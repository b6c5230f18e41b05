#include "backupnames.h"

#include "data/errors.h"
#include "data/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zu {

namespace {

const QString kSection = QStringLiteral("config");
const QString kFolderKey = QStringLiteral("DirectoryList");

} // namespace

QString embeddedBackupName(const QDate& day, const QString& extension)
{
    return QStringLiteral("Assets_bak") + day.toString(QStringLiteral("yyyy-MM-dd")) + extension;
}

QString serverBackupName(const QString& database, const QDate& day, const QString& extension)
{
    return database + QLatin1Char('-') + day.toString(QStringLiteral("yyyy-MM-dd")) + extension;
}

QString safetyCopyName(const QString& what, const QDateTime& when, const QString& extension)
{
    return what + when.toString(QStringLiteral("yyyy-MM-dd_HHmmss")) + extension;
}

QString backupFolder(const IniFile& ini, const QString& homeDir)
{
    QString folder = ini.readString(kSection, kFolderKey).trimmed();
    if (folder.isEmpty())
        folder = QDir(homeDir).filePath(QStringLiteral("Backup"));
    folder = QDir::fromNativeSeparators(folder);
    if (QDir::isRelativePath(folder))
        folder = QDir(homeDir).filePath(folder);
    folder = QDir::cleanPath(folder);
    if (!QDir().mkpath(folder))
        throw CommandError(QStringLiteral("无法创建备份文件夹：%1").arg(folder));
    return folder;
}

void rememberBackupFolder(IniFile& ini, const QString& folder)
{
    ini.writeString(kSection, kFolderKey, QDir::cleanPath(folder));
}

QStringList backupFiles(const QString& folder, const QString& extension)
{
    QDir dir(folder);
    dir.setNameFilters({QLatin1Char('*') + extension});
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}

void putBackupInPlace(const QString& partial, const QString& target)
{
    if (QFileInfo::exists(target) && !QFile::remove(target)) {
        QFile::remove(partial);
        throw CommandError(QStringLiteral("无法替换文件 %1").arg(target));
    }
    if (!QFile::rename(partial, target)) {
        QFile::remove(partial);
        throw CommandError(QStringLiteral("无法写入文件 %1").arg(target));
    }
}

} // namespace zu
