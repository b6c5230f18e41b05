#pragma once

#include <QString>
#include <QVariantList>

namespace zu {

class Query;

// A select and the values bound to its placeholders, as a logic file hands it to a window's
// routine (FillComboFromSql).
struct Statement
{
    QString sql;
    QVariantList bindValues;
};

// Close the query, set its statement, open it.
void OpenSql(Query& query, const QString& sql, const QVariantList& bindValues = {});
// Close the query, set its statement, execute it.
void ExecSql(Query& query, const QString& sql, const QVariantList& bindValues = {});

// Whether `table` holds `value` in `column`. Leaves the query open on the rows found.
bool valueExists(Query& query, const QString& table, const QString& column, const QVariant& value);

// Copies a whole file over `target` (created, or replaced when it exists). Throws CommandError
// with the system's text when the source cannot be read or the target written; the target is
// left as it was then.
void CopyFile(const QString& source, const QString& target);
// Writes the file in place of any earlier one, only when all of it was written; false with the
// reason otherwise.
bool writeWholeFile(const QString& path, const QByteArray& content, QString* reason);

} // namespace zu
