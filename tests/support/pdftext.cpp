#include "pdftext.h"

#include <QPrinter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QXmlStreamReader>

namespace zu::test {

namespace {

QByteArray runPdfToText(const QStringList& arguments)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), arguments);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

double attribute(const QXmlStreamReader& xml, const char* name)
{
    return xml.attributes().value(QLatin1String(name)).toDouble();
}

} // namespace

QStringList pdfPages(const QString& path)
{
    QStringList pages =
        QString::fromUtf8(runPdfToText({QStringLiteral("-layout"), path, QStringLiteral("-")})).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QList<PdfPage> pdfWords(const QString& path)
{
    QList<PdfPage> pages;
    QXmlStreamReader xml(runPdfToText({QStringLiteral("-bbox"), path, QStringLiteral("-")}));
    while (!xml.atEnd()) {
        if (!xml.readNextStartElement())
            continue;
        if (xml.name() == u"page") {
            pages.append({QSizeF(attribute(xml, "width"), attribute(xml, "height")), {}});
        } else if (xml.name() == u"word" && !pages.isEmpty()) {
            const QPointF from(attribute(xml, "xMin"), attribute(xml, "yMin"));
            const QPointF to(attribute(xml, "xMax"), attribute(xml, "yMax"));
            pages.last().words.append({xml.readElementText(), QRectF(from, to)});
        }
    }
    return pages;
}

QString qrCodeOnFirstPage(const QString& pdf, int dpi)
{
    const QString stem = pdf.left(pdf.size() - 4) + QStringLiteral("-qr");
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                  QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                  QStringLiteral("-singlefile"), pdf, stem});
    if (!render.waitForFinished(60000) || render.exitCode() != 0)
        return {};
    QProcess read;
    read.start(QStringLiteral("zbarimg"),
               {QStringLiteral("--raw"), QStringLiteral("-q"), stem + QStringLiteral(".png")});
    if (!read.waitForFinished(60000))
        return {};
    return QString::fromUtf8(read.readAllStandardOutput()).trimmed();
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
