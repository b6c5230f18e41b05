#pragma once

#include <functional>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

namespace zu {

// How backup files come into being: written under a hidden name beside their place, then put in
// place in one step, so that at no moment a half-written file carries a backup's name and an
// earlier backup is never gone before its successor is complete.

// Fills the file at the path it is given with a backup (the file exists and is empty).
using BackupWriter = std::function<void(const QString& path)>;

// A backup being written: an empty file ".zu-backup-XXXXXX" in the target's folder, locked for as
// long as this object lives. The lock tells a backup in progress (of this or another program on
// the same folder) from one whose writer was killed, which removeAbandonedBackups() clears away.
class PartialBackup final
{
public:
    // Throws CommandError when the folder cannot be written.
    explicit PartialBackup(const QString& folder);
    ~PartialBackup(); // removes the file unless it was put in place
    PartialBackup(const PartialBackup&) = delete;
    PartialBackup& operator=(const PartialBackup&) = delete;

    QString path() const { return m_path; }

    // Gives the finished file the name `target`; false, and nothing changed, when a file of that
    // name exists. Throws CommandError on any other failure.
    bool placeAsNew(const QString& target);
    // Gives the finished file the name `target`, replacing in one step a file of that name.
    void placeReplacing(const QString& target);

private:
    QTemporaryFile m_file;
    QString m_path;
    bool m_placed = false;
};

inline constexpr const char* kPartialBackupPrefix = ".zu-backup-";

// Removes the partial files of interrupted backups in `folder` (those no living writer holds) and
// returns their names.
QStringList removeAbandonedBackups(const QString& folder);

// Writes a backup through `write` into `folder` as stem + extension, or, when that name is taken,
// stem + "_" + the time (hhmmss) + extension, then with "_2", "_3" ...: never over another file.
// Returns the path written. Throws CommandError or DbError; nothing is left behind then.
QString writeNewBackup(const QString& folder, const QString& stem, const QDateTime& when,
                       const QString& extension, const BackupWriter& write);

// Writes a backup through `write` to `target`; a file of that name is replaced only once the new
// one is complete. Throws CommandError or DbError; `target` is then as it was.
void writeBackupReplacing(const QString& target, const BackupWriter& write);

// A backup file as the backup window lists it.
struct BackupFileInfo
{
    QString name;
    QDateTime written; // last written, local time
    qint64 size = 0;   // bytes
};

// The files in `folder` whose name ends in `extension` (letter case ignored), sorted by name.
QList<BackupFileInfo> backupFileInfos(const QString& folder, const QString& extension);

// "980 字节", "12.3 KB", "4.5 MB", "1.20 GB"
QString fileSizeText(qint64 bytes);

} // namespace zu
