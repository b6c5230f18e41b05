#include "databasebackup.h"

#include "embeddedbackup.h"
#include "listsreopener.h"
#include "serverbackup.h"

#include "data/datamodule.h"
#include "data/errors.h"
#include "data/schemainstaller.h"

namespace zu {

BackupWriter databaseBackupWriter(Connection& connection, const std::function<void()>& waiting)
{
    switch (connection.dialect().backupMethod) {
    case BackupMethod::PgDump:
        return serverBackupWriter(connection.settings(), connection.settings().database, waiting);
    case BackupMethod::SqliteVacuumInto:
        break;
    }
    return embeddedBackupWriter(connection);
}

QString restoreFault(const Connection& connection, const QString& file)
{
    switch (connection.dialect().restoreMethod) {
    case RestoreMethod::PgRestore:
        return serverBackupFault(file);
    case RestoreMethod::SqliteOnlineCopy:
        break;
    }
    return embeddedDatabaseFault(file);
}

RestoreOutcome restoreDatabase(TfrmData& dataModule, const QString& file, const QString& safetyFolder,
                               const QDateTime& now, const std::function<void()>& waiting)
{
    Connection& c = dataModule.conn();
    const ConnectionSettings settings = c.settings();
    RestoreOutcome outcome;
    ListsReopener lists(dataModule);
    dataModule.closeDataSets();
    // The program's own connection keeps no read open on the data being replaced.
    c.close();
    try {
        switch (c.dialect().restoreMethod) {
        case RestoreMethod::PgRestore:
            outcome.safetyCopy =
                restoreServerDatabase(settings, settings.database, file, safetyFolder, now, waiting);
            break;
        case RestoreMethod::SqliteOnlineCopy:
            outcome.safetyCopy = restoreEmbeddedDatabase(settings.filePath, file, safetyFolder, now);
            break;
        }
        outcome.restored = true;
    } catch (const CommandError& e) {
        outcome.failure = e.text();
    } catch (const DbError& e) {
        outcome.failure = e.text();
    }
    if (!c.open())
        throw DbError(c.lastError());
    // A backup of an earlier release is brought up to this release's schema, as at a start.
    if (outcome.restored)
        SchemaInstaller(c).upgrade();
    lists.reopen();
    return outcome;
}

} // namespace zu
