#pragma once

#include "data/warrantyterms.h"

#include <QDate>
#include <QString>
#include <QVariant>

namespace zu {

class Connection;

// Whether the machine of a service record was under warranty on the record's day.
struct ServiceWarranty
{
    WarrantyState state = WarrantyState::Unknown;
    QDate end; // the warranty's last day; invalid when unknown

    // What the record keeps in InWarranty: true, false, or no value when unknown.
    QVariant storedValue() const;
    // The editor's line: "在保（保修至 2027-03-01）", "过保（保修至 2025-03-01）" or why it is unknown.
    QString text() const;
};

// From the purchase date of the customer with the code `customerCode`, the record's model (the
// customer's when the record names none) and the warranty terms kept. Unknown without such a
// customer, a purchase date or a service day.
ServiceWarranty serviceWarranty(Connection& connection, const QString& customerCode, const QString& model,
                                const QDate& serviceDay);

} // namespace zu
