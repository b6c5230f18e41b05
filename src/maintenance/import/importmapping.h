#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace zu {

class Query;

// One row of the import mapping t_Import: a column of the target table that can be imported.
struct MappingRow
{
    QVariant importId;
    QString sField;    // the target column
    QString fieldName; // its display name; a worksheet title equal to it pairs automatically
    QString fField;    // the worksheet title paired with it; empty: not imported
    QString tableName;
};

// A paired mapping row: where one target column takes its values from.
struct ImportPair
{
    QString title;     // worksheet column title (F_Field)
    QString field;     // target column (S_Field)
    QString fieldName; // display name of the target column (FieldName)
};

// The mapping rows of a table, in their order (ImportID). Table names match in any letter case.
QList<MappingRow> readMapping(Query& query, const QString& table);

// The pairing when a worksheet is opened: each of the first `columnCount` mapping rows of the
// table gets the worksheet title equal to its display name (letter case ignored), or none. The
// rows after them keep what they hold.
void pairAutomatically(Query& query, const QString& table, const QStringList& titles, int columnCount);

// The pairing that pairAutomatically() stores, worked out without storing it: the paired rows in
// mapping order.
QList<ImportPair> automaticPairs(const QList<MappingRow>& rows, const QStringList& titles, int columnCount);

// Sets the worksheet title of one mapping row.
void setMappingTitle(Query& query, const QVariant& importId, const QString& title);

// The paired rows of a table, in mapping order.
QList<ImportPair> readPairs(Query& query, const QString& table);

// Empties the pairing of every mapping row of the table.
void clearPairing(Query& query, const QString& table);

// The 1-based position of the first title equal to `title` (letter case ignored); 0 when none is.
int titleColumn(const QStringList& titles, const QString& title);

} // namespace zu
