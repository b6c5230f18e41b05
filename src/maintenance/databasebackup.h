#pragma once

#include "backupfiles.h"

#include <functional>
#include <QDateTime>
#include <QString>

namespace zu {

class Connection;
class TfrmData;

// Backup and restore of whichever database the program is connected to.

// Writes a backup of the database `connection` reaches; `waiting` keeps a window painting
// while a server backup runs.
BackupWriter databaseBackupWriter(Connection& connection, const std::function<void()>& waiting = {});

// Why `file` cannot be restored into the database `connection` reaches; empty when it can.
QString restoreFault(const Connection& connection, const QString& file);

struct RestoreOutcome
{
    bool restored = false;
    QString safetyCopy; // the data as it was before, kept in the backup folder
    QString failure;    // why nothing was restored
};

// Restores the backup `file` into the data module's database after a safety copy into
// `safetyFolder`. The shared lists are closed meanwhile and opened again afterwards, on the
// restored data, a backup of an earlier release upgraded to this release's schema. Throws DbError
// when the connection cannot be opened again or the restored data cannot be upgraded.
RestoreOutcome restoreDatabase(TfrmData& dataModule, const QString& file, const QString& safetyFolder,
                               const QDateTime& now, const std::function<void()>& waiting = {});

} // namespace zu
