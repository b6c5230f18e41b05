#include "spreadsheetwriter.h"

#include "xlswriter.h"
#include "xlsxfilewriter.h"

#include <QFileInfo>
#include <QSaveFile>

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

SpreadsheetWriter::~SpreadsheetWriter() = default;

std::unique_ptr<SpreadsheetWriter> SpreadsheetWriter::forFileName(const QString& path)
{
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return std::make_unique<XlsxWriter>();
    return std::make_unique<XlsWriter>();
}

QByteArray SpreadsheetWriter::toBytes(QString* error) const
{
    for (const SheetContent& sheet : m_sheets) {
        if (!sheet.firstRefusal().isEmpty()) {
            setError(error, sheet.firstRefusal());
            return {};
        }
    }
    QString reason;
    QByteArray bytes = encode(m_sheets, &reason);
    if (bytes.isEmpty())
        setError(error, reason);
    return bytes;
}

bool SpreadsheetWriter::save(const QString& path, QString* error) const
{
    QString reason;
    const QByteArray bytes = toBytes(&reason);
    const QString shown = QFileInfo(path).absoluteFilePath();
    if (bytes.isEmpty()) {
        setError(error, QStringLiteral("无法生成文件 %1：%2").arg(shown, reason));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, QStringLiteral("无法写入文件 %1：%2").arg(shown, file.errorString()));
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        setError(error, QStringLiteral("无法写入文件 %1：%2").arg(shown, file.errorString()));
        return false;
    }
    return true;
}

} // namespace zu
