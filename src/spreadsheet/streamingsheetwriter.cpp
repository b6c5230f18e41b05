#include "streamingsheetwriter.h"

#include "xlsstreamwriter.h"
#include "xlsxstreamwriter.h"

#include <QFileInfo>

#include <cmath>

namespace zu {

StreamingSheetWriter::StreamingSheetWriter(SheetLimits limits) : m_limits(std::move(limits)) {}

StreamingSheetWriter::~StreamingSheetWriter() = default;

std::unique_ptr<StreamingSheetWriter> StreamingSheetWriter::forFileName(const QString& path)
{
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return std::make_unique<XlsxStreamWriter>();
    return std::make_unique<XlsStreamWriter>();
}

QString StreamingSheetWriter::truncationMark()
{
    return QStringLiteral("…（已截断）");
}

QString StreamingSheetWriter::fileNotWrittenReason()
{
    return QStringLiteral("文件无法写入，磁盘可能已满");
}

QString StreamingSheetWriter::sheetNameProblem(const QString& name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("工作表名称不能为空");
    if (name.size() > kMaxSheetNameLength)
        return QStringLiteral("工作表名称“%1”超过 %2 个字符").arg(name).arg(kMaxSheetNameLength);
    static const QString forbidden = QStringLiteral(":\\/?*[]");
    for (const QChar c : name) {
        if (forbidden.contains(c) || c.unicode() < 0x20)
            return QStringLiteral("工作表名称“%1”含有不允许的字符 %2").arg(name, QString(c));
    }
    if (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
        return QStringLiteral("工作表名称“%1”不能以单引号开头或结尾").arg(name);
    return {};
}

bool StreamingSheetWriter::refuse(const QString& message)
{
    m_error = message;
    if (m_firstRefusal.isEmpty())
        m_firstRefusal = message;
    return false;
}

bool StreamingSheetWriter::startSheet(const QString& name, const QMap<int, int>& columnWidthsPixels)
{
    m_error.clear();
    m_sheetAsked = true;
    m_sheetOpen = false;
    if (const QString problem = sheetNameProblem(name); !problem.isEmpty())
        return refuse(problem);
    for (const QString& used : std::as_const(m_sheetNames))
        if (used.compare(name, Qt::CaseInsensitive) == 0)
            return refuse(QStringLiteral("工作表名称“%1”已经用过").arg(name));
    for (auto it = columnWidthsPixels.cbegin(); it != columnWidthsPixels.cend(); ++it) {
        if (it.key() < 0 || it.key() >= m_limits.columns)
            return refuse(QStringLiteral("第 %1 列超出了 %2 工作表的上限 %3 列")
                              .arg(it.key() + 1)
                              .arg(m_limits.formatName)
                              .arg(m_limits.columns));
        if (it.value() < 0)
            return refuse(QStringLiteral("第 %1 列的宽度 %2 像素无效").arg(it.key() + 1).arg(it.value()));
    }
    QString reason;
    if (!beginSheet(name, columnWidthsPixels, &reason))
        return refuse(reason);
    m_sheetNames << name;
    ++m_sheetCount;
    m_lastRow = -1;
    m_lastColumn = -1;
    m_sheetOpen = true;
    return true;
}

bool StreamingSheetWriter::checkPosition(int row, int column)
{
    m_error.clear();
    if (!m_sheetAsked && !startSheet(QStringLiteral("Sheet1")))
        return false;
    // After a refused sheet, no cell may go on in the sheet before it.
    if (!m_sheetOpen)
        return refuse(QStringLiteral("工作表没有建立，单元格（第 %1 行，第 %2 列）无法写入")
                          .arg(row + 1)
                          .arg(column + 1));
    if (row < 0 || column < 0)
        return refuse(QStringLiteral("单元格位置（第 %1 行，第 %2 列）无效").arg(row + 1).arg(column + 1));
    if (row >= m_limits.rows)
        return refuse(QStringLiteral("第 %1 行超出了 %2 工作表的上限 %3 行")
                          .arg(row + 1)
                          .arg(m_limits.formatName)
                          .arg(m_limits.rows));
    if (column >= m_limits.columns)
        return refuse(QStringLiteral("第 %1 列超出了 %2 工作表的上限 %3 列")
                          .arg(column + 1)
                          .arg(m_limits.formatName)
                          .arg(m_limits.columns));
    if (row < m_lastRow || (row == m_lastRow && column <= m_lastColumn))
        return refuse(
            QStringLiteral("单元格（第 %1 行，第 %2 列）不在上一个单元格之后").arg(row + 1).arg(column + 1));
    m_lastRow = row;
    m_lastColumn = column;
    return true;
}

bool StreamingSheetWriter::writeText(int row, int column, QStringView text, CellStyle style)
{
    if (!checkPosition(row, column))
        return false;
    QString reason;
    if (text.size() > kMaxTextLength) {
        ++m_truncated;
        const QString mark = truncationMark();
        qsizetype keep = kMaxTextLength - mark.size();
        if (text.at(keep - 1).isHighSurrogate())
            --keep;
        m_cut = text.first(keep).toString() + mark;
        return putText(row, column, m_cut, style, &reason) || refuse(reason);
    }
    return putText(row, column, text, style, &reason) || refuse(reason);
}

bool StreamingSheetWriter::writeNumber(int row, int column, double value, CellStyle style)
{
    if (!checkPosition(row, column))
        return false;
    if (!std::isfinite(value))
        return refuse(
            QStringLiteral("第 %1 行第 %2 列的数值不是有限数，无法写入").arg(row + 1).arg(column + 1));
    QString reason;
    return putNumber(row, column, value, style, &reason) || refuse(reason);
}

bool StreamingSheetWriter::writeBlank(int row, int column, CellStyle style)
{
    if (!checkPosition(row, column))
        return false;
    QString reason;
    return putBlank(row, column, style, &reason) || refuse(reason);
}

bool StreamingSheetWriter::finish(const QString& path, QString* error)
{
    const QString shown = QFileInfo(path).absoluteFilePath();
    if (!m_firstRefusal.isEmpty()) {
        *error = QStringLiteral("无法生成文件 %1：%2").arg(shown, m_firstRefusal);
        return false;
    }
    if (m_sheetCount == 0 && !startSheet(QStringLiteral("Sheet1"))) {
        *error = QStringLiteral("无法生成文件 %1：%2").arg(shown, m_error);
        return false;
    }
    QString reason;
    if (!complete(path, &reason)) {
        *error = QStringLiteral("无法写入文件 %1：%2").arg(shown, reason);
        return false;
    }
    return true;
}

} // namespace zu
