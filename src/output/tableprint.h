#pragma once

#include <QString>

class QAbstractItemModel;
class QTextDocument;
class QWidget;

namespace zu {

// A table as the user sees it, printed: the title, then the titles and texts of every row, in
// the order it shows them, across as many pages as it takes.
void PreviewTable(QWidget* parent, const QAbstractItemModel& table, const QString& title);

// The printed document of a table (what the preview pages through).
void fillTableDocument(QTextDocument& document, const QAbstractItemModel& table, const QString& title);

} // namespace zu
