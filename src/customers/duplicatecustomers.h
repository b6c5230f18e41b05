#pragma once

#include "data/findcolumns.h"

#include <QHash>
#include <QList>
#include <QString>

namespace zu {

class Connection;

// Customers that look like one about to be added: the same telephone or mobile number (digits
// only, so "0571-8888 6666" is "057188886666"), or the same name and address (blanks and letter
// case ignored).
struct CustomerMatch
{
    QString name;
    QString code;
    bool operator==(const CustomerMatch&) const = default;
};

struct DuplicateCustomers
{
    QList<CustomerMatch> samePhone;       // the new phone is an existing phone or mobile
    QList<CustomerMatch> sameMobile;      // the new mobile is an existing phone or mobile
    QList<CustomerMatch> sameNameAddress; // same name and same address

    bool isEmpty() const { return samePhone.isEmpty() && sameMobile.isEmpty() && sameNameAddress.isEmpty(); }
    // "已有相同电话的客户：张三 (KH0001)", one line per kind of match.
    QString description() const;
    // The description followed by "，仍然保存吗？".
    QString question() const;
};

// Given by the fields a check needs (designated initialisers); the others stay empty.
struct NewCustomer
{
    QString name = {};
    QString address = {};
    QString phone = {};
    QString mobile = {};
};

DuplicateCustomers findDuplicateCustomers(Connection& connection, const NewCustomer& customer);

// The same matches for many customers in a row (an import): every customer is read once, each
// lookup is a hash lookup instead of a search of the table. Customers added later go in through
// add().
class DuplicateCustomerIndex final
{
public:
    explicit DuplicateCustomerIndex(Connection& connection);

    DuplicateCustomers find(const NewCustomer& customer) const;
    void add(const NewCustomer& customer, const QString& code);

private:
    QHash<QString, QList<CustomerMatch>> m_byNumber;      // digits of a phone or a mobile
    QHash<QString, QList<CustomerMatch>> m_byNameAddress; // name and address as compared
};

} // namespace zu
