#include "findcolumns.h"

#include "connection.h"
#include "errors.h"
#include "pinyininitials.h"
#include "query.h"

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

QString mapValue(const QVariantMap& values, QLatin1String column)
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

QString comparableText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (!c.isSpace())
            out += c.toCaseFolded();
    return out;
}

QStringList FindColumns::columnNames()
{
    return {QStringLiteral("NameInitials"), QStringLiteral("FindText"), QStringLiteral("PhoneDigits"),
            QStringLiteral("MobileDigits"), QStringLiteral("NameKey")};
}

QString FindColumns::valueOf(const QString& column) const
{
    const QString* const values[] = {&nameInitials, &findText, &phoneDigits, &mobileDigits, &nameKey};
    const QStringList names = columnNames();
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names[i].compare(column, Qt::CaseInsensitive) == 0)
            return *values[i];
    return {};
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
    columns.phoneDigits = phoneDigits(customer.phone);
    columns.mobileDigits = phoneDigits(customer.mobile);
    columns.nameKey = comparableText(customer.name);
    return columns;
}

void addFindColumns(QVariantMap& values)
{
    const FindColumns columns = findColumnsOf({.name = mapValue(values, QLatin1String("CustName")),
                                               .phone = mapValue(values, QLatin1String("Phone")),
                                               .mobile = mapValue(values, QLatin1String("Mobile")),
                                               .code = mapValue(values, QLatin1String("IDCode")),
                                               .goodsCode = mapValue(values, QLatin1String("GoodsCode"))});
    for (const QString& column : FindColumns::columnNames())
        values.insert(column, columns.valueOf(column));
}

int fillFindColumns(Connection& connection, const QStringList& columns)
{
    struct Row
    {
        qint64 id;
        CustomerKeys keys;
    };
    // A part at a time, so that a large register is never held whole, each part written by one
    // statement (a server is asked once, not once a customer).
    constexpr int kPart = 500;
    QStringList assignments;
    for (qsizetype i = 0; i < columns.size(); ++i)
        assignments << QStringLiteral("%1 = v.column%2").arg(columns[i]).arg(i + 2);
    const QString tuple = QStringLiteral("(cast(? as integer)") +
                          QStringLiteral(", ?").repeated(columns.size()) + QLatin1Char(')');
    int written = 0;
    qint64 after = std::numeric_limits<qint32>::min(); // the server's key is a 32-bit integer
    Query q(connection);
    for (;;) {
        QList<Row> rows;
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
        QVariantList values;
        values.reserve(rows.size() * (columns.size() + 1));
        for (const Row& row : std::as_const(rows)) {
            const FindColumns found = findColumnsOf(row.keys);
            values << row.id;
            for (const QString& column : columns)
                values << found.valueOf(column);
        }
        const int changed =
            // The range of keys lets the server read the part's rows by the key, not every row.
            q.exec(QStringLiteral("update T_Cust set %1 from (values %2) as v where CusttityID = v.column1 "
                                  "and CusttityID >= ? and CusttityID <= ?")
                       .arg(assignments.join(QStringLiteral(", ")),
                            QStringList(rows.size(), tuple).join(QStringLiteral(", "))),
                   values << rows.first().id << rows.last().id);
        if (changed != rows.size())
            throw DbError(QStringLiteral("有客户（编号 %1 至 %2）在升级时被删除，升级未完成")
                              .arg(rows.first().id)
                              .arg(rows.last().id));
        written += int(rows.size());
        after = rows.last().id;
    }
}

} // namespace zu
