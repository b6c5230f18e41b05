#pragma once

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

namespace zu {

enum class CellStyle : quint8
{
    Normal,
    Bold
};

struct SheetCell
{
    enum class Kind : quint8
    {
        Empty,
        Text,
        Number
    };
    Kind kind = Kind::Empty;
    CellStyle style = CellStyle::Normal;
    quint32 textIndex = 0; // into SheetContent::strings()
    double number = 0;
};

// How a file format keeps the texts of its cells: in one table that holds each different text
// once and that cells refer to, or in each cell by itself.
enum class TextPool : quint8
{
    Shared,
    PerCell
};

// The size a file format allows (writes beyond it are refused) and how it keeps texts.
struct SheetLimits
{
    int rows;
    int columns;
    QString formatName;
    TextPool texts = TextPool::Shared;
};

// One worksheet's cells as the writers receive them: a string pool and rows of compact cells.
// Every refused change leaves a message in error() and remembers it, so that a later save fails too
// instead of writing a sheet with missing cells.
class SheetContent final
{
public:
    explicit SheetContent(SheetLimits limits);

    const SheetLimits& limits() const { return m_limits; }

    bool setSheetName(const QString& name);
    QString sheetName() const { return m_sheetName; }

    bool setColumnWidthPixels(int column, int pixels);
    const QMap<int, int>& columnWidthsPixels() const { return m_widths; }

    bool setText(int row, int column, const QString& text, CellStyle style);
    void reserveStrings(qsizetype count);
    bool setNumber(int row, int column, double value, CellStyle style);

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    int columnCount() const { return m_columnCount; }
    // Cells of one row; the row may be shorter than columnCount().
    const std::vector<SheetCell>& row(int row) const { return m_rows[static_cast<size_t>(row)]; }
    // With TextPool::Shared each different text once, with PerCell one entry for each text written.
    const QStringList& strings() const { return m_strings; }
    qsizetype textCellCount() const;

    QString error() const { return m_error; }
    QString firstRefusal() const { return m_firstRefusal; }
    // Records a refusal decided outside the sheet (by the workbook that holds it).
    bool refuseChange(const QString& message) { return refuse(message); }

    static constexpr int kMaxTextLength = 32767;
    static constexpr int kMaxSheetNameLength = 31;

private:
    bool checkPosition(int row, int column);
    bool refuse(const QString& message);
    SheetCell& cellAt(int row, int column);
    quint32 intern(const QString& text);

    SheetLimits m_limits;
    QString m_sheetName = QStringLiteral("Sheet1");
    QMap<int, int> m_widths;
    std::vector<std::vector<SheetCell>> m_rows;
    int m_columnCount = 0;
    QStringList m_strings;
    QHash<QString, quint32> m_stringIndex; // index + 1
    QString m_error;
    QString m_firstRefusal;
};

} // namespace zu
