#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace zu {

class IniFile;

// Names and the folder of backup files.

// "Assets_bak" + yyyy-mm-dd + extension: the backup of the embedded database of that day.
QString embeddedBackupName(const QDate& day, const QString& extension);
// The same without the extension: the stem that a second backup of the day extends.
QString embeddedBackupStem(const QDate& day);
// database + "-" + yyyy-mm-dd + extension: the proposed name of a server backup.
QString serverBackupName(const QString& database, const QDate& day, const QString& extension);
// A copy the program makes on its own before it replaces or clears data: `what` + date and
// time, so that no two copies share a name and none replaces a backup the user made.
QString safetyCopyName(const QString& what, const QDateTime& when, const QString& extension);

inline constexpr const char* kBeforeRestore = "Assets_before_restore_";
inline constexpr const char* kAutomaticBackup = "Assets_auto";
inline constexpr const char* kBeforeClearing = "Assets_before_clearing_";

// The backup folder: [config] DirectoryList when set, else Backup/ in the program's folder.
// Created when it does not exist (CommandError when it cannot be).
QString backupFolder(const IniFile& ini, const QString& homeDir);
// Remembers a folder the user picked as the backup folder.
void rememberBackupFolder(IniFile& ini, const QString& folder);

} // namespace zu
