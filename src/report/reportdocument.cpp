#include "reportdocument.h"

#include "templatefile.h"

namespace zu {

void ReportDocument::clear()
{
    m_report = ReportTemplate();
    m_fileName.clear();
}

bool ReportDocument::load(const QString& path, QString* error)
{
    clear();
    ReportTemplate loaded;
    if (!loadTemplate(path, &loaded, error))
        return false;
    m_report = std::move(loaded);
    m_fileName = path;
    return true;
}

bool ReportDocument::save(QString* error) const
{
    if (!isLoaded()) {
        if (error)
            *error = QStringLiteral("没有载入报表模板");
        return false;
    }
    return saveTemplate(m_report, m_fileName, error);
}

} // namespace zu
