#pragma once

#include <functional>
#include <memory>
#include <QDialog>

namespace Ui {
class TfrmRemind;
}

namespace zu {

class DataSet;
class ListGrid;

// What the reminder window asks of other parts of the program; empty commands stay disabled.
struct RemindCommands
{
    std::function<void(QWidget* parent, DataSet& list, ListGrid* grid, const QString& title)> exportList;
    std::function<void(QWidget* parent, const QString& layoutName, const QString& caller)> chooseColumns;
};

// The customers whose reminder date is due, and the reminder settings.
class TfrmRemind final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmRemind(QWidget* parent = nullptr);
    ~TfrmRemind() override;

    void setCommands(RemindCommands commands);
    ListGrid* grid() const;
    // Rebuilds the grid from its layout (after the column chooser).
    void reloadColumns();

private:
    void FormShow();
    void se1Change();
    void cb1Click();
    void btnshuaxinClick();

    std::unique_ptr<Ui::TfrmRemind> ui;
    RemindCommands m_commands;
    bool m_loading = false;
};

} // namespace zu
