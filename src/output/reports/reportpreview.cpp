#include "reportpreview.h"

#include "data/datamodule.h"
#include "data/errors.h"
#include "data/guard.h"
#include "report/customerrecords.h"
#include "report/reportdocument.h"
#include "report/reportrenderer.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

namespace zu {

QString reportTemplatePath(const QString& fileName)
{
    return data().homePath(QStringLiteral("Reports/") + fileName);
}

void previewReport(QWidget* parent, const QString& fileName)
{
    TfrmData& d = data();
    ReportDocument document;
    QString error;
    if (!document.load(reportTemplatePath(fileName), &error))
        throw CommandError(error);
    DataSet& customers = d.qryCustom();
    if (!customers.isOpen())
        customers.open();
    CustomerRecordSource records(customers);
    ReportEnvironment environment;
    environment.company = readCompanyInfo(d.conn());

    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QStringLiteral("打印预览 - ") + fileName);
    preview.setWindowState(Qt::WindowMaximized);
    // Each request paints the pages anew, so an earlier run's pages are never shown.
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
        guarded(&preview, [&] {
            ReportRenderer renderer(document.report(), records, environment);
            QString failure;
            if (!renderer.render(*target, &failure))
                throw CommandError(failure);
        });
    });
    preview.exec();
}

} // namespace zu
