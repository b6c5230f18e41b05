#include "autobackup.h"

#include "backupnames.h"
#include "embeddedbackup.h"

#include "data/datamodule.h"
#include "data/inifile.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

namespace zu {

namespace {

const QString kSection = QStringLiteral("config");

QString dayText(const QDate& day)
{
    return day.toString(QStringLiteral("yyyy-MM-dd"));
}

struct Dated
{
    QString name;
    QDate day;
};

int weekKey(const QDate& day)
{
    int year = 0;
    const int week = day.weekNumber(&year);
    return year * 100 + week;
}

} // namespace

AutomaticBackupSettings readAutomaticBackupSettings(const IniFile& ini)
{
    AutomaticBackupSettings s;
    s.enabled = ini.readInteger(kSection, QStringLiteral("AutoBackup"), 1) != 0;
    s.rule.days = std::max(1, ini.readInteger(kSection, QStringLiteral("AutoBackupDays"), s.rule.days));
    s.rule.weeks = std::max(0, ini.readInteger(kSection, QStringLiteral("AutoBackupWeeks"), s.rule.weeks));
    return s;
}

QDate automaticBackupDay(const QString& name, const QString& extension)
{
    static const QRegularExpression pattern(
        QStringLiteral("^%1(\\d{4}-\\d{2}-\\d{2})(_\\d{6}(_\\d+)?)?$").arg(QLatin1String(kAutomaticBackup)));
    if (!name.endsWith(extension, Qt::CaseInsensitive))
        return {};
    const QRegularExpressionMatch m = pattern.match(name.left(name.size() - extension.size()));
    if (!m.hasMatch())
        return {};
    return QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd"));
}

QStringList rotatedOut(const QStringList& names, const QString& extension, const RotationRule& rule)
{
    QList<Dated> backups;
    for (const QString& name : names)
        if (const QDate day = automaticBackupDay(name, extension); day.isValid())
            backups.append({name, day});
    // Newest first; within a day the name orders them (the first of the day has no time in it).
    std::sort(backups.begin(), backups.end(), [](const Dated& a, const Dated& b) {
        return a.day != b.day ? a.day > b.day : a.name > b.name;
    });

    QSet<QDate> keptDays;
    QSet<int> keptWeeks;
    QStringList out;
    for (const Dated& b : std::as_const(backups)) {
        if (keptDays.contains(b.day))
            continue;
        if (keptDays.size() < rule.days) {
            keptDays.insert(b.day);
            continue;
        }
        const int week = weekKey(b.day);
        if (!keptWeeks.contains(week) && keptWeeks.size() < rule.weeks) {
            keptWeeks.insert(week); // the newest of that week, the older ones of it go
            continue;
        }
        out << b.name;
    }
    return out;
}

AutomaticBackup runAutomaticBackup(const QString& folder, const QDateTime& now, const QString& extension,
                                   const RotationRule& rule, const BackupWriter& write, bool evenIfDone)
{
    AutomaticBackup result;
    result.abandoned = removeAbandonedBackups(folder);
    const QDir dir(folder);
    const QString stem = QLatin1String(kAutomaticBackup) + dayText(now.date());
    const QStringList before = dir.entryList({QLatin1Char('*') + extension}, QDir::Files, QDir::Name);
    const bool doneToday = std::any_of(before.cbegin(), before.cend(), [&](const QString& name) {
        return automaticBackupDay(name, extension) == now.date();
    });
    if (!doneToday || evenIfDone)
        result.written = writeNewBackup(folder, stem, now, extension, write);

    const QStringList present = dir.entryList({QLatin1Char('*') + extension}, QDir::Files, QDir::Name);
    for (const QString& name : rotatedOut(present, extension, rule))
        if (QFile::remove(dir.filePath(name)))
            result.removed << name;
    return result;
}

AutomaticBackup automaticBackupAtStart(TfrmData& dataModule, const QDateTime& now)
{
    const QString folder = backupFolder(dataModule.ConfigIni(), dataModule.homeDir());
    const AutomaticBackupSettings settings = readAutomaticBackupSettings(dataModule.ConfigIni());
    // A server's backups are its administrator's (zu-conntool backup in a scheduled job).
    if (settings.enabled && dataModule.dialect().backupMethod == BackupMethod::SqliteVacuumInto)
        return runAutomaticBackup(folder, now, dataModule.dialect().backupExtension, settings.rule,
                                  embeddedBackupWriter(dataModule.conn()));
    AutomaticBackup cleared;
    cleared.abandoned = removeAbandonedBackups(folder);
    return cleared;
}

} // namespace zu
