#include "reportdatasource.h"

#include <algorithm>

namespace zu {

MemoryDataSource::MemoryDataSource(QString name, QStringList fields, QList<QVariantList> rows, int current)
    : m_name(std::move(name)), m_fields(std::move(fields)), m_rows(std::move(rows)), m_current(current)
{
}

void MemoryDataSource::next()
{
    if (m_row < m_rows.size())
        ++m_row;
}

bool MemoryDataSource::toCurrent()
{
    if (m_current < 0 || m_current >= m_rows.size()) {
        m_row = m_rows.size();
        return false;
    }
    m_row = m_current;
    return true;
}

QStringList MemoryDataSource::numericFields() const
{
    QStringList numeric;
    for (qsizetype i = 0; i < m_fields.size() && !m_rows.isEmpty() && i < m_rows.first().size(); ++i) {
        const int type = m_rows.first().at(i).typeId();
        if (type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::Double)
            numeric << m_fields.at(i);
    }
    return numeric;
}

bool MemoryDataSource::seek(int row)
{
    m_row = row < 0 ? m_rows.size() : std::min<qsizetype>(row, m_rows.size());
    return !eof();
}

QVariant MemoryDataSource::value(const QString& field) const
{
    const qsizetype column = m_fields.indexOf(field);
    if (column < 0 || eof() || column >= m_rows.at(m_row).size())
        return {};
    return m_rows.at(m_row).at(column);
}

} // namespace zu
