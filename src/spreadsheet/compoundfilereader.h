#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace zu {

// Finds a stream of a Compound File Binary file held in memory, also one kept in the mini stream
// (shorter than 4096 bytes). Every position read from the file is checked against its size, so a
// damaged file gives an error or an empty stream, never a read outside it.
class CompoundFileReader final
{
public:
    bool open(const QByteArray& file, QString* reason);

    // -1 when there is no stream of that name.
    qint64 streamSize(const QString& name) const;
    QByteArray stream(const QString& name) const;

private:
    struct Entry
    {
        QString name;
        quint32 start = 0;
        qint64 size = 0;
    };
    const Entry* find(const QString& name) const;
    QByteArray chain(quint32 start, qint64 size) const;
    QByteArray miniChain(quint32 start, qint64 size) const;
    quint32 sectorCount() const;
    const char* sector(quint32 index) const;

    QByteArray m_file;
    qsizetype m_sectorSize = 512;
    QList<quint32> m_fat;
    QList<Entry> m_entries;
    quint32 m_miniCutoff = 4096;
    QByteArray m_miniStream;
    QList<quint32> m_miniFat;
};

} // namespace zu
