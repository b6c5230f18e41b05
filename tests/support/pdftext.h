#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPrintPreviewDialog;

namespace zu::test {

// The text of a PDF (pdftotext -layout), one entry per page; empty when it cannot be read.
QStringList pdfPages(const QString& path);

// A word of a PDF page and where it lies, in points from the page's top left corner.
struct PdfWord
{
    QString text;
    QRectF box;
};

struct PdfPage
{
    QSizeF size; // points
    QList<PdfWord> words;
};

// The words of each page (pdftotext -bbox); empty when the file cannot be read.
QList<PdfPage> pdfWords(const QString& path);

// The text of the QR code on the first page of a PDF (rendered at `dpi`, read by zbarimg of
// zbar-tools); empty when none is found.
QString qrCodeOnFirstPage(const QString& pdf, int dpi = 200);

// Prints what the preview shows into the PDF file `pdf` and returns its text, pages joined;
// "<pdftotext failed>" when the file cannot be read.
QString printPreviewToText(QPrintPreviewDialog* preview, const QString& pdf);

} // namespace zu::test
