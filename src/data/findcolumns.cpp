#include "findcolumns.h"

#include "connection.h"
#include "errors.h"
#include "pinyininitials.h"
#include "query.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <limits>

namespace zu {

namespace {

constexpr QChar kPartSeparator = FindColumns::kSeparator;

QString folded(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (!c.isSpace() && c != kPartSeparator)
            out += c.toCaseFolded();
    return out;
}

QString valueOf(const QVariantMap& values, QLatin1String column)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        if (it.key().compare(column, Qt::CaseInsensitive) == 0)
            return it.value().toString();
    return {};
}

} // namespace

QString phoneDigits(const QString& number)
{
    QString digits;
    for (const QChar c : number)
        if (c.isDigit())
            digits += QChar(QLatin1Char(static_cast<char>('0' + c.digitValue())));
    return digits;
}

FindColumns findColumnsOf(const CustomerKeys& customer)
{
    const QStringList spellings = pinyinInitials(customer.name);
    FindColumns columns;
    for (const QString& spelling : spellings) {
        const qsizetype length = columns.nameInitials.size() + (columns.nameInitials.isEmpty() ? 0 : 1);
        if (length + spelling.size() > FindColumns::kInitialsLength)
            break;
        if (!columns.nameInitials.isEmpty())
            columns.nameInitials += QLatin1Char(' ');
        columns.nameInitials += spelling;
    }
    QStringList parts{folded(customer.name), phoneDigits(customer.phone), phoneDigits(customer.mobile),
                      folded(customer.code), folded(customer.goodsCode)};
    parts += spellings;
    columns.findText = parts.join(kPartSeparator);
    return columns;
}

void addFindColumns(QVariantMap& values)
{
    const FindColumns columns = findColumnsOf({.name = valueOf(values, QLatin1String("CustName")),
                                               .phone = valueOf(values, QLatin1String("Phone")),
                                               .mobile = valueOf(values, QLatin1String("Mobile")),
                                               .code = valueOf(values, QLatin1String("IDCode")),
                                               .goodsCode = valueOf(values, QLatin1String("GoodsCode"))});
    values.insert(QStringLiteral("NameInitials"), columns.nameInitials);
    values.insert(QStringLiteral("FindText"), columns.findText);
}

int fillFindColumns(Connection& connection)
{
    struct Row
    {
        qint64 id;
        CustomerKeys keys;
    };
    QSqlQuery update(connection.database());
    if (!update.prepare(
            QStringLiteral("update T_Cust set NameInitials = ?, FindText = ? where CusttityID = ?")))
        throw DbError(sqlErrorText(update.lastError()));
    // A part at a time, so that a large register is never held whole.
    constexpr int kPart = 10000;
    int written = 0;
    qint64 after = std::numeric_limits<qint32>::min(); // the server's key is a 32-bit integer
    for (;;) {
        QList<Row> rows;
        Query q(connection);
        q.open(QStringLiteral("select CusttityID, CustName, Phone, Mobile, IDCode, GoodsCode from T_Cust "
                              "where CusttityID > ? order by CusttityID limit %1")
                   .arg(kPart),
               {after});
        for (; !q.eof(); q.next())
            rows.push_back({q.value(0).toLongLong(),
                            {q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                             q.value(4).toString(), q.value(5).toString()}});
        q.close();
        if (rows.isEmpty())
            return written;
        for (const Row& row : std::as_const(rows)) {
            const FindColumns columns = findColumnsOf(row.keys);
            update.bindValue(0, columns.nameInitials);
            update.bindValue(1, columns.findText);
            update.bindValue(2, row.id);
            if (!update.exec())
                throw DbError(sqlErrorText(update.lastError()));
            if (update.numRowsAffected() != 1)
                throw DbError(QStringLiteral("客户（编号 %1）在升级时被删除，升级未完成").arg(row.id));
        }
        written += int(rows.size());
        after = rows.last().id;
    }
}

} // namespace zu
