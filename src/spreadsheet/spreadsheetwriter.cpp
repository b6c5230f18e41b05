#include "spreadsheetwriter.h"

#include "xlsstreamwriter.h"
#include "xlsxstreamwriter.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace zu {

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

SpreadsheetWriter::SpreadsheetWriter(SheetLimits limits) : m_limits(std::move(limits))
{
    m_sheets.emplace_back(m_limits);
}

SpreadsheetWriter::~SpreadsheetWriter() = default;

bool SpreadsheetWriter::nameTaken(const QString& name, size_t except) const
{
    for (size_t i = 0; i < m_sheets.size(); ++i)
        if (i != except && m_sheets[i].sheetName().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool SpreadsheetWriter::addSheet(const QString& name)
{
    m_sheets.emplace_back(m_limits);
    if (nameTaken(name, m_sheets.size() - 1))
        return current().refuseChange(QStringLiteral("工作表名称“%1”已经用过").arg(name));
    return current().setSheetName(name);
}

bool SpreadsheetWriter::setSheetName(const QString& name)
{
    if (nameTaken(name, m_sheets.size() - 1))
        return current().refuseChange(QStringLiteral("工作表名称“%1”已经用过").arg(name));
    return current().setSheetName(name);
}

std::unique_ptr<SpreadsheetWriter> SpreadsheetWriter::forFileName(const QString& path)
{
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return std::make_unique<XlsxWriter>();
    return std::make_unique<XlsWriter>();
}

bool SpreadsheetWriter::save(const QString& path, QString* error)
{
    const QString shown = QFileInfo(path).absoluteFilePath();
    for (const SheetContent& sheet : m_sheets) {
        if (!sheet.firstRefusal().isEmpty()) {
            setError(error, QStringLiteral("无法生成文件 %1：%2").arg(shown, sheet.firstRefusal()));
            return false;
        }
    }
    std::unique_ptr<StreamingSheetWriter> stream = createStream();
    for (const SheetContent& sheet : m_sheets) {
        bool written = stream->startSheet(sheet.sheetName(), sheet.columnWidthsPixels());
        for (int r = 0; written && r < sheet.rowCount(); ++r) {
            const std::vector<SheetCell>& cells = sheet.row(r);
            for (int c = 0; written && c < static_cast<int>(cells.size()); ++c) {
                const SheetCell& cell = cells[static_cast<size_t>(c)];
                switch (cell.kind) {
                case SheetCell::Kind::Text:
                    written = stream->writeText(r, c, cell.text, cell.style);
                    break;
                case SheetCell::Kind::Number:
                    written = stream->writeNumber(r, c, cell.number, cell.style);
                    break;
                case SheetCell::Kind::Empty:
                    written = cell.style == CellStyle::Normal || stream->writeBlank(r, c, cell.style);
                    break;
                }
            }
        }
        if (!written) {
            setError(error, QStringLiteral("无法生成文件 %1：%2").arg(shown, stream->error()));
            return false;
        }
    }
    QString reason;
    if (!stream->finish(path, &reason)) {
        setError(error, reason);
        return false;
    }
    m_truncated = stream->truncatedCells();
    return true;
}

QByteArray SpreadsheetWriter::toBytes(QString* error)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("book") + m_limits.formatName);
    if (!save(path, error))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, file.errorString());
        return {};
    }
    return file.readAll();
}

XlsWriter::XlsWriter() : SpreadsheetWriter({kMaxRows, kMaxColumns, QStringLiteral(".xls")}) {}

std::unique_ptr<StreamingSheetWriter> XlsWriter::createStream() const
{
    return std::make_unique<XlsStreamWriter>();
}

XlsxWriter::XlsxWriter() : SpreadsheetWriter({kMaxRows, kMaxColumns, QStringLiteral(".xlsx")}) {}

std::unique_ptr<StreamingSheetWriter> XlsxWriter::createStream() const
{
    return std::make_unique<XlsxStreamWriter>();
}

} // namespace zu
