#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace zu {

class SqlDialect;

// How each engine finds the customers whose FindText holds a text without reading every customer
// (part of the dialect, sqldialect.cpp).

// FindText holds the text bound as likeContains(): FindText and what is looked for in it are both
// in folded letter case, so the comparison need not fold them again (and is quicker).
constexpr const char* kFindTextHolds = "FindText like ? escape '!'";

// A statement and the values of its placeholders.
struct BoundSelect
{
    QString sql;
    QVariantList bindValues;
};

// The index of FindText's parts: made and filled once, then kept by the database itself at every
// write of FindText.
QStringList partIndexStatements(const SqlDialect& dialect);
// Removes it again (a database of the release before it).
QStringList partIndexDropStatements(const SqlDialect& dialect);

// The customers (CusttityID, FindText) whose FindText holds `text` (folded, not empty), looked up
// in the index of FindText's parts, the lowest keys first, at most `limit`.
BoundSelect customersHolding(const SqlDialect& dialect, const QString& text, int limit);

} // namespace zu
