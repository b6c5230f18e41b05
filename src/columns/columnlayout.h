#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <Qt>

namespace zu {

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

Qt::Alignment cellAlignment(const LayoutColumn& column);
// The footer cell's text for a data set of `recordCount` records: "共 N 条" under a count column.
QString footerText(const LayoutColumn& column, int recordCount);

} // namespace zu
