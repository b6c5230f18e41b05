#include "sheetcontent.h"

#include <cmath>

namespace zu {

SheetContent::SheetContent(SheetLimits limits) : m_limits(std::move(limits)) {}

bool SheetContent::refuse(const QString& message)
{
    m_error = message;
    if (m_firstRefusal.isEmpty())
        m_firstRefusal = message;
    return false;
}

bool SheetContent::setSheetName(const QString& name)
{
    m_error.clear();
    if (name.trimmed().isEmpty())
        return refuse(QStringLiteral("工作表名称不能为空"));
    if (name.size() > kMaxSheetNameLength)
        return refuse(QStringLiteral("工作表名称“%1”超过 %2 个字符").arg(name).arg(kMaxSheetNameLength));
    static const QString forbidden = QStringLiteral(":\\/?*[]");
    for (const QChar c : name) {
        if (forbidden.contains(c) || c.unicode() < 0x20)
            return refuse(QStringLiteral("工作表名称“%1”含有不允许的字符 %2").arg(name, QString(c)));
    }
    if (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
        return refuse(QStringLiteral("工作表名称“%1”不能以单引号开头或结尾").arg(name));
    m_sheetName = name;
    return true;
}

bool SheetContent::setColumnWidthPixels(int column, int pixels)
{
    m_error.clear();
    if (column < 0 || column >= m_limits.columns)
        return refuse(QStringLiteral("第 %1 列超出了 %2 工作表的上限 %3 列")
                          .arg(column + 1)
                          .arg(m_limits.formatName)
                          .arg(m_limits.columns));
    if (pixels < 0)
        return refuse(QStringLiteral("第 %1 列的宽度 %2 像素无效").arg(column + 1).arg(pixels));
    m_widths.insert(column, pixels);
    return true;
}

bool SheetContent::checkPosition(int row, int column)
{
    m_error.clear();
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
    return true;
}

SheetCell& SheetContent::cellAt(int row, int column)
{
    if (static_cast<size_t>(row) >= m_rows.size())
        m_rows.resize(static_cast<size_t>(row) + 1);
    std::vector<SheetCell>& cells = m_rows[static_cast<size_t>(row)];
    if (static_cast<size_t>(column) >= cells.size()) {
        if (cells.empty())
            cells.reserve(static_cast<size_t>(std::max(m_columnCount, column + 1)));
        cells.resize(static_cast<size_t>(column) + 1);
    }
    m_columnCount = std::max(m_columnCount, column + 1);
    return cells[static_cast<size_t>(column)];
}

void SheetContent::reserveStrings(qsizetype count)
{
    if (m_limits.texts == TextPool::PerCell)
        m_strings.reserve(count);
    else
        m_stringIndex.reserve(count);
}

quint32 SheetContent::intern(const QString& text)
{
    if (m_limits.texts == TextPool::PerCell) {
        m_strings.append(text);
        return static_cast<quint32>(m_strings.size() - 1);
    }
    // One look-up: the slot holds the index plus one, 0 for a text seen for the first time.
    quint32& slot = m_stringIndex[text];
    if (slot == 0) {
        m_strings.append(text);
        slot = static_cast<quint32>(m_strings.size());
    }
    return slot - 1;
}

bool SheetContent::setText(int row, int column, const QString& text, CellStyle style)
{
    if (!checkPosition(row, column))
        return false;
    if (text.size() > kMaxTextLength)
        return refuse(QStringLiteral("第 %1 行第 %2 列的文字有 %3 个字符，超过了单元格的上限 %4 个字符")
                          .arg(row + 1)
                          .arg(column + 1)
                          .arg(text.size())
                          .arg(kMaxTextLength));
    SheetCell& cell = cellAt(row, column);
    if (text.isEmpty()) {
        cell = SheetCell{};
        cell.style = style;
        return true;
    }
    cell.kind = SheetCell::Kind::Text;
    cell.style = style;
    cell.textIndex = intern(text);
    return true;
}

bool SheetContent::setNumber(int row, int column, double value, CellStyle style)
{
    if (!checkPosition(row, column))
        return false;
    if (!std::isfinite(value))
        return refuse(
            QStringLiteral("第 %1 行第 %2 列的数值不是有限数，无法写入").arg(row + 1).arg(column + 1));
    SheetCell& cell = cellAt(row, column);
    cell.kind = SheetCell::Kind::Number;
    cell.style = style;
    cell.number = value;
    return true;
}

qsizetype SheetContent::textCellCount() const
{
    qsizetype count = 0;
    for (const auto& cells : m_rows)
        for (const SheetCell& cell : cells)
            count += cell.kind == SheetCell::Kind::Text ? 1 : 0;
    return count;
}

} // namespace zu
