#pragma once

#include <QDateTime>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

namespace zu {

class Connection;

// A statement on the shared connection whose result is walked row by row: the scratch queries
// and every single look-up. Values are always bound ("?" placeholders); failures throw DbError
// (Connection::run). A write that changed rows is told to the program (Connection::noteWritten).
class Query final
{
public:
    explicit Query(Connection& connection);

    // Close, set the statement, open it; positioned on the first row.
    void open(const QString& sql, const QVariantList& bindValues = {});
    // Close, set the statement, execute it; returns the number of rows it changed (-1 when the
    // engine cannot tell).
    int exec(const QString& sql, const QVariantList& bindValues = {});
    void close();

    bool isOpen() const { return m_open; }
    bool eof() const { return m_eof; }
    bool isEmpty() const { return m_open && m_rowCount == 0; }
    void next();

    int fieldCount() const;
    QString fieldName(int position) const;
    int fieldIndex(const QString& name) const; // letter case ignored; -1 when there is none

    QVariant value(int position) const;
    QVariant value(const QString& name) const; // throws DbError for an unknown field
    QString asString(const QString& name) const;
    int asInteger(const QString& name) const;
    double asFloat(const QString& name) const;
    bool asBoolean(const QString& name) const;
    QDateTime asDateTime(const QString& name) const;

    Connection& connection() const { return m_connection; }

private:
    void prepareAndBind(const QString& sql, const QVariantList& bindValues);

    Connection& m_connection;
    QSqlQuery m_query;
    // The result's field names, read once: the driver copies every field of the record each
    // time it is asked for it.
    QStringList m_fieldNames;
    bool m_open = false;
    bool m_eof = true;
    int m_rowCount = 0;
};

} // namespace zu
