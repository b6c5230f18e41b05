#pragma once

#include "reportenvironment.h"

#include <QString>
#include <QVariant>

namespace zu {

class ReportDataSource;

// Where a text is printed: the page, the record and the counts the system values show.
struct ExpansionContext
{
    const ReportEnvironment* environment = nullptr;
    const ReportDataSource* source = nullptr; // positioned on the record being printed
    int page = 0;
    int pageCount = 0;
    int recordNumber = 0; // 1-based within the report; 0 outside the master data
    int recordCount = 0;  // records the report prints
    bool literal = false; // the designer: every text as it is written
};

// Expands the references of a text object:
//   [数据集."字段"]  a field of the data source named 数据集 (also [数据集.字段])
//   [日期] [时间] [页码] [总页数] [行号] [记录数]
//   [公司名称] [联系人] [公司地址] [公司电话] [公司传真] [公司邮箱]
// A number format applies to numeric field values, a date format to date values. A reference
// that names nothing known stays as it is written, so a mistake shows on the page.
QString expandText(const QString& text, const ExpansionContext& context, const QString& numberFormat = {},
                   const QString& dateFormat = {});

// A field value as text: number format "#,##0.00" (grouping, two decimals), "0" and the like
// with optional literal text before and after; date format as QDateTime::toString.
QString formatValue(const QVariant& value, const QString& numberFormat, const QString& dateFormat);
QString formatNumber(double value, const QString& numberFormat);

} // namespace zu
