#include "printpreview.h"

#include "data/errors.h"
#include "report/reportrenderer.h"
#include "widgets/guard.h"

#include <QPrinter>
#include <QPrintPreviewDialog>
#include <QScreen>

namespace zu {

void showPrintPreview(QWidget* parent, const QString& name, const ReportTemplate& report,
                      ReportDataSource& records, const ReportEnvironment& environment)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QStringLiteral("打印预览 - ") + name);
    fillScreen(preview);
    // Each request paints the pages anew, so an earlier run's pages are never shown.
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
        guarded(&preview, [&] {
            ReportRenderer renderer(report, records, environment);
            QString failure;
            if (!renderer.render(*target, &failure))
                throw CommandError(failure);
        });
    });
    preview.exec();
}

void fillScreen(QWidget& window)
{
    if (const QScreen* screen = window.screen())
        window.setGeometry(screen->availableGeometry());
    window.setWindowState(Qt::WindowMaximized);
}

} // namespace zu
