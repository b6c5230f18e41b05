#pragma once

#include <QDateEdit>
#include <QVariant>

namespace zu {

// A date box that can also hold "no date": shown as an empty box, read back as a null value.
// Delete or Backspace empties it; choosing a date in the calendar or typing fills it.
class NullableDateEdit final : public QDateEdit
{
    Q_OBJECT
public:
    explicit NullableDateEdit(QWidget* parent = nullptr);

    // A date at midnight, or a null value for no date.
    QVariant value() const;
    void setValue(const QVariant& dateOrDateTime);
    bool isEmpty() const;
    void clear() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static QDate emptyMarker();
};

} // namespace zu
