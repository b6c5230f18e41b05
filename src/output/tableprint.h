#pragma once

#include <QImage>
#include <QString>

class QAbstractItemModel;
class QPrinter;
class QTextDocument;
class QWidget;

namespace zu {

// A table as the user sees it, printed: the title, a picture where there is one (a chart), then
// the titles and texts of every row, in the order it shows them, across as many pages as it takes.
void PreviewTable(QWidget* parent, const QAbstractItemModel& table, const QString& title,
                  const QImage& picture = {});

// The printed document of a table (what the preview pages through).
void fillTableDocument(QTextDocument& document, const QAbstractItemModel& table, const QString& title,
                       const QImage& picture = {});

// Prints the document of a table on a printer (or into a PDF file), as the preview does.
void printTable(QPrinter& printer, const QAbstractItemModel& table, const QString& title,
                const QImage& picture = {});

} // namespace zu
