#include "xlsxinlinestrings.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <exception>
#include <functional>

namespace zu {

namespace {

constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

QString brokenFile(const QString& detail)
{
    return QStringLiteral("文件已损坏或不是 .xlsx 格式（%1）").arg(detail);
}

// The parts of a zip package, each read whole. Opening and reading throw on a damaged file.
class Package final
{
public:
    explicit Package(const QString& path) : m_stream(QFile::encodeName(path).constData()), m_zip(&m_stream)
    {
        m_zip.load();
    }

    // Empty when the package has no such part.
    QByteArray part(const QString& name) const
    {
        std::vector<unsigned char> bytes;
        if (!m_zip.read_file_entry(name.toStdString(), bytes))
            return {};
        // liborcus ends the part with a null byte of its own.
        size_t size = bytes.size();
        if (size > 0 && bytes[size - 1] == 0)
            --size;
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(size));
    }

private:
    orcus::zip_archive_stream_fd m_stream;
    orcus::zip_archive m_zip;
};

// The relationships part of a part: "xl/workbook.xml" has "xl/_rels/workbook.xml.rels", the
// package itself (an empty name) "_rels/.rels".
QString relationshipsOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

// A relationship's target as a part name: from the package root when it begins with "/", else
// relative to the folder of the part that holds the relationship.
QString resolveTarget(const QString& source, const QString& target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    return QDir::cleanPath(source.left(source.lastIndexOf(QLatin1Char('/')) + 1) + target);
}

// The target of the first relationship that `wanted` accepts, empty when there is none.
QString relationshipTarget(const QByteArray& rels,
                           const std::function<bool(const QXmlStreamAttributes&)>& wanted)
{
    QXmlStreamReader reader(rels);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.name() != u"Relationship")
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (wanted(attributes))
            return attributes.value(QLatin1String("Target")).toString();
    }
    return {};
}

// The relationship id (r:id) of the workbook's first sheet, empty when there is none.
QString firstSheetRelationship(const QByteArray& workbook)
{
    QXmlStreamReader reader(workbook);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.name() != u"sheet")
            continue;
        for (const QXmlStreamAttribute& attribute : reader.attributes())
            if (attribute.name() == u"id" && !attribute.namespaceUri().isEmpty())
                return attribute.value().toString();
        return {};
    }
    return {};
}

// The name of the first worksheet's part, as the workbook's relationships give it.
QString firstSheetPart(const Package& package, QString* reason)
{
    const QString workbook = resolveTarget(
        QString(),
        relationshipTarget(package.part(relationshipsOf(QString())), [](const QXmlStreamAttributes& a) {
            return a.value(QLatin1String("Type")).endsWith(u"/officeDocument");
        }));
    const QString id = firstSheetRelationship(package.part(workbook));
    if (id.isEmpty()) {
        *reason = brokenFile(QStringLiteral("找不到第一个工作表"));
        return {};
    }
    const QString target =
        relationshipTarget(package.part(relationshipsOf(workbook)), [&id](const QXmlStreamAttributes& a) {
            return a.value(QLatin1String("Id")) == id;
        });
    if (target.isEmpty()) {
        *reason = brokenFile(QStringLiteral("找不到工作表 %1").arg(id));
        return {};
    }
    return resolveTarget(workbook, target);
}

// "B7" as row 6, column 1.
bool parseCellReference(QStringView reference, int* row, int* column)
{
    qint64 c = 0;
    qint64 r = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i] >= u'A' && reference[i] <= u'Z' && c <= kMaxColumns; ++i)
        c = c * 26 + (reference[i].unicode() - u'A' + 1);
    const qsizetype letters = i;
    for (; i < reference.size() && reference[i].isDigit() && r <= kMaxRows; ++i)
        r = r * 10 + reference[i].digitValue();
    if (letters == 0 || i == letters || i != reference.size() || c > kMaxColumns || r < 1 || r > kMaxRows)
        return false;
    *row = static_cast<int>(r - 1);
    *column = static_cast<int>(c - 1);
    return true;
}

void appendText(QXmlStreamReader& reader, QString* text)
{
    if (text->isEmpty())
        *text = reader.readElementText();
    else
        *text += reader.readElementText();
}

// The text of an inline string read from its cell's start element to its end: the plain text or
// the runs of rich text, without the phonetic guide.
QString inlineText(QXmlStreamReader& reader)
{
    QString text;
    while (reader.readNextStartElement()) {
        if (reader.name() != u"is") {
            reader.skipCurrentElement();
            continue;
        }
        while (reader.readNextStartElement()) {
            if (reader.name() == u"t") {
                appendText(reader, &text);
            } else if (reader.name() == u"r") {
                while (reader.readNextStartElement()) {
                    if (reader.name() == u"t")
                        appendText(reader, &text);
                    else
                        reader.skipCurrentElement();
                }
            } else {
                reader.skipCurrentElement();
            }
        }
    }
    return text;
}

bool readInlineCells(const QByteArray& sheet, std::vector<InlineStringCell>* cells, QString* reason)
{
    QXmlStreamReader reader(sheet);
    bool inData = false;
    int row = -1;
    int column = -1;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndElement && reader.name() == u"sheetData")
            inData = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == u"sheetData") {
            inData = true;
            continue;
        }
        if (!inData)
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (reader.name() == u"row") {
            // Rows and cells without a reference follow the one before.
            bool ok = true;
            const QStringView number = attributes.value(QLatin1String("r"));
            row = number.isEmpty() ? row + 1 : number.toInt(&ok) - 1;
            if (!ok || row < 0 || row >= kMaxRows) {
                *reason = brokenFile(QStringLiteral("行号“%1”无效").arg(number));
                return false;
            }
            column = -1;
            continue;
        }
        if (reader.name() != u"c")
            continue;
        const QStringView reference = attributes.value(QLatin1String("r"));
        if (reference.isEmpty()) {
            if (++column >= kMaxColumns) {
                *reason =
                    brokenFile(QStringLiteral("第 %1 行的单元格超过了 %2 列").arg(row + 1).arg(kMaxColumns));
                return false;
            }
        } else if (!parseCellReference(reference, &row, &column)) {
            *reason = brokenFile(QStringLiteral("单元格位置“%1”无效").arg(reference));
            return false;
        }
        if (attributes.value(QLatin1String("t")) != u"inlineStr") {
            reader.skipCurrentElement();
            continue;
        }
        QString text = inlineText(reader);
        if (row < 0) {
            *reason = brokenFile(QStringLiteral("单元格不在任何一行中"));
            return false;
        }
        cells->push_back({row, column, std::move(text)});
    }
    if (reader.hasError()) {
        *reason =
            brokenFile(QStringLiteral("第 %1 行：%2").arg(reader.lineNumber()).arg(reader.errorString()));
        return false;
    }
    return true;
}

} // namespace

bool readFirstSheetInlineStrings(const QString& path, std::vector<InlineStringCell>* cells, QString* reason)
{
    cells->clear();
    try {
        const Package package(path);
        const QString part = firstSheetPart(package, reason);
        if (part.isEmpty())
            return false;
        const QByteArray sheet = package.part(part);
        if (sheet.isEmpty()) {
            *reason = brokenFile(QStringLiteral("缺少工作表 %1").arg(part));
            return false;
        }
        // Most workbooks keep their texts in the shared table only.
        if (!sheet.contains("inlineStr"))
            return true;
        return readInlineCells(sheet, cells, reason);
    } catch (const std::exception& e) {
        *reason = brokenFile(QString::fromUtf8(e.what()));
        return false;
    }
}

} // namespace zu
