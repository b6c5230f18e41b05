#include "biffsstscan.h"

#include "biffstream.h"

#include <QList>
#include <QtEndian>

namespace zu {

namespace {

// The SST and the CONTINUE records right after it, read as one sequence of bytes that knows
// where each record ends.
class SstCursor final
{
public:
    explicit SstCursor(QList<QByteArrayView> bodies) : m_bodies(std::move(bodies)) {}

    bool atRecordEnd() const { return m_pos == m_bodies[m_record].size(); }
    bool nextRecord()
    {
        if (m_record + 1 >= m_bodies.size())
            return false;
        ++m_record;
        m_pos = 0;
        return true;
    }
    int record() const { return static_cast<int>(m_record); }

    // Reads bytes that may go on in the next record (no flags byte in between).
    bool read(qsizetype count, QByteArray* out = nullptr)
    {
        while (count > 0) {
            if (atRecordEnd() && !nextRecord())
                return false;
            const qsizetype take = std::min(count, m_bodies[m_record].size() - m_pos);
            if (out)
                out->append(m_bodies[m_record].sliced(m_pos, take).toByteArray());
            m_pos += take;
            count -= take;
        }
        return true;
    }
    bool readU8(quint8* value)
    {
        QByteArray b;
        if (!read(1, &b))
            return false;
        *value = static_cast<quint8>(b.at(0));
        return true;
    }
    bool readLe(qsizetype bytes, quint32* value)
    {
        QByteArray b;
        if (!read(bytes, &b))
            return false;
        *value = bytes == 2 ? qFromLittleEndian<quint16>(b.constData())
                            : qFromLittleEndian<quint32>(b.constData());
        return true;
    }

    // Characters resume after a record boundary with a fresh flags byte.
    bool skipCharacters(quint32 count, bool wide)
    {
        while (count > 0) {
            if (atRecordEnd()) {
                quint8 flags = 0;
                if (!nextRecord() || !readU8(&flags))
                    return false;
                wide = flags & 0x01;
            }
            const qsizetype width = wide ? 2 : 1;
            const qsizetype fit = std::min<qsizetype>(count, (m_bodies[m_record].size() - m_pos) / width);
            if (fit == 0)
                return false;
            m_pos += fit * width;
            count -= static_cast<quint32>(fit);
        }
        return true;
    }

private:
    QList<QByteArrayView> m_bodies;
    qsizetype m_record = 0;
    qsizetype m_pos = 0;
};

QList<QByteArrayView> sstBodies(const QByteArray& stream)
{
    QList<QByteArrayView> bodies;
    qsizetype pos = 0;
    while (pos + 4 <= stream.size()) {
        const quint16 type = qFromLittleEndian<quint16>(stream.constData() + pos);
        const quint16 length = qFromLittleEndian<quint16>(stream.constData() + pos + 2);
        if (pos + 4 + length > stream.size())
            break;
        const QByteArrayView body(stream.constData() + pos + 4, length);
        if (type == biff::Sst && bodies.isEmpty())
            bodies.append(body);
        else if (type == biff::Continue && !bodies.isEmpty())
            bodies.append(body);
        else if (!bodies.isEmpty())
            break;
        if (type == biff::Eof && bodies.isEmpty())
            break; // end of the globals without a string table
        pos += 4 + length;
    }
    return bodies;
}

} // namespace

int maxRecordsPerSharedString(const QByteArray& workbookStream)
{
    const QList<QByteArrayView> bodies = sstBodies(workbookStream);
    if (bodies.isEmpty())
        return 0;
    SstCursor cursor(bodies);
    quint32 total = 0;
    quint32 unique = 0;
    if (!cursor.readLe(4, &total) || !cursor.readLe(4, &unique))
        return -1;
    int most = 1;
    for (quint32 i = 0; i < unique; ++i) {
        if (cursor.atRecordEnd() && !cursor.nextRecord())
            return -1;
        const int first = cursor.record();
        quint32 count = 0;
        quint8 flags = 0;
        quint32 runs = 0;
        quint32 extra = 0;
        if (!cursor.readLe(2, &count) || !cursor.readU8(&flags))
            return -1;
        if ((flags & 0x08) && !cursor.readLe(2, &runs))
            return -1;
        if ((flags & 0x04) && !cursor.readLe(4, &extra))
            return -1;
        if (!cursor.skipCharacters(count, flags & 0x01) || !cursor.read(4 * qsizetype(runs)) ||
            !cursor.read(extra))
            return -1;
        most = std::max(most, cursor.record() - first + 1);
    }
    return most;
}

} // namespace zu
