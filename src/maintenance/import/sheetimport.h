#pragma once

#include "customerimportrules.h"
#include "importmapping.h"
#include "importvalue.h"
#include "sheetrecords.h"

#include "customers/duplicatecustomers.h"
#include "data/connection.h"
#include "data/sqldialect.h"

#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <optional>

namespace zu {

// A row the user should look at after an import: one that was not imported, and why, or one that
// was imported with something to know.
struct ImportNote
{
    QString row; // "第 4 行", "工作表“Sheet2”第 5 行"
    QString reason;
    bool failed = true;

    QString text() const;
    bool operator==(const ImportNote&) const = default;
};

// Inserts the records of a worksheet into a table through the pairing: a record is either
// inserted whole or, when a cell does not convert, a rule refuses it or the database does, not at
// all, with the reason in Chinese (the database's own text in brackets). Records are committed a
// few hundred at a time, and the rest when the last one is imported or finish() is called; an
// import destroyed before that keeps none of the records since the last commit. Target columns not
// paired keep the table's defaults. Customers (T_Cust) follow CustomerImportRules; a journal record
// needs the code of an existing customer. A dry run does all of it inside one transaction that is
// rolled back.
class SheetImport final
{
public:
    struct Options
    {
        QString keyField; // a target column whose values must be unique: a refusal names the value
        QString userName; // the logged-in user, who enters the records
        bool dryRun = false;
        // Customers that look like one already there (same phone or mobile, or the same name
        // and address) are left out instead of imported with a warning.
        bool skipDuplicates = false;
    };

    SheetImport(Connection& connection, const QString& table, const QList<ImportPair>& pairs,
                const SheetRecords& records, const Options& options);
    ~SheetImport();
    SheetImport(const SheetImport&) = delete;
    SheetImport& operator=(const SheetImport&) = delete;

    int total() const { return m_records.count(); }
    int position() const { return m_position; }
    bool atEnd() const { return m_position >= total(); }
    // Imports the next record.
    void importNext();
    // Commits the records imported so far, as when the user stops the import.
    void finish();

    int succeeded() const { return m_succeeded; }
    int failed() const { return m_failed; }
    // In row order: the records not imported, and those imported with a remark.
    const QList<ImportNote>& notes() const { return m_notes; }

private:
    struct Target
    {
        QString field;
        QString title;     // worksheet column title; empty for a column the rules fill
        QString fieldName; // display name
        int column;        // 1-based worksheet column, 0 when the title is not in the worksheet
        ColumnType type;
        int maxLength; // -1 when the database does not say
        DateOrder dateOrder = DateOrder::Unknown;
        bool isKey = false;
    };

    void importRecord();
    bool convert(const SheetRecord& record, QVariantList* values, QString* reason) const;
    bool applyRules(QVariantList& values, QString* reason, QString* note) const;
    void setFindColumns(QVariantList& values) const;
    bool checkLengths(const QVariantList& values, QString* reason) const;
    QString textOf(const QVariantList& values, QLatin1String field) const;
    NewCustomer customerOf(const QVariantList& values) const;
    bool checkDuplicates(const QVariantList& values, QString* reason, QString* note) const;
    bool insert(const QVariantList& values, QString* reason);
    void execInsert(const QVariantList& values);
    QString keyTaken(const QVariantList& values) const;
    void savepoint(const QString& statement);

    Connection& m_connection;
    ChangeBatch m_changes; // the program's lists are told once, when the import ends
    const SheetRecords& m_records;
    QString m_table;
    Options m_options;
    QString m_insertSql;
    QList<Target> m_targets;
    std::optional<CustomerImportRules> m_rules;
    CustomerImportRules::Columns m_ruleColumns;
    std::optional<DuplicateCustomerIndex> m_duplicates; // customers only
    qsizetype m_customerCode = -1;                      // of a journal record: must name an existing customer
    QSqlQuery m_insert;                                 // prepared once for all rows
    bool m_outerTransaction = false;
    int m_position = 0;
    int m_succeeded = 0;
    int m_failed = 0;
    QList<ImportNote> m_notes;
};

} // namespace zu
