#include "listsheet.h"

#include "spreadsheet/spreadsheetwriter.h"

#include "data/connection.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "widgets/displaytext.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <future>
#include <vector>

namespace zu {

namespace {

enum class CellKind : quint8
{
    None,
    Number,
    Date,
    Text
};

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
    case ColumnType::DateTime:
        return CellKind::Date;
    case ColumnType::Text:
    case ColumnType::Boolean:
        break;
    }
    return CellKind::Text;
}

bool isDigits(const QString& text, qsizetype from, qsizetype count)
{
    for (qsizetype i = from; i < from + count; ++i)
        if (!text[i].isDigit())
            return false;
    return true;
}

int number(const QString& text, qsizetype from, qsizetype count)
{
    int n = 0;
    for (qsizetype i = from; i < from + count; ++i)
        n = n * 10 + text[i].digitValue();
    return n;
}

// The text a grid shows for a date stored as "yyyy-MM-dd HH:mm:ss" (the embedded database's
// form), made without a date object: time zone look-ups would cost more than the whole export.
// Empty for any other text, which then takes the data set's own way.
QString storedDateText(const QString& stored)
{
    if (stored.size() != 19 || !isDigits(stored, 0, 4) || stored[4] != QLatin1Char('-') ||
        !isDigits(stored, 5, 2) || stored[7] != QLatin1Char('-') || !isDigits(stored, 8, 2) ||
        stored[10] != QLatin1Char(' ') || !isDigits(stored, 11, 2) || stored[13] != QLatin1Char(':') ||
        !isDigits(stored, 14, 2) || stored[16] != QLatin1Char(':') || !isDigits(stored, 17, 2))
        return {};
    if (!QDate::isValid(number(stored, 0, 4), number(stored, 5, 2), number(stored, 8, 2)) ||
        !QTime::isValid(number(stored, 11, 2), number(stored, 14, 2), number(stored, 17, 2)))
        return {};
    static const QString midnight = QStringLiteral(" 00:00:00");
    return stored.endsWith(midnight) ? stored.left(10) : stored;
}

// The records of a data set read in large batches by key, in the data set's order, each cell as
// stored (typed() and dateText() make what the grid shows of it). The data set's own page cache is meant for
// the rows a grid paints; reading a whole list through it would take several times as long.
class ListRows final
{
public:
    static constexpr int kBatch = 500;

    // Reads the fields at the given positions; the others stay empty.
    ListRows(const DataSet& list, QList<int> positions)
        : m_list(list), m_dialect(list.connection().dialect()), m_positions(std::move(positions))
    {
    }

    // The stored values of the records first .. first + kBatch - 1 (fewer at the end) by field
    // position; empty values for a record the database no longer holds.
    struct Batch
    {
        int first = 0;
        std::vector<QVector<QVariant>> rows;
    };
    Batch read(int first)
    {
        fetch(first);
        Batch batch{first, std::move(m_rows)};
        m_rows.clear();
        return batch;
    }

    // A stored value as a value of its field's type.
    QVariant typed(const QVariant& raw, ColumnType type) const { return m_dialect.fromDb(raw, type); }

    // The grid's text of a date field's stored value.
    QString dateText(const QVariant& raw, ColumnType type) const
    {
        if (raw.typeId() == QMetaType::QString)
            if (QString text = storedDateText(raw.toString()); !text.isEmpty())
                return text;
        return displayText(m_dialect.fromDb(raw, type));
    }

private:
    void fetch(int first)
    {
        const int end = qMin(first + kBatch, m_list.recordCount());
        QVariantList keys;
        QHash<qint64, int> slot;
        for (int i = first; i < end; ++i) {
            keys << m_list.key(i);
            slot.insert(m_list.key(i).toLongLong(), i - first);
        }
        const int fields = m_list.fieldCount();
        m_rows.assign(static_cast<size_t>(end - first), QVector<QVariant>(fields));
        std::vector<bool> returned(m_rows.size(), false);

        // Every batch has the same statement, so it is prepared once; a short last batch repeats
        // its last key.
        while (keys.size() < kBatch)
            keys << keys.last();
        QSqlQuery& q = m_query;
        if (!m_prepared) {
            q = QSqlQuery(m_list.connection().database());
            q.setForwardOnly(m_dialect.forwardOnlyResults);
            QStringList marks, names{m_dialect.quote(m_list.keyField())};
            for (int i = 0; i < kBatch; ++i)
                marks << QStringLiteral("?");
            for (int position : m_positions)
                names << m_dialect.quote(m_list.fieldName(position));
            if (!q.prepare(QStringLiteral("select %1 from %2 where %3 in (%4)")
                               .arg(names.join(QLatin1Char(',')), m_list.tableName(),
                                    m_dialect.quote(m_list.keyField()), marks.join(QLatin1Char(',')))))
                throw DbError(sqlErrorText(q.lastError()));
            m_prepared = true;
        }
        for (int i = 0; i < kBatch; ++i)
            q.bindValue(i, keys[i]);
        if (!q.exec())
            throw DbError(sqlErrorText(q.lastError()));
        // Result column 0 is the key, then the fields in the order asked for, as stored: their
        // conversion is left to the thread that writes the cells.
        while (q.next()) {
            const auto s = slot.constFind(q.value(0).toLongLong());
            if (s == slot.constEnd())
                continue;
            QVector<QVariant>& r = m_rows[static_cast<size_t>(s.value())];
            returned[static_cast<size_t>(s.value())] = true;
            for (qsizetype i = 0; i < m_positions.size(); ++i) {
                r[m_positions[i]] = q.value(static_cast<int>(i) + 1);
            }
        }
        if (q.lastError().isValid())
            throw DbError(sqlErrorText(q.lastError()));
        q.finish();
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (!returned[i])
                std::fill(m_rows[i].begin(), m_rows[i].end(), QVariant());
    }

    const DataSet& m_list;
    const SqlDialect& m_dialect;
    QList<int> m_positions;
    std::vector<QVector<QVariant>> m_rows;
    QSqlQuery m_query;
    bool m_prepared = false;
};

bool writeValue(SpreadsheetWriter& writer, int row, int column, const QVariant& value, CellKind kind)
{
    if (value.isNull())
        return true;
    if (kind == CellKind::Number)
        return writer.writeNumber(row, column, value.toDouble());
    const QString text = displayText(value);
    return text.isEmpty() || writer.writeText(row, column, text);
}

} // namespace

bool writeListSheet(SpreadsheetWriter& writer, const DataSet& list, const ListSheetLayout& layout)
{
    const QList<LayoutColumn>& columns = layout.columns;
    std::vector<SourceColumn> sources;
    sources.reserve(static_cast<size_t>(columns.size()));
    for (const LayoutColumn& column : columns) {
        const int position = list.fieldIndex(column.field);
        sources.push_back({position, position < 0 ? CellKind::None : kindOf(list.fieldType(position))});
    }
    // The next row of the current sheet; a full sheet is followed by another one.
    int row = 0;
    auto nextRow = [&]() {
        if (row < writer.maxRows())
            return true;
        if (!writer.addSheet(QStringLiteral("Sheet%1").arg(writer.sheetCount() + 1)))
            return false;
        row = 0;
        return true;
    };
    auto writeTitles = [&]() {
        for (int c = 0; c < columns.size(); ++c)
            if (!writer.setColumnWidthPixels(c, columns[c].width) ||
                !writer.writeBoldText(row, c, columns[c].title))
                return false;
        ++row;
        return true;
    };
    auto startRow = [&]() {
        const int sheets = writer.sheetCount();
        return nextRow() && (writer.sheetCount() == sheets || writeTitles());
    };
    if (!writeTitles())
        return false;

    // The row being edited shows its edit buffer in the grid, and so in the file.
    const int records = list.recordCount();
    const int editedRow = list.state() == DataSet::State::Edit ? list.currentRow() : -1;
    QList<int> positions;
    for (const SourceColumn& source : sources)
        if (source.position >= 0 && !positions.contains(source.position))
            positions.push_back(source.position);
    ListRows rows(list, positions);
    int textColumns = 0;
    for (const SourceColumn& source : sources)
        textColumns += source.kind == CellKind::Text || source.kind == CellKind::Date ? 1 : 0;
    writer.reserveStrings(static_cast<qsizetype>(qMin(records, writer.maxRows())) * textColumns);
    std::vector<ColumnType> types(static_cast<size_t>(list.fieldCount()));
    for (int position : positions)
        types[static_cast<size_t>(position)] = list.fieldType(position);
    auto writeBatch = [&](const ListRows::Batch& batch, const QVector<QVariant>& edited) {
        for (size_t i = 0; i < batch.rows.size(); ++i, ++row) {
            if (!startRow())
                return false;
            const bool isEdited = batch.first + static_cast<int>(i) == editedRow;
            const QVector<QVariant>& stored = isEdited ? edited : batch.rows[i];
            for (int c = 0; c < columns.size(); ++c) {
                const SourceColumn& source = sources[static_cast<size_t>(c)];
                if (source.kind == CellKind::None)
                    continue;
                const QVariant& value = stored[source.position];
                if (value.isNull())
                    continue;
                if (source.kind == CellKind::Date && !isEdited) {
                    const QString text = rows.dateText(value, types[static_cast<size_t>(source.position)]);
                    if (!text.isEmpty() && !writer.writeText(row, c, text))
                        return false;
                } else if (!writeValue(writer, row, c,
                                       isEdited
                                           ? value
                                           : rows.typed(value, types[static_cast<size_t>(source.position)]),
                                       source.kind)) {
                    return false;
                }
            }
        }
        return true;
    };
    // The database is read on this thread, the connection's; the cells of a batch are written on
    // another one while the next batch is read. One batch is written at a time, in order.
    QVector<QVariant> edited(list.fieldCount());
    if (editedRow >= 0)
        for (int position : positions)
            edited[position] = list.field(position);
    std::future<bool> writing;
    for (int first = 0; first < records; first += ListRows::kBatch) {
        ListRows::Batch batch = rows.read(first);
        if (writing.valid() && !writing.get())
            return false;
        writing = std::async(std::launch::async, [&writeBatch, &edited, batch = std::move(batch)] {
            return writeBatch(batch, edited);
        });
    }
    if (writing.valid() && !writing.get())
        return false;

    if (!layout.hasFooter)
        return true;
    if (!startRow())
        return false;
    for (int c = 0; c < columns.size(); ++c) {
        if (columns[c].sumField == 2) {
            if (!writer.writeNumber(row, c, records))
                return false;
            continue;
        }
        const QString text = footerText(columns[c], records);
        if (!text.isEmpty() && !writer.writeText(row, c, text))
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
