#include "query.h"

#include "connection.h"
#include "errors.h"
#include "statementinfo.h"

#include <QSqlError>
#include <QSqlRecord>

namespace zu {

Query::Query(Connection& connection) : m_connection(connection) {}

void Query::prepareAndBind(const QString& sql, const QVariantList& bindValues)
{
    close();
    m_query = m_connection.run(sql, bindValues);
}

void Query::open(const QString& sql, const QVariantList& bindValues)
{
    prepareAndBind(sql, bindValues);
    const QSqlRecord record = m_query.record();
    for (int i = 0; i < record.count(); ++i)
        m_fieldNames << record.fieldName(i);
    m_open = true;
    m_eof = !m_query.next();
    m_rowCount = m_eof ? 0 : 1;
    if (m_eof && m_query.lastError().isValid())
        throw m_connection.failure(m_query.lastError(), sql, bindValues);
}

int Query::exec(const QString& sql, const QVariantList& bindValues)
{
    prepareAndBind(sql, bindValues);
    const int affected = m_query.numRowsAffected();
    m_query.finish();
    if (affected != 0)
        m_connection.noteWritten(writtenTable(sql));
    return affected;
}

void Query::close()
{
    // Dropped, not just finished, so that no prepared statement outlives a reconnect.
    m_query = QSqlQuery();
    m_fieldNames.clear();
    m_open = false;
    m_eof = true;
    m_rowCount = 0;
}

void Query::next()
{
    if (m_eof)
        return;
    m_eof = !m_query.next();
    if (!m_eof)
        ++m_rowCount;
    else if (m_query.lastError().isValid())
        throw m_connection.failure(m_query.lastError(), m_query.lastQuery(), {});
}

int Query::fieldCount() const
{
    return static_cast<int>(m_fieldNames.size());
}

QString Query::fieldName(int position) const
{
    return m_fieldNames.value(position);
}

int Query::fieldIndex(const QString& name) const
{
    for (qsizetype i = 0; i < m_fieldNames.size(); ++i)
        if (m_fieldNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

QVariant Query::value(int position) const
{
    if (m_eof)
        return {};
    return m_query.value(position);
}

QVariant Query::value(const QString& name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(QStringLiteral("字段 %1 不存在").arg(name));
    return value(i);
}

QString Query::asString(const QString& name) const
{
    return value(name).toString();
}

int Query::asInteger(const QString& name) const
{
    const QVariant v = value(name);
    if (v.typeId() == QMetaType::QString)
        return v.toString().trimmed().toInt();
    return v.toInt();
}

double Query::asFloat(const QString& name) const
{
    return value(name).toDouble();
}

bool Query::asBoolean(const QString& name) const
{
    return m_connection.dialect().fromDb(value(name), ColumnType::Boolean).toBool();
}

QDateTime Query::asDateTime(const QString& name) const
{
    return m_connection.dialect().fromDb(value(name), ColumnType::DateTime).toDateTime();
}

} // namespace zu
