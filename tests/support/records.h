#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

namespace zu::test {

// Rows written straight into the running data module's database, and what a test reads back.

// Inserts one row: the named columns get the values, the others stay empty.
void insertRow(const QString& table, const QVariantMap& columns);

// A customer with its name, its code (the name again when none is given) and further columns.
void addCustomer(const QString& name, const QString& code = {}, const QVariantMap& columns = {});

// Changes columns of the customer with the code as the program writes a customer: the columns
// kept for quick find and the duplicate check follow. Fails the test unless one row changed.
void changeCustomer(const QString& code, const QVariantMap& columns);

// A service record, return visit or complaint ("T_service", "T_call", "T_complain") of the
// customer with the code.
void addJournal(const QString& table, const QString& customerCode, const QString& customerName = {},
                const QVariantMap& columns = {});

// A category of a kind ("用户类别" unless named).
void addCategory(const QString& code, const QString& name, const QString& kind = QStringLiteral("用户类别"));

// The first column of the first row of a select, as a number (select count(*) ...).
int count(const QString& sql, const QVariantList& values = {});

// The first column of every row of a select, as text.
QStringList column(const QString& sql, const QVariantList& values = {});

} // namespace zu::test
