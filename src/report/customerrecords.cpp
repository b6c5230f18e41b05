#include "customerrecords.h"

#include "data/dataset.h"

namespace zu {

namespace {

constexpr CustomerReportField kFields[] = {
    {"客户ID", "CusttityID"},
    {"客户名称", "CustName"},
    {"客户编码", "IDCode"},
    {"客户地址", "Address"},
    {"客户电话", "Phone"},
    {"客户手机", "Mobile"},
    {"客户类别", "classCode"},
    {"机身编码", "GoodsCode"},
    {"型号", "Goodsunit"},
    {"数量", "Number", true},
    {"单价", "Price", true},
    {"总金额", "Money", true},
    {"赠品名称A", "GiftnameA"},
    {"赠品名称B", "GiftnameB"},
    {"赠品数量A", "GiftNumberA", true},
    {"赠品数量B", "GiftNumberB", true},
    {"实际收款", "gathering", true},
    {"购买地点", "Emptionaddress"},
    {"购买日期", "EmptionDate"},
    {"安装部", "Install"},
    {"预约安装时间", "OrderDate"},
    {"从约安装时间", "AgainDate"},
    {"邮政编码", "Zipcode"},
    {"开单批号", "OrderCode"},
    {"票据号", "Voucherid"},
    {"业务员", "BusinessMen"},
    {"备注", "Remark"},
    {"字符串A", "CharA"},
    {"字符串B", "CharB"},
    {"字符串C", "CharC"},
    {"字符串D", "CharD"},
    {"数值A", "intA", true},
    {"数值B", "intB", true},
    {"数值C", "intC", true},
    {"数值D", "intD", true},
    {"用户提醒", "remind"},
    {"时间项A", "DateA"},
    {"时间项B", "DateB"},
    {"制单人", "exeMen"},
    {"类别编号", "TypeCode"},
};

} // namespace

QList<CustomerReportField> customerReportFields()
{
    return QList<CustomerReportField>(std::begin(kFields), std::end(kFields));
}

QString customerColumnForLabel(const QString& label)
{
    for (const CustomerReportField& f : kFields) {
        if (label == QString::fromUtf8(f.label))
            return QString::fromLatin1(f.column);
    }
    return {};
}

CustomerRecordSource::CustomerRecordSource(const DataSet& customers)
    : m_customers(customers), m_name(QString::fromUtf8(kCustomerDataSetName))
{
    // Looked up for every field of every record printed: built once.
    for (const CustomerReportField& f : kFields) {
        m_names << QString::fromUtf8(f.label);
        m_columns.insert(m_names.last(), QString::fromLatin1(f.column));
    }
}

QString CustomerRecordSource::name() const
{
    return m_name;
}

QStringList CustomerRecordSource::fieldNames() const
{
    return m_names;
}

QStringList CustomerRecordSource::numericFields() const
{
    QStringList numeric;
    for (const CustomerReportField& f : kFields) {
        if (f.numeric)
            numeric << QString::fromUtf8(f.label);
    }
    return numeric;
}

void CustomerRecordSource::next()
{
    if (!eof())
        ++m_row;
}

bool CustomerRecordSource::eof() const
{
    return !m_customers.isOpen() || m_row >= m_customers.recordCount();
}

bool CustomerRecordSource::toCurrent()
{
    const int current = m_customers.isOpen() ? m_customers.currentRow() : -1;
    if (current < 0 || current >= m_customers.recordCount()) {
        m_row = m_customers.isOpen() ? m_customers.recordCount() : 0;
        return false;
    }
    m_row = current;
    return true;
}

bool CustomerRecordSource::seek(int row)
{
    const int count = m_customers.isOpen() ? m_customers.recordCount() : 0;
    m_row = row < 0 ? count : std::min(row, count);
    return !eof();
}

QVariant CustomerRecordSource::value(const QString& field) const
{
    if (eof())
        return {};
    const QString column = m_columns.value(field);
    if (column.isEmpty())
        return {};
    const int position = m_customers.fieldIndex(column);
    if (position < 0)
        return {};
    return m_customers.value(m_row, position);
}

} // namespace zu
