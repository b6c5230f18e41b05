#include "spreadsheetwriter.h"

#include "xlsxfilewriter.h"
#include "xlswriter.h"

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

SpreadsheetWriter::SpreadsheetWriter(SheetLimits limits) : m_content(std::move(limits)) {}

SpreadsheetWriter::~SpreadsheetWriter() = default;

std::unique_ptr<SpreadsheetWriter> SpreadsheetWriter::forFileName(const QString& path)
{
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return std::make_unique<XlsxWriter>();
    return std::make_unique<XlsWriter>();
}

QByteArray SpreadsheetWriter::toBytes(QString* error) const
{
    if (!m_content.firstRefusal().isEmpty()) {
        setError(error, m_content.firstRefusal());
        return {};
    }
    QString reason;
    QByteArray bytes = encode(m_content, &reason);
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
