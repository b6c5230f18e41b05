#include "biffsst.h"

#include <vector>

namespace zu {

namespace {

constexpr quint8 kUtf16Flag = 0x01;    // fHighByte: two bytes per character
constexpr qsizetype kStringHeader = 3; // character count and flags
constexpr int kMaxBuckets = 128;
constexpr int kMinBucketSize = 8;

struct BucketStart
{
    qsizetype record; // index of the SST or CONTINUE record that holds the string's header
    qsizetype offset; // of the header within that record's body
};

// Splits the strings into record bodies no longer than BIFF allows.
class SstChunker final
{
public:
    explicit SstChunker(quint32 references, quint32 unique)
    {
        m_bodies.emplace_back();
        m_bodies.back().u32(references).u32(unique);
    }

    BucketStart add(const QString& text)
    {
        // The header and the first two code units (a whole surrogate pair at most) stay together.
        if (room() < kStringHeader + 4)
            startContinue(false);
        const BucketStart start{static_cast<qsizetype>(m_bodies.size()) - 1, current().size()};
        current().u16(static_cast<quint16>(text.size())).u8(kUtf16Flag);
        qsizetype done = 0;
        while (done < text.size()) {
            qsizetype fit = std::min(room() / 2, text.size() - done);
            if (done + fit < text.size() && fit > 0 && text.at(done + fit - 1).isHighSurrogate())
                --fit;
            current().utf16(QStringView(text).mid(done, fit));
            done += fit;
            if (done < text.size())
                startContinue(true);
        }
        return start;
    }

    const std::vector<LeBytes>& bodies() const { return m_bodies; }

private:
    LeBytes& current() { return m_bodies.back(); }
    qsizetype room() const { return biff::kMaxRecordData - m_bodies.back().size(); }

    // A string that goes on in the next record repeats its flags byte there.
    void startContinue(bool insideString)
    {
        m_bodies.emplace_back();
        if (insideString)
            current().u8(kUtf16Flag);
    }

    std::vector<LeBytes> m_bodies;
};

} // namespace

void writeSharedStrings(BiffStream& stream, const QStringList& strings, quint32 references)
{
    const auto unique = static_cast<quint32>(strings.size());
    const int bucketSize =
        std::max(kMinBucketSize, static_cast<int>((unique + kMaxBuckets - 1) / kMaxBuckets));

    SstChunker chunker(references, unique);
    std::vector<BucketStart> buckets;
    for (qsizetype i = 0; i < strings.size(); ++i) {
        const BucketStart start = chunker.add(strings.at(i));
        if (i % bucketSize == 0)
            buckets.push_back(start);
    }

    std::vector<qsizetype> recordPositions;
    const std::vector<LeBytes>& bodies = chunker.bodies();
    for (size_t i = 0; i < bodies.size(); ++i) {
        recordPositions.push_back(stream.position());
        stream.record(i == 0 ? biff::Sst : biff::Continue, bodies[i]);
    }

    constexpr qsizetype kRecordHeader = 4;
    LeBytes ext;
    ext.u16(static_cast<quint16>(bucketSize));
    for (const BucketStart& bucket : buckets) {
        const qsizetype inRecord = kRecordHeader + bucket.offset;
        ext.u32(static_cast<quint32>(recordPositions[static_cast<size_t>(bucket.record)] + inRecord))
            .u16(static_cast<quint16>(inRecord))
            .u16(0);
    }
    stream.record(biff::ExtSst, ext);
}

} // namespace zu
