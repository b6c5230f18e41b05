#pragma once

#include <QString>
#include <QVariantList>

namespace zu {

class Query;

// Close the query, set its statement, open it.
void OpenSql(Query& query, const QString& sql, const QVariantList& bindValues = {});
// Close the query, set its statement, execute it.
void ExecSql(Query& query, const QString& sql, const QVariantList& bindValues = {});

// Copies a whole file over `target` (created, or replaced when it exists). Throws CommandError
// with the system's text when the source cannot be read or the target written; the target is
// left as it was then.
void CopyFile(const QString& source, const QString& target);

} // namespace zu
