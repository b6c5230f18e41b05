#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariantList>

namespace zu {

class DataSet;
class SqlDialect;

// The conditions of the customer search: texts a column must contain, and date ranges.
struct CustomerSearch
{
    struct Text
    {
        QString column;
        QString text;
    };
    struct Range
    {
        QString column;
        QDate from;
        QDate to;
    };
    QList<Text> texts;   // an empty text is no condition
    QList<Range> ranges; // ticked ranges only
    // A chosen category: its customers and those of its descendants, by code (empty: none).
    QString categoryCode;

    struct Condition
    {
        QString where; // "1=1" followed by one "and" per condition
        QVariantList bindValues;
    };
    // Every condition must hold. A range keeps the search's one-day margins: values after the day
    // before `from` and before the day after `to`.
    Condition condition(const SqlDialect& dialect) const;
};

// The customer window's tree click: every customer (for the root's empty code) or those filed
// under the category `code` and its descendants, in key order.
void openCustomersOfCategory(DataSet& customers, const QString& code);

// The customer picker's class box: the customers of one class; an empty class stands for the
// customers without one.
void openCustomersOfClass(DataSet& customers, const QString& className);

} // namespace zu
