#include "clocktimeedit.h"

#include <QLineEdit>
#include <QMouseEvent>

namespace zu {

ClockTimeEdit::ClockTimeEdit(QWidget* parent) : QTimeEdit(parent)
{
    setDisplayFormat(QStringLiteral("HH:mm:ss"));
    setTime(QTime::currentTime());
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.trimmed().isEmpty())
            setTime(QTime::currentTime());
    });
}

void ClockTimeEdit::mousePressEvent(QMouseEvent* event)
{
    QTimeEdit::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        setSelectedSection(QDateTimeEdit::HourSection);
}

void ClockTimeEdit::contextMenuEvent(QContextMenuEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    setSelectedSection(QDateTimeEdit::MinuteSection);
    event->accept();
}

void ClockTimeEdit::focusOutEvent(QFocusEvent* event)
{
    QTimeEdit::focusOutEvent(event);
    if (text().trimmed().isEmpty())
        setTime(QTime::currentTime());
}

} // namespace zu
