#pragma once

#include "report/reportenvironment.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace zu {

class ReportDataSource;
struct ReportTemplate;

// The references of a template that name neither a field of the source nor a system value,
// each as "栏名：引用".
QStringList unknownReferencesOf(const ReportTemplate& report, const ReportDataSource& records);

// Shows the report in Qt's print preview (print, zoom, pages, PDF), titled "打印预览 - " +
// `name`, until the user closes it. Every repaint renders the pages anew. The pages lie as the
// template says (its paper and orientation); the preview offers no page setup of its own, which
// the template would overrule. A template that refers to unknown fields is reported first; the
// user may still go on.
void showPrintPreview(QWidget* parent, const QString& name, const ReportTemplate& report,
                      ReportDataSource& records, const ReportEnvironment& environment);

// Gives a report window all the room there is; without a window manager to maximise it, it
// takes the screen's free area itself.
void fillScreen(QWidget& window);

} // namespace zu
