#include "importmapping.h"

#include "data/connection.h"
#include "data/query.h"

namespace zu {

namespace {

QString tableCondition(const Query& query)
{
    return query.connection().dialect().textEquals(QStringLiteral("tablename"));
}

} // namespace

QList<MappingRow> readMapping(Query& query, const QString& table)
{
    query.open(
        QStringLiteral("select ImportID, S_Field, FieldName, F_Field, tablename from t_Import where ") +
            tableCondition(query) + QStringLiteral(" order by ImportID"),
        {table});
    QList<MappingRow> rows;
    for (; !query.eof(); query.next())
        rows.push_back({query.value(0), query.value(1).toString(), query.value(2).toString(),
                        query.value(3).toString(), query.value(4).toString()});
    query.close();
    return rows;
}

int titleColumn(const QStringList& titles, const QString& title)
{
    for (int i = 0; i < titles.size(); ++i)
        if (titles[i].compare(title, Qt::CaseInsensitive) == 0)
            return i + 1;
    return 0;
}

void pairAutomatically(Query& query, const QString& table, const QStringList& titles, int columnCount)
{
    const QList<MappingRow> rows = readMapping(query, table);
    const int paired = qMin(columnCount, static_cast<int>(rows.size()));
    TransactionGuard tx(query.connection());
    for (int i = 0; i < paired; ++i) {
        const int column = titleColumn(titles, rows[i].fieldName);
        setMappingTitle(query, rows[i].importId, column > 0 ? titles[column - 1] : QString());
    }
    tx.commit();
}

QList<ImportPair> automaticPairs(const QList<MappingRow>& rows, const QStringList& titles, int columnCount)
{
    QList<ImportPair> pairs;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QString title = rows[i].fField;
        if (i < columnCount) {
            const int column = titleColumn(titles, rows[i].fieldName);
            title = column > 0 ? titles[column - 1] : QString();
        }
        if (!title.trimmed().isEmpty())
            pairs.push_back({title, rows[i].sField, rows[i].fieldName});
    }
    return pairs;
}

void setMappingTitle(Query& query, const QVariant& importId, const QString& title)
{
    query.exec(QStringLiteral("update t_Import set F_Field = ? where ImportID = ?"), {title, importId});
}

QList<ImportPair> readPairs(Query& query, const QString& table)
{
    query.open(
        QStringLiteral("select F_Field, S_Field, FieldName from t_Import where F_Field is not null and "
                       "trim(F_Field) <> ? and ") +
            tableCondition(query) + QStringLiteral(" order by ImportID"),
        {QString(QLatin1String("")), table});
    QList<ImportPair> pairs;
    for (; !query.eof(); query.next())
        pairs.push_back({query.value(0).toString(), query.value(1).toString(), query.value(2).toString()});
    query.close();
    return pairs;
}

void clearPairing(Query& query, const QString& table)
{
    query.exec(QStringLiteral("update t_Import set F_Field = ? where ") + tableCondition(query),
               {QString(QLatin1String("")), table});
}

} // namespace zu
