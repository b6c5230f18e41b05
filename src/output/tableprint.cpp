#include "tableprint.h"

#include "data/errors.h"
#include "widgets/dialogs.h"

#include <QAbstractItemModel>
#include <QPrinter>
#include <QPrintPreviewDialog>
#include <QTextDocument>

namespace zu {

void fillTableDocument(QTextDocument& document, const QAbstractItemModel& table, const QString& title)
{
    QString html = QStringLiteral("<h3>%1</h3><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr>")
                       .arg(title.toHtmlEscaped());
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

void PreviewTable(QWidget* parent, const QAbstractItemModel& table, const QString& title)
{
    if (table.rowCount() == 0) {
        dialogs().inform(parent, QStringLiteral("提示"), QStringLiteral("没有数据,不能打印!"),
                         QMessageBox::Information);
        abortSilently();
    }
    QTextDocument document;
    fillTableDocument(document, table, title);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&document](QPrinter* target) { document.print(target); });
    preview.exec();
}

} // namespace zu
