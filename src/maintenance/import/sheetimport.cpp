#include "sheetimport.h"

#include "importvalue.h"

#include "data/connection.h"
#include "data/errors.h"
#include "data/query.h"

#include <QRegularExpression>

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

} // namespace

SheetImport::SheetImport(Connection& connection, const QString& table, const QList<ImportPair>& pairs,
                         const QStringList& titles, const QString& keyField)
    : m_connection(connection), m_table(table)
{
    requirePlainName(table, QStringLiteral("目标表"));
    const SqlDialect& dialect = connection.dialect();
    const QHash<QString, ColumnType> types = dialect.columnTypes(connection.database(), table);
    if (types.isEmpty())
        throw CommandError(QStringLiteral("数据库中没有表“%1”").arg(table));

    QStringList columns, marks;
    for (const ImportPair& pair : pairs) {
        requirePlainName(pair.field, QStringLiteral("目标列"));
        const auto type = types.constFind(pair.field.toLower());
        if (type == types.constEnd())
            throw CommandError(
                QStringLiteral("表“%1”中没有列“%2”（导入映射“%3”）").arg(table, pair.field, pair.fieldName));
        m_targets.push_back({pair, titleColumn(titles, pair.title), type.value(),
                             !keyField.isEmpty() && pair.field.compare(keyField, Qt::CaseInsensitive) == 0});
        columns << dialect.quote(pair.field);
        marks << QStringLiteral("?");
    }
    m_insertSql =
        QStringLiteral("insert into %1 (%2) values (%3)")
            .arg(dialect.quote(table), columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
}

bool SheetImport::importRow(int sheetRow, const QStringList& cells, QString* reason)
{
    QVariantList values;
    const bool ok = convert(cells, &values, reason) && insert(values, reason);
    if (ok)
        ++m_succeeded;
    else
        m_failures.push_back({sheetRow, *reason});
    return ok;
}

bool SheetImport::convert(const QStringList& cells, QVariantList* values, QString* reason) const
{
    values->reserve(m_targets.size());
    for (const Target& t : m_targets) {
        if (t.column == 0) {
            *reason = QStringLiteral("工作表中没有标题为“%1”的列（%2）").arg(t.pair.title, t.pair.fieldName);
            return false;
        }
        QString why;
        const std::optional<QVariant> value = importValue(cells.value(t.column - 1), t.type, &why);
        if (!value) {
            *reason = QStringLiteral("%1：%2").arg(t.pair.title, why);
            return false;
        }
        values->push_back(*value);
    }
    return true;
}

bool SheetImport::insert(const QVariantList& values, QString* reason)
{
    try {
        TransactionGuard tx(m_connection);
        Query(m_connection).exec(m_insertSql, values);
        tx.commit();
        return true;
    } catch (const DbError& e) {
        const QString taken = keyTaken(values);
        *reason = taken.isEmpty() ? e.text() : taken + QStringLiteral("（") + e.text() + QStringLiteral("）");
        return false;
    }
}

// The text naming a key value that another row already holds; empty when the key is free.
QString SheetImport::keyTaken(const QVariantList& values) const
{
    for (int i = 0; i < m_targets.size(); ++i) {
        const Target& t = m_targets[i];
        if (!t.isKey || values[i].isNull())
            continue;
        try {
            Query q(m_connection);
            q.open(
                QStringLiteral("select count(*) from %1 where %2 = ?")
                    .arg(m_connection.dialect().quote(m_table), m_connection.dialect().quote(t.pair.field)),
                {values[i]});
            if (q.value(0).toInt() > 0)
                return QStringLiteral("%1“%2”已经存在，不能重复").arg(t.pair.fieldName, values[i].toString());
        } catch (const DbError&) {
            // The refusal's own text stands alone then.
        }
    }
    return {};
}

} // namespace zu
