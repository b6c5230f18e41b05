#pragma once

#include <QString>
#include <QStringList>

namespace zu {

class Connection;
class Query;

// The data initialization's statements, kept in the qxName of the "数据初始化" catalogue rows.

// The statement text of the entries named: the non-empty qxName of every row of the catalogue
// whose name is listed, joined without any separator, in the order the database returns them.
QString collectClearStatements(Query& query, const QStringList& names);

// Every text before a ";" is one statement; the text after the last ";" is none. No quotes or
// comments are looked at: a row's text after its last ";" runs on into the next row's first
// statement.
QStringList splitClearStatements(const QString& text);

// Runs the statements, skipping blank ones, in one transaction: when one fails, every one
// before it is undone too and its DbError (the database's text) is thrown.
void runClearStatements(Connection& connection, const QStringList& statements);

// The question asked before anything is cleared.
QString clearDataQuestion();
// The message after the data was cleared: where the copy taken before is kept, when one was.
QString clearDataDoneText(const QString& safetyCopy);

} // namespace zu
