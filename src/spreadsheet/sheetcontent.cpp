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
    if (const QString problem = StreamingSheetWriter::sheetNameProblem(name); !problem.isEmpty())
        return refuse(problem);
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

bool SheetContent::setText(int row, int column, const QString& text, CellStyle style)
{
    if (!checkPosition(row, column))
        return false;
    SheetCell& cell = cellAt(row, column);
    cell = SheetCell{};
    cell.style = style;
    if (!text.isEmpty()) {
        cell.kind = SheetCell::Kind::Text;
        cell.text = text;
    }
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

} // namespace zu
