#pragma once

#include "errors.h"
#include "sqldialect.h"

#include <QString>
#include <QVariantList>

class QSqlDatabase;
class QSqlError;

namespace zu {

DbFailure classifySqlError(const QSqlError& error, DatabaseKind kind);

// The message the user sees for a failed statement: what happened in Chinese, naming the field
// where the failure concerns one value, and the database's own text in brackets.
QString userErrorText(const QSqlError& error, DatabaseKind kind, const QSqlDatabase& db, const QString& sql,
                      const QVariantList& bindValues);

// "（the database's own text）" on one line, or nothing.
QString databaseTextInBrackets(const QString& text);

} // namespace zu
