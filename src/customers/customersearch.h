#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariantList>

namespace zu {

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

    struct Condition
    {
        QString where; // "1=1" followed by one "and" per condition
        QVariantList bindValues;
    };
    // Every condition must hold. A range keeps the search's one-day margins: values after the day
    // before `from` and before the day after `to`.
    Condition condition(const SqlDialect& dialect) const;
};

} // namespace zu
