#pragma once

#include "reportdatasource.h"

#include <QHash>

namespace zu {

class DataSet;

inline constexpr const char* kCustomerDataSetName = "客户记录";

// One field of the data set "客户记录": its name in templates and the column of T_Cust.
struct CustomerReportField
{
    const char* label;
    const char* column;
    bool numeric = false; // an amount or a count
};

// The fields of "客户记录" in the order of T_Cust's columns.
QList<CustomerReportField> customerReportFields();
// The T_Cust column of a field name; empty when there is none.
QString customerColumnForLabel(const QString& label);

// The data set "客户记录": the rows of the customer list (the customer window's DataSet) under
// the report names of their columns. The current record is the list's current row.
class CustomerRecordSource final : public ReportDataSource
{
public:
    explicit CustomerRecordSource(const DataSet& customers);

    QString name() const override;
    QStringList fieldNames() const override;
    QStringList numericFields() const override;
    void first() override { m_row = 0; }
    void next() override;
    bool eof() const override;
    bool toCurrent() override;
    bool seek(int row) override;
    QVariant value(const QString& field) const override;

private:
    const DataSet& m_customers;
    QString m_name;
    QStringList m_names;               // report names, in the order of T_Cust's columns
    QHash<QString, QString> m_columns; // report name -> column
    int m_row = 0;
};

} // namespace zu
