#pragma once

#include <QString>

namespace zu {

class Connection;

// Backup and restore of the embedded database file.

// Writes a consistent copy of the open database to `target` through the database itself
// (VACUUM INTO): every committed row, none of a transaction still open elsewhere, whatever is
// being written meanwhile. A file of that name is replaced only once the copy is complete.
// Throws DbError or CommandError; the target is then left as it was.
void copyEmbeddedDatabase(Connection& connection, const QString& target);

// Why `file` cannot replace the database, empty when it can: it must open as a database, pass
// the integrity check and hold every table of this program.
QString embeddedDatabaseFault(const QString& file);

// Puts `source` in place of the database file `live`, which no connection may have open.
// The old file's write-ahead log goes with it. Throws CommandError; `live` is then unchanged.
void replaceDatabaseFile(const QString& source, const QString& live);

} // namespace zu
