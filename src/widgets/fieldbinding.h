#pragma once

#include "data/dataset.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QTime>
#include <QVariantMap>

class QWidget;

namespace zu {

// Which control of an editor shows and writes which column, and how.
struct FieldBinding
{
    enum class Box
    {
        Text,    // QLineEdit
        Combo,   // editable QComboBox: the typed or chosen text
        Memo,    // QPlainTextEdit
        Integer, // QLineEdit holding a whole number
        Decimal, // QLineEdit holding a number; `decimals` places when shown
        Date,    // NullableDateEdit: a date at midnight or no date
        Time,    // QTimeEdit: its text; a loaded text is written back unless the time is changed
    };
    const char* column;
    const char* widget;
    Box box;
    int decimals = 0;
    const char* label = "";         // named in messages
    bool wholeNumberColumn = false; // a Decimal box writing an integer column keeps the whole number
};

// The bound controls of one editor.
class BoundFields final
{
public:
    BoundFields(QWidget* form, QList<FieldBinding> bindings);

    // Limits the text and combo boxes to the widths of their columns (by lower-case column name,
    // as SqlDialect::columnWidths gives them).
    void limitLengths(const QHash<QString, int>& widths);

    // Empty texts, "0" in number boxes, today in date boxes.
    void reset();
    // Shows the current row of `record` and notes which row and version it was (stamp()).
    void load(const DataSet& record);
    // The row load() showed, for the save (DataSet::edit(const RowStamp&)); empty before.
    RowStamp stamp() const { return m_stamp; }
    // The values of every control by column. A number box that cannot be read or holds a number
    // its column cannot keep, and a text longer than its column, stop the running command with a
    // message naming the field and focus the box; nothing is lost.
    QVariantMap collect() const;

    QWidget* widget(const FieldBinding& binding) const;

private:
    QWidget* m_form;
    QList<FieldBinding> m_bindings;
    QHash<QString, int> m_widths; // by lower-case column
    // A time box's loaded text and the time it showed for it: the text is kept while the time is.
    struct LoadedTime
    {
        QString text;
        QTime shown;
    };
    QHash<QString, LoadedTime> m_loadedTimes; // by column
    RowStamp m_stamp;
};

} // namespace zu
