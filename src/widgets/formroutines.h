#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariantList>

class QComboBox;
class QLineEdit;
class QWidget;

namespace zu {

class Query;
struct Statement;

// Refills a combo box with the second column of the statement's rows (trimmed), after a first
// item unless that is exactly "NO", and selects the item at `index`. Runs on the scratch query F.
void FillComboFromSql(QComboBox* combo, const QString& sql, const QVariantList& bindValues, int index,
                      const QString& firstItem);
void FillComboFromSql(QComboBox* combo, const Statement& statement, int index, const QString& firstItem);

// Stops the running action with `message` ("系统提示") when `table` already holds `value` in
// `column`.
void CheckUnique(Query& query, const QString& column, const QString& table, const QVariant& value,
                 const QString& message);

// Stops the running action with `message` ("系统提示") and focuses `control` when `value` is empty.
void RequireText(QWidget* control, const QString& value, const QString& message);

// Limits text boxes to the widths of the columns they write (pairs of box and column of
// `table`); a column without a width leaves its box as it is.
void limitToColumns(const QString& table, const QList<QPair<QLineEdit*, QString>>& boxes);

// Gives the container's input controls a tab order that follows their position on screen: top
// to bottom, then left to right; with `recursive` the controls inside panels follow one another.
// A container not shown yet is ordered again when it is first shown, from the places its layouts
// give the controls then.
void ArrangeTabOrder(QWidget* container, bool recursive);

} // namespace zu
