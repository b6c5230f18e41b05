#include "tableprint.h"

#include "data/errors.h"
#include "widgets/dialogs.h"

#include <QAbstractItemModel>
#include <QPrinter>
#include <QPrintPreviewDialog>
#include <QTextDocument>
#include <QUrl>

namespace zu {

namespace {

const QUrl kPictureUrl(QStringLiteral("zu-picture:chart"));

} // namespace

void fillTableDocument(QTextDocument& document, const QAbstractItemModel& table, const QString& title,
                       const QImage& picture)
{
    QString html = QStringLiteral("<h3>%1</h3>").arg(title.toHtmlEscaped());
    if (!picture.isNull()) {
        document.addResource(QTextDocument::ImageResource, kPictureUrl, picture);
        // As wide as a landscape page's text, the picture's proportions kept.
        const int width = 680;
        html += QStringLiteral("<p><img src=\"%1\" width=\"%2\" height=\"%3\"></p>")
                    .arg(kPictureUrl.toString())
                    .arg(width)
                    .arg(width * picture.height() / std::max(1, picture.width()));
    }
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr>");
    for (int c = 0; c < table.columnCount(); ++c)
        html +=
            QStringLiteral("<th>%1</th>").arg(table.headerData(c, Qt::Horizontal).toString().toHtmlEscaped());
    html += QStringLiteral("</tr>");
    for (int r = 0; r < table.rowCount(); ++r) {
        html += QStringLiteral("<tr>");
        for (int c = 0; c < table.columnCount(); ++c)
            html += QStringLiteral("<td>%1</td>").arg(table.index(r, c).data().toString().toHtmlEscaped());
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    document.setHtml(html);
}

void printTable(QPrinter& printer, const QAbstractItemModel& table, const QString& title,
                const QImage& picture)
{
    QTextDocument document;
    fillTableDocument(document, table, title, picture);
    document.print(&printer);
}

void PreviewTable(QWidget* parent, const QAbstractItemModel& table, const QString& title,
                  const QImage& picture)
{
    if (table.rowCount() == 0) {
        dialogs().inform(parent, QStringLiteral("提示"), QStringLiteral("没有数据,不能打印!"),
                         QMessageBox::Information);
        abortSilently();
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&](QPrinter* target) { printTable(*target, table, title, picture); });
    preview.exec();
}

} // namespace zu
