#pragma once

#include "importmapping.h"

#include "data/sqldialect.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace zu {

class Connection;

// A worksheet row that was not imported, for the user to correct.
struct ImportFailure
{
    int sheetRow; // as the spreadsheet numbers it, the title row being 1
    QString reason;

    bool operator==(const ImportFailure&) const = default;
};

// Inserts worksheet rows into a table through the pairing, each row in a transaction of its own:
// a row is either inserted whole or, when a cell does not convert or the database refuses the
// row, not at all. Target columns not paired keep the table's defaults.
class SheetImport final
{
public:
    // `titles` are the worksheet's first-row titles; `keyField` is the target column whose values
    // must be unique (a refusal then names the value that is already there).
    SheetImport(Connection& connection, const QString& table, const QList<ImportPair>& pairs,
                const QStringList& titles, const QString& keyField = {});

    // Imports one worksheet row (its cells by column, the first column at 0). False, with
    // *reason, when it was not imported.
    bool importRow(int sheetRow, const QStringList& cells, QString* reason);

    int succeeded() const { return m_succeeded; }
    int failed() const { return static_cast<int>(m_failures.size()); }
    const QList<ImportFailure>& failures() const { return m_failures; }

private:
    struct Target
    {
        ImportPair pair;
        int column; // 1-based worksheet column, 0 when the title is not in the worksheet
        ColumnType type;
        bool isKey;
    };

    bool convert(const QStringList& cells, QVariantList* values, QString* reason) const;
    bool insert(const QVariantList& values, QString* reason);
    QString keyTaken(const QVariantList& values) const;

    Connection& m_connection;
    QString m_table;
    QString m_insertSql;
    QList<Target> m_targets;
    int m_succeeded = 0;
    QList<ImportFailure> m_failures;
};

} // namespace zu
