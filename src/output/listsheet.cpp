#include "listsheet.h"

#include "columns/displaytext.h"
#include "data/connection.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "spreadsheet/streamingsheetwriter.h"

#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace zu {

namespace {

enum class CellKind : quint8
{
    None,
    Integer,
    Decimal,
    Date,
    Boolean,
    Text
};

struct SourceColumn
{
    int field; // result column of the statement, -1 when the column shows no field
    CellKind kind;
    ColumnType type;
};

CellKind kindOf(ColumnType type)
{
    switch (type) {
    case ColumnType::Integer:
        return CellKind::Integer;
    case ColumnType::Float:
        return CellKind::Decimal;
    case ColumnType::DateTime:
        return CellKind::Date;
    case ColumnType::Boolean:
        return CellKind::Boolean;
    case ColumnType::Text:
        break;
    }
    return CellKind::Text;
}

bool isDigits(QStringView text, qsizetype from, qsizetype count)
{
    for (qsizetype i = from; i < from + count; ++i)
        if (!text[i].isDigit())
            return false;
    return true;
}

int number(QStringView text, qsizetype from, qsizetype count)
{
    int n = 0;
    for (qsizetype i = from; i < from + count; ++i)
        n = n * 10 + text[i].digitValue();
    return n;
}

// The text a grid shows for a date stored as "yyyy-MM-dd HH:mm:ss" (the embedded database's
// form), as a part of the stored text: a date object and its time zone look-ups would cost more
// than the rest of the export. Empty for any other text, which then takes the data set's own way.
QStringView storedDateText(QStringView stored)
{
    if (stored.size() != 19 || !isDigits(stored, 0, 4) || stored[4] != u'-' || !isDigits(stored, 5, 2) ||
        stored[7] != u'-' || !isDigits(stored, 8, 2) || stored[10] != u' ' || !isDigits(stored, 11, 2) ||
        stored[13] != u':' || !isDigits(stored, 14, 2) || stored[16] != u':' || !isDigits(stored, 17, 2))
        return {};
    if (!QDate::isValid(number(stored, 0, 4), number(stored, 5, 2), number(stored, 8, 2)) ||
        !QTime::isValid(number(stored, 11, 2), number(stored, 14, 2), number(stored, 17, 2)))
        return {};
    return stored.endsWith(u" 00:00:00") ? stored.first(10) : stored;
}

// One cell from a value as the statement gives it (`typed`: as the data set holds it, for the row
// being edited).
bool writeCell(StreamingSheetWriter& writer, const SqlDialect& dialect, int row, int column,
               const SourceColumn& source, const QVariant& value, bool typed)
{
    if (value.isNull())
        return true;
    switch (source.kind) {
    case CellKind::None:
        return true;
    case CellKind::Integer:
        return writer.writeNumber(row, column, static_cast<double>(value.toLongLong()));
    case CellKind::Decimal:
        return writer.writeNumber(row, column, value.toDouble());
    case CellKind::Text:
        if (value.typeId() == QMetaType::QString)
            return writer.writeText(row, column, *static_cast<const QString*>(value.constData()));
        return writer.writeText(row, column, value.toString());
    case CellKind::Date:
        if (!typed && value.typeId() == QMetaType::QString) {
            if (const QStringView text = storedDateText(*static_cast<const QString*>(value.constData()));
                !text.isEmpty())
                return writer.writeText(row, column, text);
        }
        break;
    case CellKind::Boolean:
        break;
    }
    const QString text = displayText(typed ? value : dialect.fromDb(value, source.type));
    return text.isEmpty() || writer.writeText(row, column, text);
}

// Rows read from the statement, as it gives them, on their way to the thread that writes them.
struct RowBatch
{
    std::vector<QVariant> values; // row after row, `width` values each
    std::vector<bool> edited;     // whose values come from the data set's edit buffer
};

// Hands batches from the thread that reads the database (the connection's) to the one that
// writes cells; at most a few wait, so the memory stays small however long the list.
class BatchQueue final
{
public:
    void push(RowBatch batch)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_batches.size() < kMaxWaiting || m_closed; });
        m_batches.push_back(std::move(batch));
        m_changed.notify_all();
    }
    std::optional<RowBatch> pop()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_batches.empty() || m_closed; });
        if (m_batches.empty())
            return std::nullopt;
        RowBatch batch = std::move(m_batches.front());
        m_batches.pop_front();
        m_changed.notify_all();
        return batch;
    }
    void close()
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_changed.notify_all();
    }

private:
    static constexpr size_t kMaxWaiting = 3;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<RowBatch> m_batches;
    bool m_closed = false;
};

// Closes the queue and waits for the writing thread however the reading ends.
class WritingThread final
{
public:
    WritingThread(BatchQueue& queue, std::function<void()> body) : m_queue(queue), m_thread(std::move(body))
    {
    }
    ~WritingThread() { join(); }
    WritingThread(const WritingThread&) = delete;
    WritingThread& operator=(const WritingThread&) = delete;
    void join()
    {
        m_queue.close();
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    BatchQueue& m_queue;
    std::thread m_thread;
};

} // namespace

int writeListSheet(StreamingSheetWriter& writer, const DataSet& list, const ListSheetLayout& layout)
{
    const QList<LayoutColumn>& columns = layout.columns;
    const SqlDialect& dialect = list.connection().dialect();
    // The statement reads the key, then each field the columns show, once.
    QStringList selected{dialect.quote(list.keyField())};
    QList<int> positions;
    std::vector<SourceColumn> sources;
    for (const LayoutColumn& column : columns) {
        const int position = list.fieldIndex(column.field);
        if (position < 0) {
            sources.push_back({-1, CellKind::None, ColumnType::Text});
            continue;
        }
        qsizetype at = positions.indexOf(position);
        if (at < 0) {
            at = positions.size();
            positions.append(position);
            selected << dialect.quote(list.fieldName(position));
        }
        const ColumnType type = list.fieldType(position);
        sources.push_back({static_cast<int>(at) + 1, kindOf(type), type});
    }
    QString sql = QStringLiteral("select %1 from %2").arg(selected.join(QLatin1Char(',')), list.tableName());
    if (!list.whereClause().trimmed().isEmpty())
        sql += QStringLiteral(" where ") + list.whereClause();
    sql += QStringLiteral(" order by ") +
           (list.orderBy().trimmed().isEmpty() ? dialect.quote(list.keyField()) : list.orderBy());

    QMap<int, int> widths;
    for (int c = 0; c < columns.size(); ++c)
        widths.insert(c, columns[c].width);
    int row = 0;
    auto startSheet = [&]() {
        if (!writer.startSheet(QStringLiteral("Sheet%1").arg(writer.sheetCount() + 1), widths))
            return false;
        for (int c = 0; c < columns.size(); ++c)
            if (!writer.writeText(0, c, columns[c].title, CellStyle::Bold))
                return false;
        row = 1;
        return true;
    };
    if (!startSheet())
        return -1;

    // The row being edited shows its edit buffer in the grid, and so in the file.
    const bool editing = list.state() == DataSet::State::Edit;
    const QVariant editedKey = editing ? list.currentKey() : QVariant();
    QSqlQuery q(list.connection().database());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw DbError(sqlErrorText(q.lastError()));
    const QVariantList bindValues = list.bindValues();
    for (qsizetype i = 0; i < bindValues.size(); ++i)
        q.bindValue(static_cast<int>(i), bindValues[i]);
    if (!q.exec())
        throw DbError(sqlErrorText(q.lastError()));

    // This thread reads the rows; another one turns them into cells meanwhile.
    const auto width = static_cast<size_t>(selected.size());
    int records = 0;
    std::atomic<bool> refused = false;
    BatchQueue queue;
    WritingThread writing(queue, [&] {
        while (std::optional<RowBatch> batch = queue.pop()) {
            if (refused)
                continue;
            for (size_t r = 0; r < batch->edited.size(); ++r, ++row) {
                if (row >= writer.maxRows() && !startSheet()) {
                    refused = true;
                    break;
                }
                const QVariant* values = batch->values.data() + r * width;
                for (int c = 0; c < columns.size(); ++c) {
                    const SourceColumn& source = sources[static_cast<size_t>(c)];
                    if (source.field >= 0 &&
                        !writeCell(writer, dialect, row, c, source, values[source.field], batch->edited[r])) {
                        refused = true;
                        break;
                    }
                }
                if (refused)
                    break;
            }
        }
    });
    constexpr size_t kBatchRows = 1000;
    RowBatch batch;
    while (!refused && q.next()) {
        const bool edited = editing && q.value(0) == editedKey;
        batch.values.emplace_back(); // the key, which only finds the row being edited
        for (size_t i = 1; i < width; ++i) {
            if (edited)
                batch.values.push_back(list.field(positions[static_cast<qsizetype>(i) - 1]));
            else
                batch.values.push_back(q.value(static_cast<int>(i)));
        }
        batch.edited.push_back(edited);
        ++records;
        if (batch.edited.size() == kBatchRows) {
            queue.push(std::move(batch));
            batch = RowBatch();
            batch.values.reserve(kBatchRows * width);
        }
    }
    const bool failed = q.lastError().isValid();
    if (!batch.edited.empty())
        queue.push(std::move(batch));
    writing.join();
    if (failed)
        throw DbError(sqlErrorText(q.lastError()));
    if (refused)
        return -1;

    if (!layout.hasFooter)
        return records;
    if (row >= writer.maxRows() && !startSheet())
        return -1;
    for (int c = 0; c < columns.size(); ++c) {
        if (columns[c].sumField == 2) {
            if (!writer.writeNumber(row, c, records))
                return -1;
            continue;
        }
        const QString text = footerText(columns[c], records);
        if (!text.isEmpty() && !writer.writeText(row, c, text))
            return -1;
    }
    return records;
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

int writeTableSheet(StreamingSheetWriter& writer, const QList<QStringList>& rows, const QStringList& titles)
{
    int row = 0;
    const auto startSheet = [&] {
        if (!writer.startSheet(QStringLiteral("Sheet%1").arg(writer.sheetCount() + 1)))
            return false;
        for (int c = 0; c < titles.size(); ++c)
            if (!writer.writeText(0, c, titles[c], CellStyle::Bold))
                return false;
        row = 1;
        return true;
    };
    if (!startSheet())
        return -1;
    for (const QStringList& texts : rows) {
        if (row >= writer.maxRows() && !startSheet())
            return -1;
        for (int c = 0; c < texts.size(); ++c)
            if (!texts[c].isEmpty() && !writer.writeText(row, c, texts[c]))
                return -1;
        ++row;
    }
    return int(rows.size());
}

} // namespace zu
