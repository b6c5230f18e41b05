#pragma once

#include "reportenvironment.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace zu {

class ReportDataSource;

// The count and the sums of a run of records: a group, or the whole report.
struct ReportTotals
{
    int count = 0;
    QHash<QString, double> sums; // by field name; fields without a value add nothing
};

// Where a text is printed: the page, the record and the counts the system values show.
struct ExpansionContext
{
    const ReportEnvironment* environment = nullptr;
    const ReportDataSource* source = nullptr; // positioned on the record being printed
    const ReportTotals* totals = nullptr;     // what [SUM(...)] and [COUNT()] add up
    int page = 0;
    int pageCount = 0;
    int recordNumber = 0; // 1-based within the report; 0 outside the master data
    int recordCount = 0;  // records the report prints
    bool literal = false; // the designer: every text as it is written
};

// What a reference between brackets names.
struct Reference
{
    enum class Kind
    {
        SystemValue, // [页码]
        Field,       // [客户记录."客户名称"]
        Sum,         // [SUM(客户记录."总金额")]
        Count,       // [COUNT()]
        Unknown,     // anything else: printed as it is written
    };
    Kind kind = Kind::Unknown;
    QString name; // the system value or the field
};

// Reads the text between the brackets of a reference. Quotation marks may be straight or Chinese
// (“客户名称”), the dot a Chinese full stop; a field must be one of `fields` of `dataSet`.
Reference parseReference(const QString& inner, const QString& dataSet, const QStringList& fields);

// Expands the references of a text object:
//   [数据集."字段"]  a field of the data source named 数据集 (also [数据集.字段])
//   [日期] [时间] [页码] [总页数] [行号] [记录数]
//   [公司名称] [联系人] [公司地址] [公司电话] [公司传真] [公司邮箱]
//   [SUM(数据集."字段")] [COUNT()]  the sum of a numeric field and the number of records of the
//                                   group (in a group header or footer) or of the report
// A number format applies to numeric field values and sums, a date format to date values. A
// reference that names nothing known stays as it is written, so a mistake shows on the page.
QString expandText(const QString& text, const ExpansionContext& context, const QString& numberFormat = {},
                   const QString& dateFormat = {});

// The references of a text that name nothing known, as written, brackets included.
QStringList unknownReferences(const QString& text, const QString& dataSet, const QStringList& fields);

// A text as the designer shows it: fields by their names alone ([客户名称]), sums and counts in
// words ([合计 总金额], [计数]); everything else as written.
QString friendlyText(const QString& text, const QString& dataSet, const QStringList& fields);

// The fields a text prints or sums.
QStringList referencedFields(const QString& text, const QString& dataSet, const QStringList& fields);

// The fields a text sums with [SUM(...)].
QStringList summedFields(const QString& text, const QString& dataSet, const QStringList& fields);

// A field value as text: number format "#,##0.00" (grouping, two decimals), "0" and the like
// with optional literal text before and after; date format as QDateTime::toString.
QString formatValue(const QVariant& value, const QString& numberFormat, const QString& dateFormat);
QString formatNumber(double value, const QString& numberFormat);

} // namespace zu
