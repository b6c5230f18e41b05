#pragma once

#include "reporttemplate.h"

#include <QDateTime>
#include <QString>

namespace zu {

// How many earlier versions of each template are kept.
inline constexpr int kTemplateBackupsKept = 20;

// The report component: the one template loaded at a time and the file it came from. Loading
// first discards what was loaded, so a failed load leaves nothing loaded.
class ReportDocument final
{
public:
    bool load(const QString& path, QString* error);
    // Writes the template back to the file it was loaded from. The file as it was is first kept as
    // a backup in the folder "备份" beside it ("客户列表-20250203-101500.fr3"; the newest
    // kTemplateBackupsKept of each template stay); when that fails nothing is written.
    bool save(QString* error, const QDateTime& now = QDateTime::currentDateTime()) const;
    void clear();

    bool isLoaded() const { return !m_fileName.isEmpty(); }
    QString fileName() const { return m_fileName; }
    const ReportTemplate& report() const { return m_report; }
    ReportTemplate& report() { return m_report; }

    // The folder the backups of a template file go to.
    static QString backupFolder(const QString& templatePath);

private:
    ReportTemplate m_report;
    QString m_fileName;
};

} // namespace zu
