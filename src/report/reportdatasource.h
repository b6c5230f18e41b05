#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace zu {

// The records a report prints, walked like a cursor. A source keeps its own position, so walking
// it for a report never moves the current row of a window's list.
class ReportDataSource
{
public:
    virtual ~ReportDataSource() = default;

    // The name templates refer to it by, as in [客户记录."客户名称"].
    virtual QString name() const = 0;
    virtual QStringList fieldNames() const = 0;
    // The fields that hold amounts and counts, which a report may add up; none known by default.
    virtual QStringList numericFields() const { return {}; }

    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
    // Positions on the record the user has selected; false when there is none.
    virtual bool toCurrent() = 0;
    // Positions on the row-th record (0-based, in the source's order); false past the last.
    virtual bool seek(int row) = 0;

    // A field of the record under the cursor; an invalid value for an unknown field.
    virtual QVariant value(const QString& field) const = 0;

    bool hasField(const QString& field) const { return fieldNames().contains(field); }
};

// Records held in memory: sample data for the designer and the tests.
class MemoryDataSource final : public ReportDataSource
{
public:
    MemoryDataSource(QString name, QStringList fields, QList<QVariantList> rows, int current = 0);

    QString name() const override { return m_name; }
    QStringList fieldNames() const override { return m_fields; }
    // Those whose value in the first record is a number.
    QStringList numericFields() const override;
    void first() override { m_row = 0; }
    void next() override;
    bool eof() const override { return m_row >= m_rows.size(); }
    bool toCurrent() override;
    bool seek(int row) override;
    QVariant value(const QString& field) const override;

private:
    QString m_name;
    QStringList m_fields;
    QList<QVariantList> m_rows;
    int m_current = 0;
    qsizetype m_row = 0;
};

} // namespace zu
