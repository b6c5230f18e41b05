#include "journalrecords.h"

#include "data/connection.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "data/query.h"
#include "data/writerecord.h"

namespace zu {

QStringList journalTables()
{
    return {QStringLiteral("T_service"), QStringLiteral("T_call"), QStringLiteral("T_complain")};
}

bool isJournalTable(const QString& table)
{
    return journalTables().contains(table, Qt::CaseInsensitive);
}

bool customerExists(Query& query, const QString& code)
{
    query.open(QStringLiteral("select IDCode from T_Cust where IDCode = ?") +
                   query.connection().dialect().shareLockClause,
               {code});
    const bool found = !query.isEmpty();
    query.close();
    return found;
}

QString unknownCustomerText(const QString& code)
{
    return QStringLiteral("客户编号“%1”没有对应的客户，请您重新录入或选择客户！").arg(code);
}

void writeJournalRecord(DataSet& list, const QVariantMap& values, bool append, const RowStamp& seen)
{
    Connection& connection = list.connection();
    const QString code = values.value(QStringLiteral("CustCode")).toString();
    bool posted = false;
    try {
        TransactionGuard tx(connection);
        Query q(connection);
        if (!customerExists(q, code))
            throw CommandError(unknownCustomerText(code));
        writeRecord(list, values, append, seen);
        posted = true;
        tx.commit();
    } catch (...) {
        // The list shows the row as written, but it was rolled back: the list reads its rows again.
        if (posted) {
            try {
                list.refresh();
            } catch (const DbError&) {
            }
        }
        throw;
    }
}

} // namespace zu
