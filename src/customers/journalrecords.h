#pragma once

#include "data/dataset.h"

#include <QString>
#include <QVariantMap>

namespace zu {

class Connection;
class Query;

// Service records, return visits and complaints belong to a customer: they are written only
// under the code of an existing customer, and go with the customer when it is deleted.

// The tables of the three journals.
QStringList journalTables();
bool isJournalTable(const QString& table);

// Whether a customer has the code (exactly as stored).
bool customerExists(Query& query, const QString& code);

// The message of a journal record whose customer code names no customer.
QString unknownCustomerText(const QString& code);

// Writes a journal record through `list` (append, or edit the row the stamp names as the editor
// showed it; see writeRecord) in one transaction with a check that its customer (`CustCode` of
// `values`) exists, holding that customer's row until the commit, so that a customer deleted
// meanwhile on another workstation leaves no record behind. Throws CommandError when the customer does not
// exist; nothing is written then.
void writeJournalRecord(DataSet& list, const QVariantMap& values, bool append, const RowStamp& seen = {});

} // namespace zu
