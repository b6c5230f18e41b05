#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <Qt>

namespace zu {

class Connection;
class Query;

// One shown column of a stored column layout (a T_FieldShow row).
struct LayoutColumn
{
    QString field;    // the data-set field the column shows
    QString title;    // title text (T_FieldShow.Name)
    int width = 0;    // pixels
    int sumField = 0; // 2: the footer cell counts the records
    int dotsize = 0;  // non-zero: cells are right-aligned

    bool operator==(const LayoutColumn&) const = default;
};

// The shown columns of a layout in display order. Layout names match in any letter case;
// columns sharing a display position come in the order the database returns them.
QList<LayoutColumn> readLayout(Query& query, const QString& layoutName);

// Stores display positions (0, 1, ...) and widths of the given fields, in the order given.
// Rows of the layout that are not named keep their position and width. Fewer than two columns
// store nothing.
void saveLayout(Query& query, const QString& layoutName, const QList<QPair<QString, int>>& fieldsAndWidths);

// The titles of every column of a layout, shown or not, in the order the rows were added (the
// field choices of the list windows' keyword searches).
QStringList layoutTitles(Query& query, const QString& layoutName);
// The titles of a layout's shown or hidden columns, in the order the rows were added (the
// column chooser's two lists).
QStringList layoutTitles(Query& query, const QString& layoutName, bool shown);
// The field of the first column titled `title`, in whichever layout; empty when none is.
QString fieldOfTitle(Query& query, const QString& title);
// Hides the columns titled in `hidden` and shows those titled in `shown` (titles trimmed), all
// in one transaction: a failure leaves the layout as it was.
void storeShownColumns(Connection& connection, const QString& layoutName, const QStringList& hidden,
                       const QStringList& shown);

Qt::Alignment cellAlignment(const LayoutColumn& column);
// The footer cell's text for a data set of `recordCount` records: "共 N 条" under a count column.
QString footerText(const LayoutColumn& column, int recordCount);

} // namespace zu
