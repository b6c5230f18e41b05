#pragma once

#include "reporttemplate.h"

#include <QString>

namespace zu {

// The report component: the one template loaded at a time and the file it came from. Loading
// first discards what was loaded, so a failed load leaves nothing loaded.
class ReportDocument final
{
public:
    bool load(const QString& path, QString* error);
    // Writes the template back to the file it was loaded from.
    bool save(QString* error) const;
    void clear();

    bool isLoaded() const { return !m_fileName.isEmpty(); }
    QString fileName() const { return m_fileName; }
    const ReportTemplate& report() const { return m_report; }
    ReportTemplate& report() { return m_report; }

private:
    ReportTemplate m_report;
    QString m_fileName;
};

} // namespace zu
