#pragma once

#include "data/connection.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace zu::conntool {

struct Outcome
{
    bool ok = false;
    QString message; // what the user is told
};

// Where the program's database is and how to reach it, as the program's own start-up sees it.
struct Target
{
    bool server = false;
    ConnectionSettings settings;
    QString describe() const;
};

Target currentTarget(const QString& home);

// Creates the embedded database with schema and content; an existing file is left untouched.
Outcome initEmbedded(const QString& home);

// Points the program at a server database: writes [DBConn] to Config.ini and creates sql.dat.
// With `create`, first connects and creates schema and content in an empty database; a database
// that already holds the program's tables is left as it is.
Outcome configureServer(const QString& home, const QString& server, const QString& database,
                        const QString& user, const QString& password, bool create);

// Switches the program back to the embedded database (removes sql.dat).
Outcome useEmbedded(const QString& home);

// Connects as the program would and says plainly what is wrong.
Outcome check(const QString& home);

// Upgrades the database in place to this release's schema.
Outcome upgrade(const QString& home);

// Backs the database up (either engine), for a scheduled job. Without `to`: an automatic backup
// into the backup folder, beside any of the same day, and the rotation of the automatic backups;
// with `to`: into that file, which is replaced only once the new backup is complete.
Outcome backup(const QString& home, const QString& to, const QDateTime& now);

// Runs the command line (without the program name); returns the exit code and prints.
int runCommandLine(const QStringList& arguments);

QString usage();

} // namespace zu::conntool
