#include "reportcommands.h"

#include "data/datamodule.h"
#include "data/errors.h"
#include "data/guard.h"
#include "report/customerrecords.h"
#include "report/designer/reportdesigner.h"
#include "report/reportdocument.h"
#include "report/reportrenderer.h"

#include <QPrinter>
#include <QPrintPreviewDialog>
#include <QScreen>

namespace zu {

QString reportTemplatePath(const QString& fileName)
{
    return data().homePath(QStringLiteral("Reports/") + fileName);
}

namespace {

// Reports want all the room there is; without a window manager to maximise them, they take the
// screen's free area themselves.
void fillScreen(QWidget& window)
{
    if (const QScreen* screen = window.screen())
        window.setGeometry(screen->availableGeometry());
    window.setWindowState(Qt::WindowMaximized);
}

// What every report command starts from: its own template, freshly loaded, and the customer list.
struct ReportCommand
{
    explicit ReportCommand(const QString& fileName) : records(openCustomers())
    {
        QString error;
        if (!document.load(reportTemplatePath(fileName), &error))
            throw CommandError(error);
        environment.company = readCompanyInfo(data().conn());
    }

    static DataSet& openCustomers()
    {
        DataSet& customers = data().qryCustom();
        if (!customers.isOpen())
            customers.open();
        return customers;
    }

    ReportDocument document;
    CustomerRecordSource records;
    ReportEnvironment environment;
};

} // namespace

void previewReport(QWidget* parent, const QString& fileName)
{
    ReportCommand command(fileName);

    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QStringLiteral("打印预览 - ") + fileName);
    fillScreen(preview);
    // Each request paints the pages anew, so an earlier run's pages are never shown.
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
        guarded(&preview, [&] {
            ReportRenderer renderer(command.document.report(), command.records, command.environment);
            QString failure;
            if (!renderer.render(*target, &failure))
                throw CommandError(failure);
        });
    });
    preview.exec();
}

void designReport(QWidget* parent, const QString& fileName)
{
    ReportCommand command(fileName);
    ReportDesigner designer(command.document, &command.records, command.environment, parent);
    fillScreen(designer);
    designer.exec();
}

} // namespace zu
