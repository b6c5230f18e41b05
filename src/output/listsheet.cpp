#include "listsheet.h"

#include "spreadsheetwriter.h"

#include "data/dataset.h"

#include <vector>

namespace zu {

namespace {

enum class CellKind : quint8 { None, Number, Text };

struct SourceColumn
{
    int position; // field of the data set, -1 when the column shows none
    CellKind kind;
};

CellKind kindOf(ColumnType type)
{
    switch (type) {
    case ColumnType::Integer:
    case ColumnType::Float:
        return CellKind::Number;
    case ColumnType::Text:
    case ColumnType::DateTime:
    case ColumnType::Boolean:
        break;
    }
    return CellKind::Text;
}

bool writeValue(SpreadsheetWriter& writer, int row, int column, const QVariant& value, CellKind kind)
{
    if (value.isNull())
        return true;
    if (kind == CellKind::Number)
        return writer.writeNumber(row, column, value.toDouble());
    const QString text = DataSet::displayText(value);
    return text.isEmpty() || writer.writeText(row, column, text);
}

} // namespace

int listSheetRowCount(int recordCount, bool hasFooter)
{
    return 1 + recordCount + (hasFooter ? 1 : 0);
}

bool writeListSheet(SpreadsheetWriter& writer, const DataSet& list, const ListSheetLayout& layout)
{
    const QList<LayoutColumn>& columns = layout.columns;
    std::vector<SourceColumn> sources;
    sources.reserve(static_cast<size_t>(columns.size()));
    for (int c = 0; c < columns.size(); ++c) {
        const int position = list.fieldIndex(columns[c].field);
        sources.push_back({position, position < 0 ? CellKind::None : kindOf(list.fieldType(position))});
        if (!writer.setColumnWidthPixels(c, columns[c].width) || !writer.writeBoldText(0, c, columns[c].title))
            return false;
    }

    // The row being edited shows its edit buffer in the grid, and so in the file.
    const int records = list.recordCount();
    const int editedRow = list.state() == DataSet::State::Edit ? list.currentRow() : -1;
    for (int r = 0; r < records; ++r) {
        for (int c = 0; c < columns.size(); ++c) {
            const SourceColumn& source = sources[static_cast<size_t>(c)];
            if (source.kind == CellKind::None)
                continue;
            const QVariant value = r == editedRow ? list.field(source.position) : list.value(r, source.position);
            if (!writeValue(writer, r + 1, c, value, source.kind))
                return false;
        }
    }

    if (!layout.hasFooter)
        return true;
    const int footerRow = records + 1;
    for (int c = 0; c < columns.size(); ++c) {
        if (columns[c].sumField == 2) {
            if (!writer.writeNumber(footerRow, c, records))
                return false;
            continue;
        }
        const QString text = footerText(columns[c], records);
        if (!text.isEmpty() && !writer.writeText(footerRow, c, text))
            return false;
    }
    return true;
}

QString exportFileName(const QString& chosen)
{
    // The dialog gives a whole path: the blanks around the name the user typed go too.
    QString name = chosen.trimmed();
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const QString folder = name.left(slash + 1);
    name = folder + name.mid(slash + 1).trimmed();
    if (name.isEmpty() || name == folder)
        return {};
    if (name.contains(QLatin1String(".xls"), Qt::CaseSensitive))
        return name;
    return name + QLatin1String(".xls");
}

} // namespace zu
