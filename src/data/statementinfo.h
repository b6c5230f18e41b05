#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace zu {

// What a statement of this program does, read from its text: the program's statements are plain
// "select ...", "insert into T (a, b) values (?, ?)", "update T set a = ?, b = ? where ...",
// "delete from T where ...".

// A statement that only reads (select, with, explain, a pragma that sets nothing): it may be run
// again after a lost connection has been opened again.
bool isReadOnlyStatement(const QString& sql);

// The table an insert, update or delete writes, as the statement spells it; empty otherwise.
QString writtenTable(const QString& sql);

// The columns an insert or update assigns from placeholders, with the values bound to them.
QList<QPair<QString, QVariant>> assignedValues(const QString& sql, const QVariantList& bindValues);

} // namespace zu
