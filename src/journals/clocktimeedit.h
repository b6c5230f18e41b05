#pragma once

#include <QTimeEdit>

namespace zu {

// The complaint's time of day: a left click picks the hour, a right click the minutes, and an
// emptied box shows the current time again.
class ClockTimeEdit final : public QTimeEdit
{
    Q_OBJECT
public:
    explicit ClockTimeEdit(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

} // namespace zu
