#pragma once

#include "importmapping.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace zu {

class Connection;

// What importing a customer needs beyond the pairing, as the customer editor does it: a name,
// the category (TypeCode) of the category name given as 客户类别 when exactly one category has
// that name, and the user who entered it (制单人) when the sheet names none.
class CustomerImportRules final
{
public:
    static bool appliesTo(const QString& table);
    // Why a pairing cannot import customers at all (the name is not paired); empty when it can.
    static QString pairingProblem(const QList<ImportPair>& pairs);
    // The columns these rules fill besides the paired ones.
    static QStringList filledColumns();

    CustomerImportRules(Connection& connection, QString userName);

    // The values of one customer that the rules read or fill; nullptr for a column the import
    // does not write.
    struct Values
    {
        QVariant* name = nullptr;
        QVariant* categoryName = nullptr;
        QVariant* categoryCode = nullptr;
        QVariant* enteredBy = nullptr;
    };
    // Where each of them is among the columns of an import (-1: not there).
    struct Columns
    {
        qsizetype name = -1, categoryName = -1, categoryCode = -1, enteredBy = -1;
        static Columns of(const QStringList& fields);
        Values in(QVariantList& values) const;
    };

    // Checks and completes the values of one customer. Returns why the customer cannot be
    // imported, or an empty text; *note gets what the user should know about a customer that is
    // imported.
    QString complete(const Values& values, QString* note) const;

private:
    QString m_userName;
    QHash<QString, QStringList> m_categoryCodes; // by trimmed name
};

} // namespace zu
