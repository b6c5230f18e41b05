#include "printpreview.h"

#include "data/errors.h"
#include "designermodel.h"
#include "report/reportdatasource.h"
#include "report/reportrenderer.h"
#include "widgets/dialogs.h"
#include "widgets/guard.h"

#include <QAction>
#include <QCoreApplication>
#include <QPrinter>
#include <QPrintPreviewDialog>
#include <QScreen>

namespace zu {

namespace {

// The preview's own page setup would be overruled by the template's page: not offered.
void hidePageSetup(QPrintPreviewDialog& preview)
{
    const QStringList hidden = {QCoreApplication::translate("QPrintPreviewDialog", "Page setup"),
                                QCoreApplication::translate("QPrintPreviewDialog", "Portrait"),
                                QCoreApplication::translate("QPrintPreviewDialog", "Landscape")};
    for (QAction* action : preview.findChildren<QAction*>()) {
        if (hidden.contains(action->text()))
            action->setVisible(false);
    }
}

} // namespace

QStringList unknownReferencesOf(const ReportTemplate& report, const ReportDataSource& records)
{
    DesignerModel model(report);
    model.setFields(records.name(), records.fieldNames());
    return model.unknownReferences();
}

void showPrintPreview(QWidget* parent, const QString& name, const ReportTemplate& report,
                      ReportDataSource& records, const ReportEnvironment& environment)
{
    const QStringList unknown = unknownReferencesOf(report, records);
    if (!unknown.isEmpty()) {
        const QString text =
            QStringLiteral(
                "报表中有以下引用不是数据集“%1”的字段，也不是系统变量，将按原样打印：\n%2\n\n仍要预览吗？")
                .arg(records.name(), unknown.join(u'\n'));
        if (dialogs().message(parent, QStringLiteral("报表预览"), text, QMessageBox::Warning,
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
    }
    QPrinter printer(QPrinter::HighResolution);
    // The pages lie as they print from the start, so that the preview shows them so.
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(report.page.pageSize(), report.page.orientation, QMarginsF(0, 0, 0, 0),
                                      QPageLayout::Millimeter));
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QStringLiteral("打印预览 - ") + name);
    hidePageSetup(preview);
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
