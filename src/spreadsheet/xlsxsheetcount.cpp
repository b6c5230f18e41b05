#include "xlsxsheetcount.h"

#include "zippackage.h"

#include <QByteArrayView>
#include <QRegularExpression>

#include <map>

namespace zu {

namespace {

// Counts "<row " and "<c " in a stream of XML and remembers its last bytes. Texts are escaped in
// the XML, so a '<' always opens a tag.
class TagCounter final
{
public:
    void feed(QByteArrayView bytes)
    {
        for (const char c : bytes) {
            m_tail = (m_tail << 8) | static_cast<unsigned char>(c);
            if (c != ' ')
                continue;
            if ((m_tail & 0xFFFFFFFFFFull) == kRowTag)
                ++m_tally.rows;
            else if ((m_tail & 0xFFFFFFull) == kCellTag)
                ++m_tally.cells;
        }
        m_last.append(bytes.last(std::min<qsizetype>(bytes.size(), kEnd.size())));
        if (m_last.size() > kEnd.size())
            m_last.remove(0, m_last.size() - kEnd.size());
    }
    SheetTally tally() const { return m_tally; }
    bool complete() const { return m_last == kEnd; }

private:
    static constexpr quint64 kRowTag = 0x3C726F7720ull; // "<row "
    static constexpr quint64 kCellTag = 0x3C6320ull;    // "<c "
    static constexpr QByteArrayView kEnd = "</worksheet>";
    quint64 m_tail = 0;
    SheetTally m_tally;
    QByteArray m_last;
};

// The worksheet parts by their number; false when the directory is damaged, a number is there
// twice or there is no worksheet at all.
bool sheetParts(const ZipPackage& package, std::map<int, const ZipEntry*>* parts)
{
    static const QRegularExpression kSheetPart(QStringLiteral("^xl/worksheets/sheet([1-9][0-9]*)\\.xml$"));
    for (const ZipEntry& entry : package.entries()) {
        const QRegularExpressionMatch match = kSheetPart.match(entry.name);
        if (match.hasMatch() && !parts->emplace(match.captured(1).toInt(), &entry).second)
            return false;
    }
    return !parts->empty();
}

} // namespace

bool countXlsxSheets(const QString& path, std::vector<SheetTally>* sheets, QString* reason)
{
    sheets->clear();
    ZipPackage package(path);
    std::map<int, const ZipEntry*> parts;
    bool whole = package.open() == ZipDirectory::Read && sheetParts(package, &parts);
    int expected = 1;
    for (auto it = parts.cbegin(); whole && it != parts.cend(); ++it) {
        TagCounter counter;
        whole = it->first == expected++ && package.unpack(*it->second, [&counter](QByteArrayView bytes) {
            counter.feed(bytes);
            return true;
        }) && counter.complete();
        sheets->push_back(counter.tally());
    }
    if (!whole) {
        sheets->clear();
        *reason = QStringLiteral("工作簿的内容不完整");
    }
    return whole;
}

} // namespace zu
