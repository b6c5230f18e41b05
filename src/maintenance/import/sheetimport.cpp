#include "sheetimport.h"

#include "customers/journalrecords.h"
#include "data/connection.h"
#include "data/errors.h"
#include "data/findcolumns.h"
#include "data/query.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace zu {

namespace {

// Table and column names come from the opener and the mapping table; they are put into the
// statement, so nothing but a plain name is accepted.
void requirePlainName(const QString& name, const QString& what)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!plain.match(name).hasMatch())
        throw CommandError(QStringLiteral("%1“%2”不是有效的名称").arg(what, name));
}

// A commit writes every page the rows touched, each index's included: committing each record
// alone made an import of 100,000 customers spend most of its time writing the same pages again.
constexpr int kRecordsPerCommit = 500;

QString inBrackets(const QString& text)
{
    return QStringLiteral("（") + text + QStringLiteral("）");
}

} // namespace

QString ImportNote::text() const
{
    return row + QStringLiteral("：") + (failed ? reason : QStringLiteral("已导入，但") + reason);
}

SheetImport::SheetImport(Connection& connection, const QString& table, const QList<ImportPair>& pairs,
                         const SheetRecords& records, const Options& options)
    : m_connection(connection), m_changes(connection), m_records(records), m_table(table), m_options(options)
{
    requirePlainName(table, QStringLiteral("目标表"));
    const SqlDialect& dialect = connection.dialect();
    const QHash<QString, ColumnType> types = dialect.columnTypes(connection.database(), table);
    if (types.isEmpty())
        throw CommandError(QStringLiteral("数据库中没有表“%1”").arg(table));
    // The same widths on both engines: the embedded one would keep a longer text.
    const QHash<QString, int> widths = dialect.columnWidths(connection.database(), table);
    auto lengthOf = [&widths](const QString& field) { return widths.value(field.toLower(), -1); };
    auto typeOf = [&](const QString& field, const QString& fieldName) {
        requirePlainName(field, QStringLiteral("目标列"));
        const auto type = types.constFind(field.toLower());
        if (type == types.constEnd())
            throw CommandError(
                QStringLiteral("表“%1”中没有列“%2”（导入映射“%3”）").arg(table, field, fieldName));
        return type.value();
    };

    const QStringList titles = records.titles();
    for (const ImportPair& pair : pairs) {
        m_targets.push_back({pair.field, pair.title, pair.fieldName, titleColumn(titles, pair.title),
                             typeOf(pair.field, pair.fieldName), lengthOf(pair.field)});
        m_targets.back().isKey =
            !options.keyField.isEmpty() && pair.field.compare(options.keyField, Qt::CaseInsensitive) == 0;
    }
    if (CustomerImportRules::appliesTo(table)) {
        if (const QString problem = CustomerImportRules::pairingProblem(pairs); !problem.isEmpty())
            throw CommandError(problem);
        m_rules.emplace(connection, options.userName);
        m_duplicates.emplace(connection);
        for (const QString& field : CustomerImportRules::filledColumns()) {
            const bool paired = std::any_of(m_targets.cbegin(), m_targets.cend(), [&field](const Target& t) {
                return t.field.compare(field, Qt::CaseInsensitive) == 0;
            });
            if (!paired)
                m_targets.push_back({field, QString(), field, 0, typeOf(field, field), lengthOf(field)});
        }
        // Quick find's columns are written with every customer, whatever the pairing says.
        for (const QString& field : FindColumns::columnNames()) {
            m_targets.erase(std::remove_if(m_targets.begin(), m_targets.end(),
                                           [&field](const Target& t) {
                                               return t.field.compare(field, Qt::CaseInsensitive) == 0;
                                           }),
                            m_targets.end());
            m_targets.push_back({field, QString(), field, 0, typeOf(field, field), lengthOf(field)});
        }
    }
    // A date such as 3/5/2024 is read in the order the other dates of its column show.
    for (Target& t : m_targets) {
        if (t.type != ColumnType::DateTime || t.column == 0)
            continue;
        QStringList texts;
        texts.reserve(records.count());
        for (int i = 0; i < records.count(); ++i)
            texts << records.cellText(i, t.column - 1);
        t.dateOrder = dateOrderOf(texts);
    }

    if (isJournalTable(table)) {
        const auto code = std::find_if(m_targets.cbegin(), m_targets.cend(), [](const Target& t) {
            return t.field.compare(QLatin1String("CustCode"), Qt::CaseInsensitive) == 0;
        });
        if (code == m_targets.cend())
            throw CommandError(QStringLiteral(
                "“客户编号”没有配对：每条记录都属于一位客户，请先为“客户编号”选择 Excel 的列。"));
        m_customerCode = code - m_targets.cbegin();
    }

    QStringList columns, marks, fields;
    for (const Target& t : std::as_const(m_targets)) {
        columns << dialect.quote(t.field);
        marks << QStringLiteral("?");
        fields << t.field;
    }
    m_ruleColumns = CustomerImportRules::Columns::of(fields);
    m_insertSql =
        QStringLiteral("insert into %1 (%2) values (%3)")
            .arg(dialect.quote(table), columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    m_connection.begin();
    m_outerTransaction = true;
}

SheetImport::~SheetImport()
{
    if (m_outerTransaction)
        m_connection.rollback();
}

void SheetImport::finish()
{
    if (!m_outerTransaction || m_options.dryRun)
        return;
    m_outerTransaction = false;
    m_connection.commit();
}

void SheetImport::importNext()
{
    importRecord();
    if (m_options.dryRun || !m_outerTransaction)
        return;
    if (atEnd()) {
        finish();
    } else if (m_position % kRecordsPerCommit == 0) {
        m_outerTransaction = false;
        m_connection.commit();
        m_connection.begin();
        m_outerTransaction = true;
    }
}

void SheetImport::importRecord()
{
    const SheetRecord record = m_records.record(m_position++);
    QVariantList values;
    QString reason;
    QString note;
    if (convert(record, &values, &reason) && applyRules(values, &reason, &note) &&
        checkLengths(values, &reason) && checkDuplicates(values, &reason, &note) && insert(values, &reason)) {
        // Later rows are compared with this one too.
        if (m_duplicates)
            m_duplicates->add(customerOf(values), textOf(values, QLatin1String("IDCode")));
        ++m_succeeded;
        if (!note.isEmpty())
            m_notes.push_back({m_records.label(record), note, false});
        return;
    }
    ++m_failed;
    m_notes.push_back({m_records.label(record), reason, true});
}

bool SheetImport::convert(const SheetRecord& record, QVariantList* values, QString* reason) const
{
    values->reserve(m_targets.size());
    for (const Target& t : m_targets) {
        if (t.title.isEmpty()) {
            values->push_back(QVariant()); // filled by the rules
            continue;
        }
        if (t.column == 0) {
            *reason = QStringLiteral("工作表中没有标题为“%1”的列（%2）").arg(t.title, t.fieldName);
            return false;
        }
        QString why;
        const CellValue cell = t.column - 1 < record.cells.size() ? record.cells[t.column - 1] : CellValue();
        const std::optional<QVariant> value = importValue(cell, t.type, &why, t.dateOrder);
        if (!value) {
            *reason = QStringLiteral("%1：%2").arg(t.title, why);
            return false;
        }
        values->push_back(*value);
    }
    return true;
}

bool SheetImport::applyRules(QVariantList& values, QString* reason, QString* note) const
{
    if (m_customerCode >= 0) {
        // A journal record is kept only under an existing customer.
        const QString code = values[m_customerCode].toString();
        Query q(m_connection);
        if (code.isEmpty() || !customerExists(q, code)) {
            *reason = code.isEmpty() ? QStringLiteral("客户编号不能为空")
                                     : QStringLiteral("客户编号“%1”没有对应的客户").arg(code);
            return false;
        }
    }
    if (!m_rules)
        return true;
    *reason = m_rules->complete(m_ruleColumns.in(values), note);
    if (!reason->isEmpty())
        return false;
    setFindColumns(values);
    return true;
}

void SheetImport::setFindColumns(QVariantList& values) const
{
    const FindColumns columns = findColumnsOf({.name = textOf(values, QLatin1String("CustName")),
                                               .phone = textOf(values, QLatin1String("Phone")),
                                               .mobile = textOf(values, QLatin1String("Mobile")),
                                               .code = textOf(values, QLatin1String("IDCode")),
                                               .goodsCode = textOf(values, QLatin1String("GoodsCode"))});
    const QStringList names = FindColumns::columnNames();
    for (qsizetype i = 0; i < m_targets.size(); ++i)
        if (names.contains(m_targets[i].field))
            values[i] = columns.valueOf(m_targets[i].field);
}

bool SheetImport::checkLengths(const QVariantList& values, QString* reason) const
{
    for (qsizetype i = 0; i < m_targets.size(); ++i) {
        const Target& t = m_targets[i];
        if (t.maxLength <= 0 || t.type != ColumnType::Text || values[i].isNull())
            continue;
        const qsizetype length = values[i].toString().size();
        if (length > t.maxLength) {
            *reason = QStringLiteral("%1：文字有 %2 个字符，超过了这一列的上限 %3 个字符")
                          .arg(t.title.isEmpty() ? t.fieldName : t.title)
                          .arg(length)
                          .arg(t.maxLength);
            return false;
        }
    }
    return true;
}

QString SheetImport::textOf(const QVariantList& values, QLatin1String field) const
{
    for (qsizetype i = 0; i < m_targets.size(); ++i)
        if (m_targets[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return values[i].toString();
    return {};
}

NewCustomer SheetImport::customerOf(const QVariantList& values) const
{
    return {.name = textOf(values, QLatin1String("CustName")),
            .address = textOf(values, QLatin1String("Address")),
            .phone = textOf(values, QLatin1String("Phone")),
            .mobile = textOf(values, QLatin1String("Mobile"))};
}

bool SheetImport::checkDuplicates(const QVariantList& values, QString* reason, QString* note) const
{
    if (!m_duplicates)
        return true;
    const DuplicateCustomers duplicates = m_duplicates->find(customerOf(values));
    if (duplicates.isEmpty())
        return true;
    const QString which = duplicates.description().replace(QLatin1Char('\n'), QStringLiteral("；"));
    if (m_options.skipDuplicates) {
        *reason = QStringLiteral("可能重复，已跳过") + inBrackets(which);
        return false;
    }
    const QString warning = QStringLiteral("可能重复") + inBrackets(which);
    *note = note->isEmpty() ? warning : *note + QStringLiteral("；") + warning;
    return true;
}

void SheetImport::savepoint(const QString& statement)
{
    // Savepoints cannot be prepared on every engine: the plain statement, which holds no value.
    QSqlQuery q(m_connection.database());
    if (!q.exec(statement))
        throw DbError(sqlErrorText(q.lastError()));
}

bool SheetImport::insert(const QVariantList& values, QString* reason)
{
    try {
        savepoint(QStringLiteral("savepoint zu_import_row"));
        try {
            execInsert(values);
        } catch (const DbError&) {
            savepoint(QStringLiteral("rollback to savepoint zu_import_row"));
            throw;
        }
        savepoint(QStringLiteral("release savepoint zu_import_row"));
        return true;
    } catch (const DbError& e) {
        const QString taken = keyTaken(values);
        *reason = (taken.isEmpty() ? QStringLiteral("数据库拒绝保存这一行") : taken) + inBrackets(e.text());
        return false;
    }
}

void SheetImport::execInsert(const QVariantList& values)
{
    if (!m_insert.isValid() && m_insert.lastQuery().isEmpty()) {
        m_insert = QSqlQuery(m_connection.database());
        if (!m_insert.prepare(m_insertSql))
            throw DbError(sqlErrorText(m_insert.lastError()));
    }
    const SqlDialect& dialect = m_connection.dialect();
    for (qsizetype i = 0; i < values.size(); ++i)
        m_insert.bindValue(static_cast<int>(i), dialect.toDb(values[i]));
    const bool done = m_insert.exec();
    const QSqlError error = m_insert.lastError();
    m_insert.finish();
    if (!done)
        throw DbError(sqlErrorText(error));
    m_connection.noteWritten(m_table);
}

// The text naming a key value that another row already holds; empty when the key is free.
QString SheetImport::keyTaken(const QVariantList& values) const
{
    for (qsizetype i = 0; i < m_targets.size(); ++i) {
        const Target& t = m_targets[i];
        if (!t.isKey || values[i].isNull())
            continue;
        try {
            Query q(m_connection);
            q.open(QStringLiteral("select count(*) from %1 where %2 = ?")
                       .arg(m_connection.dialect().quote(m_table), m_connection.dialect().quote(t.field)),
                   {values[i]});
            if (q.value(0).toInt() > 0)
                return QStringLiteral("%1“%2”已经存在，不能重复").arg(t.fieldName, values[i].toString());
        } catch (const DbError&) {
            // The refusal's own text stands alone then.
        }
    }
    return {};
}

} // namespace zu
