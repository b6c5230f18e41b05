#pragma once

#include <QString>
#include <QStringList>

namespace zu {

class Connection;

// Creates the tables and the delivered content of a database, and upgrades a delivered database
// in place to the schema of this release.
class SchemaInstaller final
{
public:
    static constexpr int kCurrentVersion = 14;

    explicit SchemaInstaller(Connection& connection);

    // True when the database holds none of the program's tables.
    bool isEmpty() const;
    // True when the database holds any customer, journal, category or lookup row.
    bool holdsData() const;
    // The schema version recorded in the database, 0 when there is none.
    int version() const;

    // Creates schema and content in one transaction; throws DbError.
    void install();
    // Brings an older schema up to `target` (a version of this program; its own by default), one
    // step per transaction; returns the number of steps taken. Throws DbError
    // (DbFailure::SchemaMismatch) for a database without a version or newer than the program.
    int upgrade(int target = kCurrentVersion);
    // Why the program cannot work with this database as it is: none of its tables, no version,
    // or a version newer than the program's; empty when it can (an older version is upgraded).
    QString refusal() const;

    static QStringList tableNames();
    // The tables whose rows carry a version (RowVersion) that every change counts up.
    static QStringList versionedTables();

private:
    Connection& m_connection;
};

// Creates a new embedded database file with schema and content. Throws CommandError when the
// file exists already (a database is never overwritten) and DbError when setting up fails, in
// which case no file is left behind.
void createEmbeddedDatabase(const QString& filePath);

// Splits a script into statements at ";" outside quotes and comments.
QStringList splitSqlScript(const QString& script);

// Reads a script that ships with the program (a Qt resource).
QString readResourceText(const QString& path);

} // namespace zu
