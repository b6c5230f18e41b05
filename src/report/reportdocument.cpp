#include "reportdocument.h"

#include "templatefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace zu {

namespace {

// Keeps a copy of the file as it is now; true when there is nothing to keep.
bool keepBackup(const QString& path, const QDateTime& now, QString* error)
{
    const QFileInfo info(path);
    if (!info.exists())
        return true;
    const QDir folder(ReportDocument::backupFolder(path));
    const QString base = info.completeBaseName();
    const QString stamp = now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString backup = folder.filePath(QStringLiteral("%1-%2.%3").arg(base, stamp, info.suffix()));
    for (int n = 2; QFileInfo::exists(backup); ++n)
        backup = folder.filePath(QStringLiteral("%1-%2-%3.%4").arg(base, stamp).arg(n).arg(info.suffix()));
    if (!QDir().mkpath(folder.path()) || !QFile::copy(path, backup)) {
        if (error)
            *error =
                QStringLiteral("无法保存报表模板的备份 %1，模板未保存").arg(QDir::toNativeSeparators(backup));
        return false;
    }
    // The oldest go; the stamps sort by time.
    const QRegularExpression ours(
        QStringLiteral("^%1-\\d{8}-\\d{6}(-\\d+)?\\.%2$")
            .arg(QRegularExpression::escape(base), QRegularExpression::escape(info.suffix())));
    QStringList kept = folder.entryList(QDir::Files, QDir::Name).filter(ours);
    while (kept.size() > kTemplateBackupsKept)
        QFile::remove(folder.filePath(kept.takeFirst()));
    return true;
}

} // namespace

QString ReportDocument::backupFolder(const QString& templatePath)
{
    return QFileInfo(templatePath).dir().filePath(QStringLiteral("备份"));
}

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

bool ReportDocument::save(QString* error, const QDateTime& now) const
{
    if (!isLoaded()) {
        if (error)
            *error = QStringLiteral("没有载入报表模板");
        return false;
    }
    return keepBackup(m_fileName, now, error) && saveTemplate(m_report, m_fileName, error);
}

} // namespace zu
