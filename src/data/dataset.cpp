#include "dataset.h"

#include "columnfit.h"
#include "columnlabels.h"
#include "connection.h"
#include "errors.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace zu {

namespace {

QSqlQuery runSelect(Connection& connection, const QString& sql, const QVariantList& bindValues)
{
    return connection.run(sql, bindValues);
}

const QString kChangedText =
    QStringLiteral("这条记录已被其他用户修改，您的修改没有保存。列表已显示最新内容，请重新打开后再修改。");
const QString kDeletedText = QStringLiteral("这条记录已被其他用户删除，您的修改没有保存。");
const QString kChangedBeforeDeleteText =
    QStringLiteral("这条记录已被其他用户修改，没有删除。列表已显示最新内容，请确认后再删除。");
const QString kDeletedBeforeDeleteText = QStringLiteral("这条记录已被其他用户删除。");

} // namespace

DataSet::DataSet(Connection& connection, QString name, QString table, QString keyField, QObject* parent)
    : QAbstractTableModel(parent), m_connection(connection), m_name(std::move(name)),
      m_table(std::move(table)), m_keyField(std::move(keyField))
{
    setObjectName(m_name);
}

DataSet::~DataSet() = default;

void DataSet::loadFields()
{
    if (!m_fields.isEmpty())
        return;
    QSqlQuery q = runSelect(m_connection, QStringLiteral("select * from %1 where 1=0").arg(m_table), {});
    const QSqlRecord record = q.record();
    const QHash<QString, ColumnType> types =
        m_connection.dialect().columnTypes(m_connection.database(), m_table);
    const QHash<QString, int> widths = m_connection.dialect().columnWidths(m_connection.database(), m_table);
    for (int i = 0; i < record.count(); ++i) {
        const QString n = record.fieldName(i);
        m_fields.push_back({n, types.value(n.toLower(), ColumnType::Text), widths.value(n.toLower(), -1)});
        if (n.compare(m_keyField, Qt::CaseInsensitive) == 0)
            m_keyPosition = i;
        if (n.compare(QLatin1String(kRowVersionColumn), Qt::CaseInsensitive) == 0)
            m_versionPosition = i;
    }
    if (m_keyPosition < 0)
        throw DbError(QStringLiteral("表 %1 没有键字段 %2").arg(m_table, m_keyField));
}

QString DataSet::selectKeysSql() const
{
    QString sql = QStringLiteral("select %1 from %2").arg(m_keyField, m_table);
    if (!m_where.trimmed().isEmpty())
        sql += QStringLiteral(" where ") + m_where;
    sql += QStringLiteral(" order by ") + (m_orderBy.trimmed().isEmpty() ? m_keyField : m_orderBy);
    return sql;
}

void DataSet::openKeys()
{
    QSqlQuery q = runSelect(m_connection, selectKeysSql(), m_bindValues);
    QVector<qint64> keys;
    while (q.next())
        keys.push_back(q.value(0).toLongLong());
    if (q.lastError().isValid())
        throw m_connection.failure(q.lastError(), q.lastQuery(), m_bindValues);
    m_keys = std::move(keys);
    m_pages.clear();
    m_pageUse.clear();
    m_gone.clear();
}

void DataSet::open(const QString& where, const QVariantList& bindValues, const QString& orderBy)
{
    close();
    loadFields();
    m_where = where;
    m_bindValues = bindValues;
    m_orderBy = orderBy;
    beginResetModel();
    try {
        openKeys();
    } catch (...) {
        m_keys.clear();
        endResetModel();
        throw;
    }
    m_state = State::Browse;
    endResetModel();
    emit stateChanged(m_state);
    emit opened();
    setCurrent(m_keys.isEmpty() ? -1 : 0, true);
    m_eof = m_keys.isEmpty();
}

void DataSet::refresh()
{
    if (!isOpen()) {
        open(m_where, m_bindValues, m_orderBy);
        return;
    }
    if (m_state != State::Browse)
        cancel();
    const QVariant key = currentKey();
    const int oldRow = m_current;
    beginResetModel();
    try {
        openKeys();
    } catch (...) {
        // The rows read before stay listed: once the server is back, the user goes on with them
        // (an editor's kept input is saved to its row) instead of finding an empty list.
        endResetModel();
        throw;
    }
    endResetModel();
    emit opened();
    const int found = key.isValid() ? static_cast<int>(m_keys.indexOf(key.toLongLong())) : -1;
    const int row = found >= 0 ? found : qMin(oldRow, recordCount() - 1);
    setCurrent(m_keys.isEmpty() ? -1 : qMax(row, 0), true);
}

void DataSet::reloadCurrentRow()
{
    if (m_state != State::Browse || m_current < 0)
        return;
    const int at = m_current;
    dropPageOf(at);
    m_gone.clear();
    row(at); // fetched again now, so that a deleted row is known
    if (m_gone.contains(m_keys[at])) {
        removeRow(at);
        return;
    }
    const int first = at / kPageSize * kPageSize;
    const int last = qMin(first + kPageSize, recordCount()) - 1;
    emit dataChanged(index(first, 0), index(last, columnCount() - 1));
    emit currentRowChanged(m_current);
}

void DataSet::close()
{
    if (m_state == State::Inactive)
        return;
    beginResetModel();
    m_keys.clear();
    m_pages.clear();
    m_pageUse.clear();
    m_buffer.clear();
    m_state = State::Inactive;
    endResetModel();
    m_current = -1;
    m_eof = true;
    emit stateChanged(m_state);
    emit closed();
    emit currentRowChanged(-1);
}

void DataSet::setMaster(DataSet* master, const QString& masterField, const QString& detailField)
{
    if (m_master)
        disconnect(m_master, nullptr, this, nullptr);
    m_master = master;
    m_masterField = masterField;
    m_detailField = detailField;
    if (!master)
        return;
    connect(master, &DataSet::currentRowChanged, this, &DataSet::masterMoved);
    connect(master, &DataSet::closed, this, &DataSet::close);
}

void DataSet::masterMoved()
{
    if (!m_master || !m_master->isOpen()) {
        close();
        return;
    }
    // The master's current value decides the rows; no current master row selects none.
    const QVariant value = m_master->currentRow() >= 0 ? m_master->field(m_masterField) : QVariant();
    if (value.isNull() || value.toString().isEmpty())
        open(QStringLiteral("1=0"));
    else
        open(m_detailField + QStringLiteral(" = ?"), {value});
}

void DataSet::setCurrent(int row, bool force)
{
    if (row == m_current && !force)
        return;
    m_current = row;
    emit currentRowChanged(row);
}

void DataSet::setCurrentRow(int row)
{
    if (m_state == State::Inactive)
        return;
    if (m_keys.isEmpty())
        row = -1;
    else
        row = qBound(0, row, recordCount() - 1);
    if (m_state != State::Browse && row != m_current)
        post();
    m_eof = m_keys.isEmpty();
    setCurrent(row);
}

void DataSet::first()
{
    setCurrentRow(0);
}

void DataSet::next()
{
    if (m_keys.isEmpty() || m_current >= recordCount() - 1) {
        m_eof = true;
        return;
    }
    setCurrentRow(m_current + 1);
}

void DataSet::last()
{
    setCurrentRow(recordCount() - 1);
}

bool DataSet::locate(const QString& fieldName, const QVariant& value)
{
    const int position = requireField(fieldName);
    for (int r = 0; r < recordCount(); ++r) {
        const QVariant v = this->value(r, position);
        const bool same = (v.typeId() == QMetaType::QString && value.typeId() == QMetaType::QString)
                              ? v.toString().compare(value.toString(), Qt::CaseInsensitive) == 0
                              : v == value;
        if (same) {
            setCurrentRow(r);
            return true;
        }
    }
    return false;
}

bool DataSet::locateKey(const QVariant& key)
{
    const int r = static_cast<int>(m_keys.indexOf(key.toLongLong()));
    if (r < 0)
        return false;
    setCurrentRow(r);
    return true;
}

QString DataSet::fieldName(int position) const
{
    return position >= 0 && position < fieldCount() ? m_fields[position].name : QString();
}

int DataSet::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int DataSet::requireField(const QString& name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(QStringLiteral("数据集 %1 没有字段 %2").arg(m_name, name));
    return i;
}

ColumnType DataSet::fieldType(int position) const
{
    return position >= 0 && position < fieldCount() ? m_fields[position].type : ColumnType::Text;
}

QVariant DataSet::field(const QString& name) const
{
    return field(requireField(name));
}

QVariant DataSet::field(int position) const
{
    if (position < 0 || position >= fieldCount())
        return {};
    if (m_state == State::Edit || m_state == State::Insert)
        return m_buffer.value(position);
    if (m_current < 0)
        return {};
    return value(m_current, position);
}

QString DataSet::fieldText(const QString& name) const
{
    return field(name).toString();
}

RowStamp DataSet::stamp() const
{
    if (m_current < 0)
        return {};
    return {currentKey(), m_versionPosition >= 0 ? field(m_versionPosition) : QVariant()};
}

QVariant DataSet::key(int row) const
{
    if (row < 0 || row >= recordCount())
        return {};
    return m_keys[row];
}

const DataSet::Row* DataSet::row(int index) const
{
    if (index < 0 || index >= recordCount())
        return nullptr;
    if (m_cacheRollbacks != m_connection.rollbackCount()) {
        m_pages.clear();
        m_pageUse.clear();
        m_cacheRollbacks = m_connection.rollbackCount();
    }
    const int page = index / kPageSize;
    auto it = m_pages.find(page);
    // A page read before rows were added to its end is read again.
    if (it != m_pages.end() && it.value().size() <= index % kPageSize) {
        m_pageUse.removeOne(page);
        m_pages.erase(it);
        it = m_pages.end();
    }
    if (it == m_pages.end()) {
        fetchPage(page);
        it = m_pages.find(page);
    } else {
        m_pageUse.removeOne(page);
        m_pageUse.push_back(page);
    }
    return &it.value()[index % kPageSize];
}

void DataSet::fetchPage(int page) const
{
    const int begin = page * kPageSize;
    const int end = qMin(begin + kPageSize, recordCount());
    QStringList marks;
    QVariantList keys;
    QHash<qint64, int> slot;
    for (int i = begin; i < end; ++i) {
        marks << QStringLiteral("?");
        keys << m_keys[i];
        slot.insert(m_keys[i], i - begin);
    }
    QVector<Row> rows(end - begin, Row(fieldCount()));
    QSqlQuery q = runSelect(m_connection,
                            QStringLiteral("select * from %1 where %2 in (%3)")
                                .arg(m_table, m_keyField, marks.join(QLatin1Char(','))),
                            keys);
    const SqlDialect& dialect = m_connection.dialect();
    while (q.next()) {
        const auto s = slot.constFind(q.value(m_keyPosition).toLongLong());
        if (s == slot.constEnd())
            continue;
        Row& r = rows[s.value()];
        for (int c = 0; c < fieldCount(); ++c)
            r[c] = dialect.fromDb(q.value(c), m_fields[c].type);
    }
    if (q.lastError().isValid())
        throw m_connection.failure(q.lastError(), q.lastQuery(), keys);
    // A row another program deleted meanwhile keeps its key and shows empty cells until the
    // list is read again.
    for (auto it = slot.constBegin(); it != slot.constEnd(); ++it) {
        Row& r = rows[it.value()];
        if (r[m_keyPosition].isNull() && !m_gone.contains(it.key()))
            m_gone.append(it.key());
        r[m_keyPosition] = it.key();
    }
    m_pages.insert(page, std::move(rows));
    m_pageUse.push_back(page);
    while (m_pageUse.size() > kMaxCachedPages)
        m_pages.remove(m_pageUse.takeFirst());
}

void DataSet::invalidateFrom(int index) const
{
    const int firstPage = qMax(0, index) / kPageSize;
    for (auto it = m_pages.begin(); it != m_pages.end();) {
        if (it.key() >= firstPage) {
            m_pageUse.removeOne(it.key());
            it = m_pages.erase(it);
        } else {
            ++it;
        }
    }
}

QVariant DataSet::value(int rowIndex, int position) const
{
    if (position < 0 || position >= fieldCount())
        return {};
    const Row* r = row(rowIndex);
    return r ? r->value(position) : QVariant();
}

void DataSet::requireBrowse(const char* what) const
{
    if (m_state == State::Inactive)
        throw DbError(QStringLiteral("数据集 %1 未打开，不能%2").arg(m_name, QString::fromUtf8(what)));
}

void DataSet::append()
{
    requireBrowse("新增");
    if (m_state != State::Browse)
        post();
    m_buffer = Row(fieldCount());
    m_modified = QVector<bool>(fieldCount(), false);
    m_state = State::Insert;
    emit stateChanged(m_state);
}

void DataSet::edit()
{
    requireBrowse("修改");
    if (m_state != State::Browse)
        return;
    if (m_current < 0) {
        append();
        return;
    }
    const Row* r = row(m_current);
    m_buffer = r ? *r : Row(fieldCount());
    m_modified = QVector<bool>(fieldCount(), false);
    m_expectedVersion = m_versionPosition >= 0 ? m_buffer.value(m_versionPosition) : QVariant();
    m_state = State::Edit;
    emit stateChanged(m_state);
}

void DataSet::edit(const RowStamp& seen)
{
    if (!seen.key.isValid()) {
        edit();
        return;
    }
    requireBrowse("修改");
    if (m_state != State::Browse)
        cancel();
    if (currentKey() != seen.key && !locateKey(seen.key))
        throw DbError(kDeletedText, DbFailure::DeletedElsewhere);
    edit();
    if (m_versionPosition >= 0)
        m_expectedVersion = seen.version;
}

void DataSet::setField(const QString& name, const QVariant& value)
{
    if (m_state != State::Edit && m_state != State::Insert)
        throw DbError(QStringLiteral("数据集 %1 不在编辑状态").arg(m_name));
    const int i = requireField(name);
    if (i == m_keyPosition || i == m_versionPosition)
        return; // assigned by the database
    m_buffer[i] = value;
    m_modified[i] = true;
    if (m_state == State::Edit)
        emit dataChanged(index(m_current, i), index(m_current, i));
}

// A value that does not fit its column is refused before the database sees it: the embedded
// engine would keep an over-long text and turn a too large number into another one.
void DataSet::requireFit() const
{
    for (int i = 0; i < fieldCount(); ++i) {
        if (!m_modified[i])
            continue;
        const QString problem = columnFitProblem(columnLabel(m_table, m_fields[i].name), m_buffer[i],
                                                 m_fields[i].type, m_fields[i].width);
        if (!problem.isEmpty())
            throw CommandError(problem + QStringLiteral("，没有保存。"));
    }
}

void DataSet::post()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    requireFit();
    QStringList names;
    QVariantList values;
    for (int i = 0; i < fieldCount(); ++i) {
        if (!m_modified[i])
            continue;
        names << m_fields[i].name;
        values << m_buffer[i];
    }
    const SqlDialect& dialect = m_connection.dialect();
    auto quoted = [&](const QString& n) { return dialect.quote(n); };
    if (m_state == State::Insert) {
        QString sql;
        if (names.isEmpty()) {
            sql = QStringLiteral("insert into %1 default values returning %2").arg(m_table, m_keyField);
        } else {
            QStringList cols, marks;
            for (const QString& n : names) {
                cols << quoted(n);
                marks << QStringLiteral("?");
            }
            sql = QStringLiteral("insert into %1 (%2) values (%3) returning %4")
                      .arg(m_table, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')), m_keyField);
        }
        QSqlQuery q = runSelect(m_connection, sql, values);
        if (!q.next())
            throw m_connection.failure(q.lastError(), sql, values);
        const qint64 newKey = q.value(0).toLongLong();
        // The embedded engine hands the new key over before the statement has ended, and stores
        // the row only when it ends: a failure there (a full disk) means nothing was stored.
        while (q.next()) {
        }
        if (q.lastError().isValid())
            throw m_connection.failure(q.lastError(), sql, values);
        q.finish();
        m_connection.noteWritten(m_table, this);
        m_state = State::Browse;
        m_buffer.clear();
        const int at = recordCount();
        invalidateFrom(at);
        beginInsertRows({}, at, at);
        m_keys.push_back(newKey);
        invalidateFrom(at);
        endInsertRows();
        emit stateChanged(m_state);
        m_eof = false;
        setCurrent(at, true);
        return;
    }
    if (!names.isEmpty()) {
        QStringList sets;
        for (const QString& n : names)
            sets << quoted(n) + QStringLiteral(" = ?");
        values << m_keys[m_current];
        QString sql = QStringLiteral("update %1 set %2 where %3 = ?")
                          .arg(m_table, sets.join(QLatin1Char(',')), m_keyField);
        if (m_versionPosition >= 0) {
            sql += QStringLiteral(" and %1 = ?").arg(QLatin1String(kRowVersionColumn));
            values << m_expectedVersion;
        }
        QSqlQuery q = runSelect(m_connection, sql, values);
        const int affected = q.numRowsAffected();
        q.finish();
        if (affected == 0)
            refuseStale(m_current, false);
        m_connection.noteWritten(m_table, this);
    }
    m_state = State::Browse;
    m_buffer.clear();
    m_pages.remove(m_current / kPageSize);
    m_pageUse.removeOne(m_current / kPageSize);
    emit dataChanged(index(m_current, 0), index(m_current, columnCount() - 1));
    emit stateChanged(m_state);
    emit currentRowChanged(m_current);
}

void DataSet::cancel()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    const bool wasEdit = m_state == State::Edit;
    m_state = State::Browse;
    m_buffer.clear();
    if (wasEdit && m_current >= 0)
        emit dataChanged(index(m_current, 0), index(m_current, columnCount() - 1));
    emit stateChanged(m_state);
}

void DataSet::deleteCurrent()
{
    requireBrowse("删除");
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_current < 0)
        return;
    if (m_state == State::Edit)
        cancel();
    QString sql = QStringLiteral("delete from %1 where %2 = ?").arg(m_table, m_keyField);
    QVariantList values{m_keys[m_current]};
    if (m_versionPosition >= 0) {
        // The version of the row as the list shows it.
        sql += QStringLiteral(" and %1 = ?").arg(QLatin1String(kRowVersionColumn));
        values << value(m_current, m_versionPosition);
    }
    QSqlQuery q = runSelect(m_connection, sql, values);
    const int affected = q.numRowsAffected();
    q.finish();
    if (affected == 0)
        refuseStale(m_current, true);
    m_connection.noteWritten(m_table, this);
    removeRow(m_current);
}

void DataSet::removeRow(int at)
{
    invalidateFrom(at);
    beginRemoveRows({}, at, at);
    m_keys.removeAt(at);
    invalidateFrom(at);
    endRemoveRows();
    m_eof = m_keys.isEmpty();
    setCurrent(m_keys.isEmpty() ? -1 : qMin(at, recordCount() - 1), true);
}

void DataSet::dropPageOf(int row)
{
    const int page = row / kPageSize;
    m_pages.remove(page);
    m_pageUse.removeOne(page);
}

bool DataSet::storedRowExists(const QVariant& key)
{
    QSqlQuery q = runSelect(
        m_connection, QStringLiteral("select count(*) from %1 where %2 = ?").arg(m_table, m_keyField), {key});
    return q.next() && q.value(0).toLongLong() > 0;
}

void DataSet::refuseStale(int row, bool deleting)
{
    // Nothing was written: the pending change is dropped and the list shows the stored row.
    const QVariant rowKey = key(row);
    if (m_state != State::Browse) {
        m_state = State::Browse;
        m_buffer.clear();
        emit stateChanged(m_state);
    }
    const bool exists = storedRowExists(rowKey);
    dropPageOf(row);
    if (exists) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        if (row == m_current)
            emit currentRowChanged(m_current);
        throw DbError(deleting ? kChangedBeforeDeleteText : kChangedText, DbFailure::ChangedElsewhere);
    }
    removeRow(row);
    throw DbError(deleting ? kDeletedBeforeDeleteText : kDeletedText, DbFailure::DeletedElsewhere);
}

int DataSet::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : recordCount();
}

int DataSet::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : fieldCount();
}

QVariant DataSet::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= recordCount() || index.column() >= fieldCount())
        return {};
    // Both roles give the stored value; the grids and exports turn it into text.
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    QVariant v;
    if (m_state == State::Edit && index.row() == m_current) {
        v = m_buffer.value(index.column());
    } else {
        try {
            v = value(index.row(), index.column());
        } catch (const DbError& e) {
            // Painting cannot report; the next command that reads the row will.
            qWarning("%s", qPrintable(e.text()));
            return {};
        }
    }
    return v;
}

QVariant DataSet::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return fieldName(section);
    return section + 1;
}

} // namespace zu
