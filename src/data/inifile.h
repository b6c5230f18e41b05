#pragma once

#include <QString>
#include <QStringList>

namespace zu {

// The settings file Config.ini: sections in brackets and key=value lines, UTF-8. Section and key
// names compare without regard to letter case. Every write re-reads the file and goes to it at
// once, so that only the written key changes; lines the program does not know (comments, other
// keys) are kept as they were. A file the program creates is readable by its owner only.
class IniFile final
{
public:
    explicit IniFile(QString path);

    QString path() const { return m_path; }
    bool exists() const;

    QString readString(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    int readInteger(const QString& section, const QString& key, int defaultValue) const;

    // Throws CommandError when the file cannot be written.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);

    // Re-reads the file (another program may have changed it).
    void reload();

private:
    int findSection(const QString& section) const;
    int findKey(int sectionLine, const QString& key) const;
    void save() const;

    QString m_path;
    QStringList m_lines;
};

} // namespace zu
