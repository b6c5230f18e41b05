#include "inifile.h"

#include "errors.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zu {

namespace {

bool isSectionLine(const QString& line, QString* name = nullptr)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    if (name)
        *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

bool isComment(const QString& trimmed)
{
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// The file holds the database server's password: only its owner may read or write it. A file
// that others could read is narrowed when it is opened, and every write keeps it so.
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

void keepOwnerOnly(const QString& path)
{
    const QFileDevice::Permissions now = QFile::permissions(path);
    if ((now & ~(kOwnerOnly | QFileDevice::ReadUser | QFileDevice::WriteUser)) != 0)
        QFile::setPermissions(path, kOwnerOnly);
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path))
{
    reload();
}

bool IniFile::exists() const
{
    return QFileInfo::exists(m_path);
}

void IniFile::reload()
{
    m_lines.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    keepOwnerOnly(m_path);
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_lines = text.split(QLatin1Char('\n'));
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
}

int IniFile::findSection(const QString& section) const
{
    QString name;
    for (int i = 0; i < m_lines.size(); ++i)
        if (isSectionLine(m_lines[i], &name) && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int IniFile::findKey(int sectionLine, const QString& key) const
{
    for (int i = sectionLine + 1; i < m_lines.size(); ++i) {
        const QString& line = m_lines[i];
        if (isSectionLine(line))
            return -1;
        const QString t = line.trimmed();
        if (t.isEmpty() || isComment(t))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const int s = findSection(section);
    if (s < 0)
        return defaultValue;
    const int k = findKey(s, key);
    if (k < 0)
        return defaultValue;
    const QString& line = m_lines[k];
    return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    bool ok = false;
    const int value = readString(section, key).toInt(&ok);
    return ok ? value : defaultValue;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    // Another program (the connection tool, a second instance) may have changed the file since it
    // was read: only this key is to change.
    reload();
    const QString entry = key + QLatin1Char('=') + value;
    const int s = findSection(section);
    if (s < 0) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines << QString();
        m_lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
    } else {
        const int k = findKey(s, key);
        if (k >= 0) {
            const QString& old = m_lines[k];
            m_lines[k] = old.left(old.indexOf(QLatin1Char('='))).trimmed() + QLatin1Char('=') + value;
        } else {
            // After the last non-blank line of the section.
            int insertAt = s + 1;
            for (int i = s + 1; i < m_lines.size() && !isSectionLine(m_lines[i]); ++i)
                if (!m_lines[i].trimmed().isEmpty())
                    insertAt = i + 1;
            m_lines.insert(insertAt, entry);
        }
    }
    save();
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::save() const
{
    const bool created = !QFileInfo::exists(m_path);
    QSaveFile file(m_path);
    // Unbuffered, a write the disk takes only in part says so at once.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw CommandError(QStringLiteral("无法写入配置文件 %1：%2").arg(m_path, file.errorString()));
    }
    // A new file is its owner's before the password is written into it, not only after.
    if (created)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // A full disk may take part of the text and no error: only the whole text is saved.
    const QByteArray text = (m_lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    if (file.write(text) != text.size())
        throw CommandError(QStringLiteral("无法写入配置文件 %1：磁盘可能已满").arg(m_path));
    if (!file.commit())
        throw CommandError(QStringLiteral("无法写入配置文件 %1：%2").arg(m_path, file.errorString()));
    keepOwnerOnly(m_path);
}

} // namespace zu
