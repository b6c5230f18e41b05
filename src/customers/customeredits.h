#pragma once

#include "data/dataset.h"

#include <QString>
#include <QVariantMap>

namespace zu {

class Query;

// How the customer editor and the customer window change and delete customers.

// Whether a customer already has the code (the editor's check when a code is changed).
bool customerCodeTaken(Query& query, const QString& code);

// Writes `values` into the current customer of `customers` and carries a changed code from
// `oldCode` into the customer's service records, return visits and complaints, in one
// transaction. On a failure everything is rolled back, the list shows the stored row again and
// the error is rethrown. Afterwards the list is read again, so its detail lists show the
// records under the (possibly new) code.
// Only the row `seen` names is written, and only while it is the version the editor showed.
void updateCustomer(DataSet& customers, const QVariantMap& values, const QString& oldCode,
                    const RowStamp& seen = {});

// Deletes the current customer of `customers` with all the customer's service records, return
// visits and complaints, in one transaction. On a failure nothing is deleted, the list shows
// the customer again and the error is rethrown.
void deleteCustomer(DataSet& customers);

} // namespace zu
