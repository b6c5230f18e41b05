#include "duplicatecustomers.h"

#include "data/connection.h"
#include "data/query.h"

#include <QStringList>

namespace zu {

namespace {

void addOnce(QList<CustomerMatch>& list, const CustomerMatch& match)
{
    if (!list.contains(match))
        list.push_back(match);
}

QString listed(const QList<CustomerMatch>& matches)
{
    constexpr int kShown = 5;
    QStringList names;
    for (qsizetype i = 0; i < matches.size() && i < kShown; ++i)
        names << QStringLiteral("%1 (%2)").arg(matches[i].name, matches[i].code);
    QString text = names.join(QStringLiteral("、"));
    if (matches.size() > kShown)
        text += QStringLiteral(" 等 %1 位").arg(matches.size());
    return text;
}

// Name and address as one key; empty when either is, for then nothing is compared.
QString nameAddressKey(const QString& name, const QString& address)
{
    const QString n = comparableText(name);
    const QString a = comparableText(address);
    if (n.isEmpty() || a.isEmpty())
        return {};
    return n + QChar(0x1f) + a;
}

} // namespace

QString DuplicateCustomers::description() const
{
    QStringList lines;
    const QPair<const QList<CustomerMatch>*, const char*> kinds[] = {
        {&samePhone, "电话"}, {&sameMobile, "手机"}, {&sameNameAddress, "名称和地址"}};
    for (const auto& [matches, what] : kinds)
        if (!matches->isEmpty())
            lines << QStringLiteral("已有相同%1的客户：%2").arg(QString::fromUtf8(what), listed(*matches));
    return lines.join(QLatin1Char('\n'));
}

QString DuplicateCustomers::question() const
{
    return description() + QStringLiteral("，仍然保存吗？");
}

DuplicateCustomers findDuplicateCustomers(Connection& connection, const NewCustomer& customer)
{
    DuplicateCustomers found;
    Query q(connection);

    // The digits and the compared name are kept beside every customer (FindColumns), indexed.
    const QString phone = phoneDigits(customer.phone);
    const QString mobile = phoneDigits(customer.mobile);
    QStringList numbers;
    for (const QString& digits : {phone, mobile})
        if (!digits.isEmpty() && !numbers.contains(digits))
            numbers << digits;
    for (const QString& digits : std::as_const(numbers)) {
        q.open(QStringLiteral("select CustName, IDCode from T_Cust where PhoneDigits = ? or MobileDigits = ? "
                              "order by CusttityID"),
               {digits, digits});
        for (; !q.eof(); q.next()) {
            const CustomerMatch match{q.asString(QStringLiteral("CustName")),
                                      q.asString(QStringLiteral("IDCode"))};
            if (digits == phone)
                addOnce(found.samePhone, match);
            if (digits == mobile)
                addOnce(found.sameMobile, match);
        }
    }

    const QString name = comparableText(customer.name);
    const QString address = comparableText(customer.address);
    if (!name.isEmpty() && !address.isEmpty()) {
        q.open(QStringLiteral(
                   "select CustName, IDCode, Address from T_Cust where NameKey = ? order by CusttityID"),
               {name});
        for (; !q.eof(); q.next())
            if (comparableText(q.asString(QStringLiteral("Address"))) == address)
                addOnce(found.sameNameAddress,
                        {q.asString(QStringLiteral("CustName")), q.asString(QStringLiteral("IDCode"))});
    }
    return found;
}

DuplicateCustomerIndex::DuplicateCustomerIndex(Connection& connection)
{
    Query q(connection);
    q.open(QStringLiteral("select CustName, IDCode, Address, Phone, Mobile from T_Cust order by CusttityID"));
    for (; !q.eof(); q.next())
        add({.name = q.asString(QStringLiteral("CustName")),
             .address = q.asString(QStringLiteral("Address")),
             .phone = q.asString(QStringLiteral("Phone")),
             .mobile = q.asString(QStringLiteral("Mobile"))},
            q.asString(QStringLiteral("IDCode")));
}

void DuplicateCustomerIndex::add(const NewCustomer& customer, const QString& code)
{
    const CustomerMatch match{customer.name, code};
    for (const QString& number : {customer.phone, customer.mobile})
        if (const QString digits = phoneDigits(number); !digits.isEmpty())
            addOnce(m_byNumber[digits], match);
    if (const QString key = nameAddressKey(customer.name, customer.address); !key.isEmpty())
        addOnce(m_byNameAddress[key], match);
}

DuplicateCustomers DuplicateCustomerIndex::find(const NewCustomer& customer) const
{
    DuplicateCustomers found;
    if (const QString digits = phoneDigits(customer.phone); !digits.isEmpty())
        found.samePhone = m_byNumber.value(digits);
    if (const QString digits = phoneDigits(customer.mobile); !digits.isEmpty())
        found.sameMobile = m_byNumber.value(digits);
    if (const QString key = nameAddressKey(customer.name, customer.address); !key.isEmpty())
        found.sameNameAddress = m_byNameAddress.value(key);
    return found;
}

} // namespace zu
