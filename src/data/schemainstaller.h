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
    static constexpr int kCurrentVersion = 3;

    explicit SchemaInstaller(Connection& connection);

    // True when the database holds none of the program's tables.
    bool isEmpty() const;
    // True when the database holds any customer, journal, category or lookup row.
    bool holdsData() const;
    // The schema version recorded in the database, 0 when there is none.
    int version() const;

    // Creates schema and content in one transaction; throws DbError.
    void install();
    // Brings an older schema up to kCurrentVersion, one step per transaction; returns the
    // number of steps taken.
    int upgrade();

    static QStringList tableNames();

    // Rewrites every date of the embedded database that is not in the stored text form, in the
    // current transaction; returns the number of values changed. Values that are no date are
    // left as they are.
    int normaliseStoredDates();

private:
    void installDateTriggers();
    void upgradeStep(int version);

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
