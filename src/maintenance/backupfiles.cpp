#include "backupfiles.h"

#include "data/errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/file.h>
#include <unistd.h>

namespace zu {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The partial file of a backup whose writer is gone: nobody holds its lock.
bool isAbandoned(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

} // namespace

PartialBackup::PartialBackup(const QString& folder)
    : m_file(QDir(folder).filePath(QLatin1String(kPartialBackupPrefix) + QStringLiteral("XXXXXX")))
{
    m_file.setAutoRemove(false);
    if (!m_file.open())
        throw CommandError(QStringLiteral("无法写入文件夹 %1：%2")
                               .arg(QDir::toNativeSeparators(folder), m_file.errorString()));
    m_path = m_file.fileName();
    // Held until this object goes, also while another program (sqlite, pg_dump) writes the file.
    if (::flock(m_file.handle(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        m_file.close();
        QFile::remove(m_path);
        throw CommandError(QStringLiteral("无法锁定文件 %1：%2").arg(m_path, systemError(error)));
    }
}

PartialBackup::~PartialBackup()
{
    // Removed before the lock goes with the handle: a cleaner never sees it unlocked.
    if (!m_placed)
        QFile::remove(m_path);
    m_file.close();
}

bool PartialBackup::placeAsNew(const QString& target)
{
    const QByteArray from = QFile::encodeName(m_path);
    const QByteArray to = QFile::encodeName(target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        m_placed = true;
        return true;
    }
    int error = errno;
    if (error == EEXIST)
        return false;
    if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP) {
        // A file system without the no-replace rename: a hard link fails in the same way.
        if (::link(from.constData(), to.constData()) == 0) {
            ::unlink(from.constData());
            m_placed = true;
            return true;
        }
        error = errno;
        if (error == EEXIST)
            return false;
        if (error == EPERM || error == EOPNOTSUPP) {
            // Nor hard links (a memory stick): look first, then rename.
            if (QFileInfo::exists(target))
                return false;
            placeReplacing(target);
            return true;
        }
    }
    throw CommandError(
        QStringLiteral("无法写入文件 %1：%2").arg(QDir::toNativeSeparators(target), systemError(error)));
}

void PartialBackup::placeReplacing(const QString& target)
{
    // rename() replaces the target in one step: the old file is there until the new one is.
    if (std::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(target).constData()) != 0)
        throw CommandError(
            QStringLiteral("无法写入文件 %1：%2").arg(QDir::toNativeSeparators(target), systemError(errno)));
    m_placed = true;
}

QStringList removeAbandonedBackups(const QString& folder)
{
    QDir dir(folder);
    const QStringList partial = dir.entryList({QLatin1String(kPartialBackupPrefix) + QLatin1Char('*')},
                                              QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    QStringList removed;
    for (const QString& name : partial) {
        const QString path = dir.filePath(name);
        if (isAbandoned(path) && QFile::remove(path))
            removed << name;
    }
    return removed;
}

QString writeNewBackup(const QString& folder, const QString& stem, const QDateTime& when,
                       const QString& extension, const BackupWriter& write)
{
    PartialBackup partial(folder);
    write(partial.path());
    const QDir dir(folder);
    const QString timed = stem + QLatin1Char('_') + when.toString(QStringLiteral("HHmmss"));
    QStringList candidates{stem + extension, timed + extension};
    for (int n = 2; n < 100; ++n)
        candidates << timed + QStringLiteral("_%1").arg(n) + extension;
    for (const QString& name : candidates) {
        const QString target = dir.filePath(name);
        if (partial.placeAsNew(target))
            return target;
    }
    throw CommandError(QStringLiteral("文件夹 %1 中同名的备份太多").arg(QDir::toNativeSeparators(folder)));
}

void writeBackupReplacing(const QString& target, const BackupWriter& write)
{
    PartialBackup partial(QFileInfo(target).absolutePath());
    write(partial.path());
    partial.placeReplacing(target);
}

QList<BackupFileInfo> backupFileInfos(const QString& folder, const QString& extension)
{
    QDir dir(folder);
    dir.setNameFilters({QLatin1Char('*') + extension});
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    QList<BackupFileInfo> out;
    for (const QFileInfo& info : dir.entryInfoList())
        out.append({.name = info.fileName(), .written = info.lastModified(), .size = info.size()});
    return out;
}

QString fileSizeText(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 字节").arg(bytes);
    const double kb = bytes / 1024.0;
    if (kb < 1024)
        return QStringLiteral("%1 KB").arg(kb, 0, 'f', 1);
    const double mb = kb / 1024.0;
    if (mb < 1024)
        return QStringLiteral("%1 MB").arg(mb, 0, 'f', 1);
    return QStringLiteral("%1 GB").arg(mb / 1024.0, 0, 'f', 2);
}

} // namespace zu
