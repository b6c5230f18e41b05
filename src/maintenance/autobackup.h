#pragma once

#include "backupfiles.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace zu {

class IniFile;
class TfrmData;

// The automatic backups: "Assets_auto" + yyyy-mm-dd + extension, made at the first start of a day
// (a further one of the same day, by the connection tool, gets the time added to its name), and
// thinned out by a rotation. The user's own backups are never touched by it.

struct RotationRule
{
    int days = 7;  // every automatic backup of the most recent days on which one was made
    int weeks = 4; // before those, the newest of each of as many weeks (Monday to Sunday)
};

struct AutomaticBackupSettings
{
    bool enabled = true;
    RotationRule rule;
};

// [config] AutoBackup (0 turns it off), AutoBackupDays, AutoBackupWeeks.
AutomaticBackupSettings readAutomaticBackupSettings(const IniFile& ini);

// The day an automatic backup was made, read from its name; invalid for every other file.
QDate automaticBackupDay(const QString& name, const QString& extension);

// The automatic backups among `names` that the rotation removes (other names are ignored).
QStringList rotatedOut(const QStringList& names, const QString& extension, const RotationRule& rule);

struct AutomaticBackup
{
    QString written;       // the new backup, empty when there was one of the day already
    QStringList removed;   // rotated out
    QStringList abandoned; // partial files of interrupted backups, removed
};

// Clears abandoned partial files in `folder`, writes the automatic backup of `now`'s day through
// `write` unless `folder` holds one of that day already (with `evenIfDone` a further one beside
// it) and applies the rotation. Throws CommandError or DbError when the backup cannot be written;
// the rotation then removes nothing.
AutomaticBackup runAutomaticBackup(const QString& folder, const QDateTime& now, const QString& extension,
                                   const RotationRule& rule, const BackupWriter& write,
                                   bool evenIfDone = false);

// At a start of the program, with the embedded database and unless turned off: the automatic
// backup of the day into the backup folder, as runAutomaticBackup() does it. Otherwise only the
// partial files of interrupted backups are cleared from the backup folder.
AutomaticBackup automaticBackupAtStart(TfrmData& dataModule, const QDateTime& now);

} // namespace zu
