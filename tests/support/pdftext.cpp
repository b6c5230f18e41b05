#include "pdftext.h"

#include <QPrinter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>

namespace zu::test {

QStringList pdfPages(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QString printPreviewToText(QPrintPreviewDialog* preview, const QString& pdf)
{
    QPrinter* printer = preview->printer();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdf);
    preview->findChild<QPrintPreviewWidget*>()->print();
    const QStringList pages = pdfPages(pdf);
    return pages.isEmpty() ? QStringLiteral("<pdftotext failed>") : pages.join(u'\f');
}

} // namespace zu::test
