#pragma once

#include "backupfiles.h"

#include <functional>
#include <QDateTime>
#include <QString>

namespace zu {

struct ConnectionSettings;

// Backup of the server database with pg_dump in its custom format, restore with pg_restore.

// A program of the server's client tools (pg_dump, pg_restore) on the search path, else the
// newest one of the server packages; empty when there is none.
QString pgClientProgram(const QString& name);

// Writes a pg_dump of `database` on the server that `settings` name to the path it is given.
// `waiting` is called about every 50 ms while pg_dump runs (the window keeps painting). Throws
// CommandError with pg_dump's own text.
BackupWriter serverBackupWriter(const ConnectionSettings& settings, const QString& database,
                                const std::function<void()>& waiting = {});

// Dumps into `target`; a file of that name is replaced only by a complete dump.
void dumpServerDatabase(const ConnectionSettings& settings, const QString& database, const QString& target,
                        const std::function<void()>& waiting = {});

// Why `file` cannot be restored into the server database, empty when it can: it must be a
// pg_dump archive holding the data of every table of this program.
QString serverBackupFault(const QString& file);

// Restores `file` into `database`: first a safety dump of the data as it is into `safetyFolder`,
// then pg_restore replaces the program's tables in one transaction (a failure leaves the
// database as it was; a workstation writing meanwhile waits for it). Returns the safety dump's
// path. Throws CommandError with pg_restore's own text.
QString restoreServerDatabase(const ConnectionSettings& settings, const QString& database,
                              const QString& file, const QString& safetyFolder, const QDateTime& now,
                              const std::function<void()>& waiting = {});

} // namespace zu
