#include "xlsxfilereader.h"

#include "numberformat.h"
#include "zippackage.h"

#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QXmlStreamReader>

#include <stdexcept>
#include <vector>

namespace zu {

namespace {

constexpr double kLastDateSerial = 2958465;

QString brokenFile(const QString& detail)
{
    return QStringLiteral("文件已损坏或不是 .xlsx 格式（%1）").arg(detail);
}

// The largest part a workbook is read with: a worksheet of a million rows stays well below it.
constexpr quint64 kMaxPartBytes = quint64(1) << 30;

// Why the sizes the zip's central directory gives cannot be those of a workbook (a damaged size
// would have the unzipping allocate without end); empty when they can.
QString zipSizeProblem(const ZipPackage& package)
{
    for (const ZipEntry& entry : package.entries()) {
        if (entry.packedSize > package.fileSize() - entry.headerOffset)
            return QStringLiteral("压缩包中一个部分超出了文件");
        // Deflate packs at most about 1,000 to 1.
        if (quint64(entry.size) > kMaxPartBytes ||
            quint64(entry.size) > 1100ull * quint64(entry.packedSize) + 65536)
            return QStringLiteral("压缩包中一个部分的大小不合常理");
    }
    return {};
}

// Why the file cannot be opened as a zip package; empty when it can.
QString zipProblem(ZipPackage& package)
{
    switch (package.open()) {
    case ZipDirectory::NoEnd:
        return QStringLiteral("不是压缩包，或压缩包不完整");
    case ZipDirectory::OutsideFile:
        return QStringLiteral("压缩包的目录位置超出了文件");
    case ZipDirectory::Damaged:
        return QStringLiteral("压缩包的目录已损坏");
    case ZipDirectory::Read:
        break;
    }
    return zipSizeProblem(package);
}

// The parts of a zip package, each read whole. Reading throws on a damaged part.
class Package final
{
public:
    explicit Package(const QString& path) : m_zip(path) {}

    QString open() { return zipProblem(m_zip); }

    // The part's bytes; empty when the package has no such part.
    QByteArray part(const QString& name)
    {
        QByteArray bytes;
        if (!m_zip.entry(name))
            return bytes;
        if (!m_zip.read(name, &bytes))
            throw std::runtime_error(QStringLiteral("压缩包中的 %1 已损坏").arg(name).toStdString());
        return bytes;
    }

private:
    ZipPackage m_zip;
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
    if (target.isEmpty())
        return {};
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    return QDir::cleanPath(source.left(source.lastIndexOf(QLatin1Char('/')) + 1) + target);
}

struct Relationship
{
    QString type; // the last part of the type URI: "worksheet", "sharedStrings", "styles"
    QString target;
};

QHash<QString, Relationship> relationships(const QByteArray& rels, const QString& source)
{
    QHash<QString, Relationship> out;
    QXmlStreamReader reader(rels);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.name() != u"Relationship")
            continue;
        const QXmlStreamAttributes a = reader.attributes();
        const QString type = a.value(QLatin1String("Type")).toString();
        out.insert(a.value(QLatin1String("Id")).toString(),
                   {type.section(QLatin1Char('/'), -1),
                    resolveTarget(source, a.value(QLatin1String("Target")).toString())});
    }
    return out;
}

QString targetOfType(const QHash<QString, Relationship>& rels, const QString& type)
{
    for (const Relationship& r : rels)
        if (r.type == type)
            return r.target;
    return {};
}

// "B7" as row 6, column 1.
bool parseCellReference(QStringView reference, int* row, int* column)
{
    qint64 c = 0;
    qint64 r = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i] >= u'A' && reference[i] <= u'Z' &&
           c <= XlsxWorkbookFile::kMaxColumns;
         ++i)
        c = c * 26 + (reference[i].unicode() - u'A' + 1);
    const qsizetype letters = i;
    for (; i < reference.size() && reference[i].isDigit() && r <= XlsxWorkbookFile::kMaxRows; ++i)
        r = r * 10 + reference[i].digitValue();
    if (letters == 0 || i == letters || i != reference.size() || c > XlsxWorkbookFile::kMaxColumns || r < 1 ||
        r > XlsxWorkbookFile::kMaxRows)
        return false;
    *row = static_cast<int>(r - 1);
    *column = static_cast<int>(c - 1);
    return true;
}

// The text of a shared or inline string element (<si>, <is>) read to its end: the plain text or
// the runs of rich text, without the phonetic guide.
QString stringItemText(QXmlStreamReader& reader)
{
    QString text;
    while (reader.readNextStartElement()) {
        if (reader.name() == u"t") {
            text += reader.readElementText();
        } else if (reader.name() == u"r") {
            while (reader.readNextStartElement()) {
                if (reader.name() == u"t")
                    text += reader.readElementText();
                else
                    reader.skipCurrentElement();
            }
        } else {
            reader.skipCurrentElement();
        }
    }
    return text;
}

QString xmlError(const QXmlStreamReader& reader, const QString& part)
{
    return brokenFile(
        QStringLiteral("%1 第 %2 行：%3").arg(part).arg(reader.lineNumber()).arg(reader.errorString()));
}

struct CellFormat
{
    DateKind dateKind = DateKind::None;
    QString code;
};

} // namespace

struct XlsxWorkbookFile::Private
{
    std::unique_ptr<Package> package;
    QStringList sheetParts;
    QStringList sharedStrings;
    std::vector<CellFormat> cellFormats;
    QDate origin{1899, 12, 30};

    bool readWorkbook(const QString& part, QList<SheetInfo>* sheets, int* active, QString* reason);
    bool readSharedStrings(const QString& part, QString* reason);
    void readStyles(const QString& part);
    bool readCells(const QByteArray& xml, const QString& part, SheetTable* table, QString* reason) const;

    void putNumber(SheetTable* table, int row, int column, size_t style, double value) const
    {
        static const CellFormat general;
        const CellFormat& format = style < cellFormats.size() ? cellFormats[style] : general;
        if (format.dateKind != DateKind::None && value >= 0 && value <= kLastDateSerial)
            table->setText(row, column, dateTimeText(value, origin, format.dateKind));
        else
            table->setFormattedNumber(row, column, formatCellNumber(value, format.code), value);
    }
};

bool XlsxWorkbookFile::Private::readWorkbook(const QString& part, QList<SheetInfo>* sheets, int* active,
                                             QString* reason)
{
    const QByteArray xml = package->part(part);
    if (xml.isEmpty()) {
        *reason = brokenFile(QStringLiteral("缺少工作簿 %1").arg(part));
        return false;
    }
    const QHash<QString, Relationship> rels = relationships(package->part(relationshipsOf(part)), part);
    QXmlStreamReader reader(xml);
    int activeTab = 0;
    int tab = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = reader.attributes();
        if (reader.name() == u"workbookPr") {
            const QStringView date1904 = a.value(QLatin1String("date1904"));
            if (date1904 == u"1" || date1904 == u"true")
                origin = QDate(1904, 1, 1);
        } else if (reader.name() == u"workbookView") {
            activeTab = a.value(QLatin1String("activeTab")).toInt();
        } else if (reader.name() == u"sheet") {
            QString id;
            for (const QXmlStreamAttribute& attribute : a)
                if (attribute.name() == u"id" && !attribute.namespaceUri().isEmpty())
                    id = attribute.value().toString();
            const Relationship target = rels.value(id);
            if (target.type == QLatin1String("worksheet")) {
                if (tab == activeTab)
                    *active = static_cast<int>(sheets->size());
                const QStringView state = a.value(QLatin1String("state"));
                sheets->append(
                    {a.value(QLatin1String("name")).toString(), !state.isEmpty() && state != u"visible"});
                sheetParts.append(target.target);
            }
            ++tab;
        }
    }
    if (reader.hasError()) {
        *reason = xmlError(reader, part);
        return false;
    }
    if (sheets->isEmpty()) {
        *reason = QStringLiteral("文件中没有工作表");
        return false;
    }
    if (!readSharedStrings(targetOfType(rels, QStringLiteral("sharedStrings")), reason))
        return false;
    readStyles(targetOfType(rels, QStringLiteral("styles")));
    return true;
}

bool XlsxWorkbookFile::Private::readSharedStrings(const QString& part, QString* reason)
{
    const QByteArray xml = package->part(part);
    if (xml.isEmpty())
        return true;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == u"si")
            sharedStrings.append(stringItemText(reader));
    }
    if (reader.hasError()) {
        *reason = xmlError(reader, part);
        return false;
    }
    return true;
}

// Only what decides how a number is shown: each cell format's number format. A damaged style
// part leaves numbers in the General format.
void XlsxWorkbookFile::Private::readStyles(const QString& part)
{
    const QByteArray xml = package->part(part);
    QHash<int, QString> codes;
    QList<int> xfFormats;
    QXmlStreamReader reader(xml);
    bool inCellXfs = false;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndElement && reader.name() == u"cellXfs")
            inCellXfs = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = reader.attributes();
        if (reader.name() == u"numFmt")
            codes.insert(a.value(QLatin1String("numFmtId")).toInt(),
                         a.value(QLatin1String("formatCode")).toString());
        else if (reader.name() == u"cellXfs")
            inCellXfs = true;
        else if (reader.name() == u"xf" && inCellXfs)
            xfFormats.append(a.value(QLatin1String("numFmtId")).toInt());
    }
    for (const int id : xfFormats) {
        const QString code = codes.value(id, builtInFormatCode(id));
        const DateKind kind = dateKindOf(id, codes.value(id));
        cellFormats.push_back(
            {kind, kind == DateKind::None && code.compare(QLatin1String("General"), Qt::CaseInsensitive) != 0
                       ? code
                       : QString()});
    }
}

bool XlsxWorkbookFile::Private::readCells(const QByteArray& xml, const QString& part, SheetTable* table,
                                          QString* reason) const
{
    QXmlStreamReader reader(xml);
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
        if (reader.name() != u"c") {
            reader.skipCurrentElement();
            continue;
        }
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
        if (row < 0) {
            *reason = brokenFile(QStringLiteral("单元格不在任何一行中"));
            return false;
        }
        const QString type = attributes.value(QLatin1String("t")).toString();
        const size_t style = attributes.value(QLatin1String("s")).toUInt();
        QString value;
        bool hasValue = false;
        QString inlineText;
        while (reader.readNextStartElement()) {
            if (reader.name() == u"v") {
                value = reader.readElementText();
                hasValue = true;
            } else if (reader.name() == u"is") {
                inlineText = stringItemText(reader);
            } else {
                reader.skipCurrentElement(); // the formula itself: its stored result is in <v>
            }
        }
        if (type == u"inlineStr") {
            table->setText(row, column, inlineText);
        } else if (!hasValue) {
            continue;
        } else if (type == u"s") {
            bool ok = false;
            const int index = value.toInt(&ok);
            if (!ok || index < 0 || index >= sharedStrings.size()) {
                *reason = brokenFile(
                    QStringLiteral("单元格 %1 的文字编号 %2 超出了共享字符串表").arg(reference, value));
                return false;
            }
            table->setText(row, column, sharedStrings.at(index));
        } else if (type == u"str" || type == u"e") {
            table->setText(row, column, value);
        } else if (type == u"b") {
            table->setText(row, column,
                           value.trimmed() == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
        } else if (type == u"d") {
            const QDateTime when = QDateTime::fromString(value, Qt::ISODate);
            table->setText(row, column,
                           !when.isValid() ? value
                           : when.time() == QTime(0, 0)
                               ? when.date().toString(QStringLiteral("yyyy-MM-dd"))
                               : when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        } else {
            bool ok = false;
            const double number = value.toDouble(&ok);
            if (!ok) {
                *reason = brokenFile(QStringLiteral("单元格 %1 的数值“%2”无效").arg(reference, value));
                return false;
            }
            putNumber(table, row, column, style, number);
        }
    }
    if (reader.hasError()) {
        *reason = xmlError(reader, part);
        return false;
    }
    return true;
}

XlsxWorkbookFile::XlsxWorkbookFile() : WorkbookFile(kMaxRows), d(std::make_unique<Private>()) {}
XlsxWorkbookFile::~XlsxWorkbookFile() = default;

bool XlsxWorkbookFile::load(const QString& path, QString* reason)
{
    d->package = std::make_unique<Package>(path);
    if (const QString problem = d->package->open(); !problem.isEmpty()) {
        *reason = brokenFile(problem);
        return false;
    }
    try {
        const QString workbook =
            targetOfType(relationships(d->package->part(relationshipsOf(QString())), QString()),
                         QStringLiteral("officeDocument"));
        return d->readWorkbook(workbook.isEmpty() ? QStringLiteral("xl/workbook.xml") : workbook, &m_sheets,
                               &m_activeSheet, reason);
    } catch (const std::exception& e) {
        *reason = brokenFile(QString::fromStdString(e.what()));
        return false;
    }
}

bool XlsxWorkbookFile::readSheet(int index, SheetTable* table, QString* reason)
{
    *table = SheetTable();
    if (index < 0 || index >= m_sheets.size()) {
        *reason = QStringLiteral("文件中没有第 %1 个工作表").arg(index + 1);
        return false;
    }
    table->name = m_sheets[index].name;
    try {
        const QString part = d->sheetParts[index];
        const QByteArray xml = d->package->part(part);
        if (xml.isEmpty()) {
            *reason = brokenFile(QStringLiteral("缺少工作表 %1").arg(part));
            return false;
        }
        return d->readCells(xml, part, table, reason);
    } catch (const std::exception& e) {
        *reason = brokenFile(QString::fromStdString(e.what()));
        return false;
    }
}

} // namespace zu
