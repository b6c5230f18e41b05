#pragma once

#include <functional>
#include <QString>

namespace zu {

struct ConnectionSettings;

// Backup of the server database with pg_dump in its custom format, which pg_restore reads.

// pg_dump on the search path, else the newest one of the server packages; empty when none.
QString pgDumpProgram();

// Dumps `database` of the server that `settings` name into `target`. `waiting` is called
// about every 50 ms while pg_dump runs (the window keeps painting). A file of that name is
// replaced only by a complete dump. Throws CommandError with pg_dump's own text.
void dumpServerDatabase(const ConnectionSettings& settings, const QString& database, const QString& target,
                        const std::function<void()>& waiting = {});

} // namespace zu
