#pragma once

#include "report/reportenvironment.h"

#include <QString>

class QWidget;

namespace zu {

class ReportDataSource;
struct ReportTemplate;

// Shows the report in Qt's print preview (print, page setup, zoom, pages, PDF), titled
// "打印预览 - " + `name`, until the user closes it. Every repaint renders the pages anew.
void showPrintPreview(QWidget* parent, const QString& name, const ReportTemplate& report,
                      ReportDataSource& records, const ReportEnvironment& environment);

// Gives a report window all the room there is; without a window manager to maximise it, it
// takes the screen's free area itself.
void fillScreen(QWidget& window);

} // namespace zu
