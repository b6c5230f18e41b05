#include "records.h"

#include "data/datamodule.h"
#include "data/findcolumns.h"
#include "data/query.h"

#include <QTest>

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

void changeCustomer(const QString& code, const QVariantMap& columns)
{
    Query q(data().conn());
    q.open(QStringLiteral("select CustName, IDCode, Phone, Mobile, GoodsCode from T_Cust where IDCode = ?"),
           {code});
    QVariantMap row;
    for (int i = 0; i < q.fieldCount(); ++i)
        row.insert(q.fieldName(i), q.value(i));
    q.close();
    for (auto it = columns.constBegin(); it != columns.constEnd(); ++it) {
        for (auto old = row.begin(); old != row.end();)
            old = old.key().compare(it.key(), Qt::CaseInsensitive) == 0 ? row.erase(old) : std::next(old);
        row.insert(it.key(), it.value());
    }
    addFindColumns(row);
    QStringList assignments;
    QVariantList values;
    for (auto it = row.constBegin(); it != row.constEnd(); ++it) {
        assignments << it.key() + QStringLiteral(" = ?");
        values << it.value();
    }
    values << code;
    if (q.exec(
            QStringLiteral("update T_Cust set %1 where IDCode = ?").arg(assignments.join(QLatin1Char(','))),
            values) != 1)
        QTest::qFail("the customer was not changed", __FILE__, __LINE__);
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
