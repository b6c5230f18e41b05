#pragma once

#include <QString>
#include <QStringList>

class QPrintPreviewDialog;

namespace zu::test {

// The text of a PDF (pdftotext -layout), one entry per page; empty when it cannot be read.
QStringList pdfPages(const QString& path);

// Prints what the preview shows into the PDF file `pdf` and returns its text, pages joined;
// "<pdftotext failed>" when the file cannot be read.
QString printPreviewToText(QPrintPreviewDialog* preview, const QString& pdf);

} // namespace zu::test
