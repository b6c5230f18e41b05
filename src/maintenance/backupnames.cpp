#include "backupnames.h"

#include "data/errors.h"
#include "data/inifile.h"

#include <QDir>
#include <QFileInfo>

namespace zu {

namespace {

const QString kSection = QStringLiteral("config");
const QString kFolderKey = QStringLiteral("DirectoryList");

} // namespace

QString embeddedBackupStem(const QDate& day)
{
    return QStringLiteral("Assets_bak") + day.toString(QStringLiteral("yyyy-MM-dd"));
}

QString embeddedBackupName(const QDate& day, const QString& extension)
{
    return embeddedBackupStem(day) + extension;
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

} // namespace zu
