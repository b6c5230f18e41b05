#include "reportcommands.h"

#include "data/datamodule.h"
#include "data/errors.h"
#include "report/customerrecords.h"
#include "report/designer/printpreview.h"
#include "report/designer/reportdesigner.h"
#include "report/reportdocument.h"

namespace zu {

QString reportTemplatePath(const QString& fileName)
{
    return data().homePath(QStringLiteral("Reports/") + fileName);
}

namespace {

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
    showPrintPreview(parent, fileName, command.document.report(), command.records, command.environment);
}

void designReport(QWidget* parent, const QString& fileName)
{
    ReportCommand command(fileName);
    ReportDesigner designer(command.document, &command.records, command.environment, parent);
    fillScreen(designer);
    designer.exec();
}

} // namespace zu
