#pragma once

#include "sqldialect.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QVariant>
#include <QVector>

namespace zu {

class Connection;

// Which row an editor showed, and the row's version then: a save writes only while the stored
// row is still that version.
struct RowStamp
{
    QVariant key;
    QVariant version;
};

// The name of the column that every table whose rows are changed by the program carries: the
// row's version, counted up by the database at every change.
inline constexpr char kRowVersionColumn[] = "RowVersion";

// A shared data set: the rows of one table selected by a condition, as one model that every grid
// showing them binds to. It keeps a current row (shared by all its views), walks like a cursor
// (first/next/eof), and edits rows through a buffer (append or edit, set fields, post or cancel).
//
// Changes are optimistic: a row is updated or deleted only while its stored version is the one
// that was read (RowVersion). A row that someone else changed or deleted meanwhile is not
// written; the list then shows the stored row (or loses the deleted one) and a DbError with
// DbFailure::ChangedElsewhere or DeletedElsewhere says so.
//
// Opening reads only the key column of the selected rows; whole rows are fetched by key in pages
// when they are first needed and a bounded number of pages is kept, so a list of 100,000
// customers opens quickly and in little memory.
class DataSet final : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum class State
    {
        Inactive,
        Browse,
        Edit,
        Insert,
    };
    Q_ENUM(State)

    DataSet(Connection& connection, QString name, QString table, QString keyField, QObject* parent = nullptr);
    ~DataSet() override;

    QString name() const { return m_name; }
    QString tableName() const { return m_table; }
    QString keyField() const { return m_keyField; }
    Connection& connection() const { return m_connection; }

    // Opening. `where` and `orderBy` are statement text with "?" placeholders for `bindValues`.
    // Without an order the rows come in key order.
    void open(const QString& where = {}, const QVariantList& bindValues = {}, const QString& orderBy = {});
    // Runs the same selection again; the current row stays on the same record where it still exists.
    void refresh();
    // Reads the current row again from the database (a row deleted meanwhile leaves the list).
    void reloadCurrentRow();
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    QString whereClause() const { return m_where; }
    QVariantList bindValues() const { return m_bindValues; }
    QString orderBy() const { return m_orderBy; }

    // Master-detail: the rows whose `detailField` equals the master's current `masterField`,
    // selected again whenever the master's current row changes or the master is re-opened.
    void setMaster(DataSet* master, const QString& masterField, const QString& detailField);
    DataSet* master() const { return m_master; }

    // The cursor.
    int recordCount() const { return static_cast<int>(m_keys.size()); }
    bool isEmpty() const { return m_keys.isEmpty(); }
    int currentRow() const { return m_current; }
    void setCurrentRow(int row);
    void first();
    void next();
    void last();
    bool eof() const { return m_eof; }
    // Moves to the first row whose field equals the value (letter case ignored for text).
    bool locate(const QString& field, const QVariant& value);
    bool locateKey(const QVariant& key);

    // Fields, of the current row (of the edit buffer while editing).
    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    QString fieldName(int position) const;
    int fieldIndex(const QString& name) const; // letter case ignored; -1 when there is none
    ColumnType fieldType(int position) const;
    QVariant field(const QString& name) const;
    QVariant field(int position) const;
    QString fieldText(const QString& name) const;
    QVariant value(int row, int position) const;
    QVariant key(int row) const;
    QVariant currentKey() const { return m_current < 0 ? QVariant() : key(m_current); }
    // The current row and its version, as an editor notes it when it shows the row.
    RowStamp stamp() const;
    bool hasRowVersion() const { return m_versionPosition >= 0; }

    // Editing.
    State state() const { return m_state; }
    void append();
    void edit(); // with no current row this starts a new row, so that posting inserts it
    // Edits the row the stamp names, expecting the version the stamp noted (an editor's row).
    void edit(const RowStamp& seen);
    void setField(const QString& name, const QVariant& value);
    void post();
    void cancel();
    void deleteCurrent();

    // QAbstractItemModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // How many rows each fetch reads and how many fetched pages are kept.
    static constexpr int kPageSize = 128;
    static constexpr int kMaxCachedPages = 64;

signals:
    void currentRowChanged(int row);
    void stateChanged(zu::DataSet::State state);
    void opened();
    void closed();

private:
    struct Field
    {
        QString name;
        ColumnType type;
        int width;
    };
    using Row = QVector<QVariant>;

    void loadFields();
    void openKeys();
    void masterMoved();
    void setCurrent(int row, bool force = false);
    const Row* row(int index) const;
    void fetchPage(int page) const;
    void invalidateFrom(int index) const;
    void requireBrowse(const char* what) const;
    QString selectKeysSql() const;
    int requireField(const QString& name) const;
    void requireFit() const;
    void removeRow(int at);
    void dropPageOf(int row);
    bool storedRowExists(const QVariant& key);
    [[noreturn]] void refuseStale(int row, bool deleting);

    Connection& m_connection;
    QString m_name;
    QString m_table;
    QString m_keyField;
    QVector<Field> m_fields;
    int m_keyPosition = -1;
    int m_versionPosition = -1;

    QString m_where;
    QVariantList m_bindValues;
    QString m_orderBy;

    QPointer<DataSet> m_master;
    QString m_masterField;
    QString m_detailField;

    QVector<qint64> m_keys;
    mutable QHash<int, QVector<Row>> m_pages;
    mutable QList<int> m_pageUse; // least recently used first
    mutable quint64 m_cacheRollbacks = 0;
    mutable QList<qint64> m_gone; // keys a page fetch did not find any more

    State m_state = State::Inactive;
    int m_current = -1;
    bool m_eof = true;
    Row m_buffer;
    QVector<bool> m_modified;
    QVariant m_expectedVersion;
};

} // namespace zu
