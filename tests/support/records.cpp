#include "records.h"

#include "data/datamodule.h"
#include "data/findcolumns.h"
#include "data/query.h"

namespace zu::test {

void insertRow(const QString& table, const QVariantMap& columns)
{
    QStringList names;
    QStringList marks;
    QVariantList values;
    for (auto it = columns.constBegin(); it != columns.constEnd(); ++it) {
        names << it.key();
        marks << QStringLiteral("?");
        values << it.value();
    }
    Query q(data().conn());
    q.exec(QStringLiteral("insert into %1 (%2) values (%3)")
               .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
           values);
}

void addCustomer(const QString& name, const QString& code, const QVariantMap& columns)
{
    QVariantMap row = columns;
    row.insert(QStringLiteral("CustName"), name);
    row.insert(QStringLiteral("IDCode"), code.isNull() ? name : code);
    // As the program writes every customer: with the columns quick find looks into.
    addFindColumns(row);
    insertRow(QStringLiteral("T_Cust"), row);
}

void addJournal(const QString& table, const QString& customerCode, const QString& customerName,
                const QVariantMap& columns)
{
    QVariantMap row = columns;
    row.insert(QStringLiteral("CustCode"), customerCode);
    row.insert(QStringLiteral("CustName"), customerName);
    insertRow(table, row);
}

void addCategory(const QString& code, const QString& name, const QString& kind)
{
    insertRow(QStringLiteral("T_Dict_cate"), {{QStringLiteral("code"), code},
                                              {QStringLiteral("name"), name},
                                              {QStringLiteral("tableName"), kind}});
}

int count(const QString& sql, const QVariantList& values)
{
    Query q(data().conn());
    q.open(sql, values);
    return q.value(0).toInt();
}

QStringList column(const QString& sql, const QVariantList& values)
{
    Query q(data().conn());
    q.open(sql, values);
    QStringList out;
    for (; !q.eof(); q.next())
        out << q.value(0).toString();
    return out;
}

} // namespace zu::test
