#pragma once

#include <QLineEdit>

class QCompleter;
class QStandardItemModel;

namespace zu {

// The quick find box of the main window's tool bar: as the user types, a drop-down lists the
// customers quickFind() finds; Enter or a click on one chooses it. When the text is (the
// beginning of) a body code, the drop-down ends with the machines' histories ("机器档案：…"), and
// Shift+Enter opens the first of them.
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
    static constexpr int kMachinesShown = 3;

signals:
    void customerChosen(qint64 id);
    void machineChosen(const QString& goodsCode);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void search(const QString& text);
    void chooseMachine(const QString& goodsCode);

    QStandardItemModel* m_hits;
    QCompleter* m_dropDown;
};

} // namespace zu
