#pragma once

#include "backupfiles.h"

#include <functional>
#include <QDateTime>
#include <QString>

namespace zu {

class Connection;

// Backup and restore of the embedded database file.

// Writes a consistent copy of the open database to the path it is given (VACUUM INTO): every
// committed row, none of a transaction still open elsewhere, whatever is being written meanwhile.
BackupWriter embeddedBackupWriter(Connection& connection);

// A backup of the open database at `target`; a file of that name is replaced only once the copy
// is complete. Throws DbError or CommandError; the target is then left as it was.
void copyEmbeddedDatabase(Connection& connection, const QString& target);

// Why `file` cannot replace the database, empty when it can: it must open as a database, pass
// the integrity check and hold every table of this program.
QString embeddedDatabaseFault(const QString& file);

// Copies the backup `source` into the database file `live` through SQLite itself, while other
// programs may have the file open: from the moment the copy takes the database's write lock, a
// safety copy of the data as it is then goes into `safetyFolder`, and every other program's
// write waits until the restored data is in place (one that waits too long fails and is told
// that the database is being restored). Nothing saved is lost: a write before is in the safety
// copy, a write after goes into the restored data. `whileLocked` runs while the lock is held.
// Returns the safety copy's path. Throws CommandError or DbError; `live` is then unchanged.
QString restoreEmbeddedDatabase(const QString& live, const QString& source, const QString& safetyFolder,
                                const QDateTime& now, const std::function<void()>& whileLocked = {});

} // namespace zu
