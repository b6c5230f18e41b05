#pragma once

#include <QLineEdit>

class QCompleter;
class QStandardItemModel;

namespace zu {

// The quick find box of the main window's tool bar: as the user types, a drop-down lists the
// customers quickFind() finds; Enter or a click on one chooses it.
class QuickFindBox final : public QLineEdit
{
    Q_OBJECT
public:
    explicit QuickFindBox(QWidget* parent = nullptr);

    // The customers of the drop-down, as their lines show them.
    QStringList offered() const;
    // The drop-down's n-th customer chosen, as by a click on it.
    void choose(int row);

    static constexpr int kShown = 20;

signals:
    void customerChosen(qint64 id);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void search(const QString& text);

    QStandardItemModel* m_hits;
    QCompleter* m_dropDown;
};

} // namespace zu
