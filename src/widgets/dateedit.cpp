#include "dateedit.h"

#include <QCalendarWidget>
#include <QDateTime>
#include <QKeyEvent>
#include <QLineEdit>

namespace zu {

NullableDateEdit::NullableDateEdit(QWidget* parent) : QDateEdit(parent)
{
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    // The smallest date stands for "no date" and shows as an empty box.
    setMinimumDate(emptyMarker());
    setSpecialValueText(QStringLiteral(" "));
    setDate(QDate::currentDate());
    calendarWidget()->installEventFilter(this);
}

bool NullableDateEdit::eventFilter(QObject* watched, QEvent* event)
{
    // The calendar of an empty box opens at today, not at the date that stands for "no date".
    if (watched == calendarWidget() && event->type() == QEvent::Show && isEmpty())
        calendarWidget()->setSelectedDate(QDate::currentDate());
    return QDateEdit::eventFilter(watched, event);
}

QDate NullableDateEdit::emptyMarker()
{
    return QDate(1752, 9, 14);
}

QVariant NullableDateEdit::value() const
{
    if (isEmpty())
        return QVariant(QMetaType::fromType<QDateTime>());
    return date().startOfDay();
}

void NullableDateEdit::setValue(const QVariant& v)
{
    QDate d;
    if (v.typeId() == QMetaType::QDateTime)
        d = v.toDateTime().date();
    else if (v.typeId() == QMetaType::QDate)
        d = v.toDate();
    if (v.isNull() || !d.isValid() || d <= emptyMarker())
        clear();
    else
        setDate(d);
}

bool NullableDateEdit::isEmpty() const
{
    return date() == emptyMarker();
}

void NullableDateEdit::clear()
{
    setDate(emptyMarker());
}

void NullableDateEdit::keyPressEvent(QKeyEvent* event)
{
    const bool wholeSelected = lineEdit()->selectedText() == lineEdit()->text();
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) &&
        (wholeSelected || isEmpty())) {
        clear();
        event->accept();
        return;
    }
    if (isEmpty() && !event->text().isEmpty() && event->text().at(0).isDigit()) {
        // Typing into an empty box starts from today.
        setDate(QDate::currentDate());
        lineEdit()->selectAll();
    }
    QDateEdit::keyPressEvent(event);
}

} // namespace zu
