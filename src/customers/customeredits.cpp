#include "customeredits.h"

#include "data/connection.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "data/query.h"
#include "data/writerecord.h"
#include "journalrecords.h"

namespace zu {

bool customerCodeTaken(Query& query, const QString& code)
{
    query.open(QStringLiteral("select * from T_Cust where IDCode = ?"), {code});
    return !query.isEmpty();
}

void updateCustomer(DataSet& customers, const QVariantMap& values, const QString& oldCode,
                    const RowStamp& seen)
{
    Connection& connection = customers.connection();
    const QString newCode = values.value(QStringLiteral("IDCode")).toString();
    try {
        TransactionGuard tx(connection);
        writeRecord(customers, values, false, seen);
        Query q(connection);
        for (const char* table : {"T_Service", "T_Call", "T_Complain"})
            q.exec(QStringLiteral("update %1 set CustCode = ? where CustCode = ?").arg(QLatin1String(table)),
                   {newCode, oldCode});
        tx.commit();
    } catch (...) {
        // Rolled back: the list shows the stored row again; the user is told why.
        customers.cancel();
        try {
            customers.refresh();
        } catch (const DbError&) {
            // The first failure is the one to report.
        }
        throw;
    }
    customers.refresh();
}

void deleteCustomer(DataSet& customers)
{
    Connection& connection = customers.connection();
    const QString code = customers.fieldText(QStringLiteral("IDCode"));
    try {
        TransactionGuard tx(connection);
        // The customer first: a record added meanwhile on another workstation then either waits
        // for this deletion (and finds no customer) or is in place before the records go.
        customers.deleteCurrent();
        Query q(connection);
        if (!code.isEmpty())
            for (const QString& table : journalTables())
                q.exec(QStringLiteral("delete from %1 where CustCode = ?").arg(table), {code});
        tx.commit();
    } catch (...) {
        // Nothing was deleted: a row the list let go of comes back.
        try {
            customers.refresh();
        } catch (const DbError&) {
        }
        throw;
    }
}

} // namespace zu
