#include "spreadsheetreader.h"

#include "biffreader.h"
#include "compoundfilereader.h"
#include "csvparser.h"
#include "xlsxfilereader.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

namespace zu {

namespace {

enum class FileKind
{
    Xls,
    Xlsx,
    Csv,
    Unknown
};

const QByteArray kCompoundFileSignature = QByteArray::fromHex("D0CF11E0A1B11AE1");
const QByteArray kZipSignature = QByteArrayLiteral("PK\x03\x04");

FileKind kindOf(const QByteArray& head, const QString& path)
{
    if (head.startsWith(kCompoundFileSignature))
        return FileKind::Xls;
    if (head.startsWith(kZipSignature))
        return FileKind::Xlsx;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv") || suffix == QLatin1String("txt"))
        return FileKind::Csv;
    return FileKind::Unknown;
}

// A text file of separated values: one sheet named after the file.
class CsvWorkbookFile final : public WorkbookFile
{
public:
    CsvWorkbookFile() : WorkbookFile(std::numeric_limits<int>::max()) {}

    bool load(const QString& path, const QByteArray& bytes, QString* reason)
    {
        m_table.name = QFileInfo(path).completeBaseName();
        if (!parseCsv(bytes, &m_table.rows, reason))
            return false;
        m_sheets.append({m_table.name, false});
        return true;
    }

    bool readSheet(int index, SheetTable* table, QString* reason) override
    {
        if (index != 0) {
            *reason = QStringLiteral("文件中没有第 %1 个工作表").arg(index + 1);
            return false;
        }
        *table = m_table;
        return true;
    }

private:
    SheetTable m_table;
};

std::unique_ptr<WorkbookFile> openXls(const QByteArray& bytes, QString* reason)
{
    CompoundFileReader container;
    if (!container.open(bytes, reason))
        return nullptr;
    QByteArray stream = container.stream(QStringLiteral("Workbook"));
    if (stream.isEmpty())
        stream = container.stream(QStringLiteral("Book"));
    if (stream.isEmpty()) {
        *reason = container.streamSize(QStringLiteral("Workbook")) > 0 ||
                          container.streamSize(QStringLiteral("Book")) > 0
                      ? QStringLiteral("文件已损坏（工作簿数据不完整）")
                      : QStringLiteral("文件中没有 Excel 工作簿（可能是 Word 等其它程序的文件）");
        return nullptr;
    }
    auto book = std::make_unique<BiffWorkbookFile>();
    if (!book->load(stream, reason))
        return nullptr;
    return book;
}

} // namespace

WorkbookFile::~WorkbookFile() = default;

std::unique_ptr<WorkbookFile> WorkbookFile::open(const QString& path, QString* reason)
{
    QFile file(path);
    if (QFileInfo(path).isDir()) {
        *reason = QStringLiteral("这是一个文件夹，不是文件");
        return nullptr;
    }
    if (!QFileInfo::exists(path)) {
        *reason = QStringLiteral("文件不存在");
        return nullptr;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = QStringLiteral("文件无法打开，可能没有读取它的权限（%1）").arg(file.errorString());
        return nullptr;
    }
    const QByteArray head = file.peek(8);
    switch (kindOf(head, path)) {
    case FileKind::Xls: {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            *reason = QStringLiteral("读取文件时出错（%1）").arg(file.errorString());
            return nullptr;
        }
        return openXls(bytes, reason);
    }
    case FileKind::Xlsx: {
        file.close();
        auto book = std::make_unique<XlsxWorkbookFile>();
        if (!book->load(path, reason))
            return nullptr;
        return book;
    }
    case FileKind::Csv: {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            *reason = QStringLiteral("读取文件时出错（%1）").arg(file.errorString());
            return nullptr;
        }
        auto book = std::make_unique<CsvWorkbookFile>();
        if (!book->load(path, bytes, reason))
            return nullptr;
        return book;
    }
    case FileKind::Unknown:
        break;
    }
    *reason = head.isEmpty() ? QStringLiteral("文件是空的")
                             : QStringLiteral("不是可识别的电子表格文件（支持 .xls、.xlsx 和 .csv）");
    return nullptr;
}

QString unreadableFileText(const QString& path, const QString& reason)
{
    return QStringLiteral("无法读取文件 %1：%2").arg(QFileInfo(path).absoluteFilePath(), reason);
}

QString SpreadsheetReader::text(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_columnCount)
        return QString();
    return m_table.rows.at(row).at(column);
}

bool SpreadsheetReader::open(const QString& path, QString* error, int sheet)
{
    m_table = SheetTable();
    m_sheets.clear();
    m_sheetIndex = -1;
    m_columnCount = 0;
    QString reason;
    std::unique_ptr<WorkbookFile> book = WorkbookFile::open(path, &reason);
    const int index = !book ? -1 : sheet < 0 ? book->activeSheet() : sheet;
    if (!book || !book->readSheet(index, &m_table, &reason)) {
        m_table = SheetTable();
        if (error)
            *error = unreadableFileText(path, reason);
        return false;
    }
    m_sheets = book->sheets();
    m_sheetIndex = index;
    m_table.padRows();
    m_columnCount = m_table.columnCount();
    return true;
}

} // namespace zu
