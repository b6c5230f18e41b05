#pragma once

#include <functional>
#include <memory>
#include <QDialog>

namespace Ui {
class TfrmJournalqry;
}

class QAction;

namespace zu {

class DataSet;
class ListGrid;
struct JournalListKind;

// What a journal list window asks of other parts of the program; empty commands stay disabled.
struct JournalListCommands
{
    std::function<void(QWidget* parent, DataSet& list, ListGrid* grid, const QString& title)> exportList;
    std::function<void(QWidget* parent, const QString& layoutName, const QString& caller)> chooseColumns;
};

// A journal across all customers: searched by date range or by a keyword in one field, records
// added, changed and deleted through the journal's editor. One implementation for the three
// journals; JournalListKind holds what differs.
class TfrmJournalqry : public QDialog
{
    Q_OBJECT
public:
    ~TfrmJournalqry() override;

    void setCommands(JournalListCommands commands);
    const JournalListKind& kind() const { return m_kind; }
    ListGrid* grid() const;
    DataSet& list() const;

    // Shows the whole journal again with the columns of its layout (after the column chooser).
    void reloadColumns();

protected:
    TfrmJournalqry(QWidget* parent, const JournalListKind& kind);

private:
    void FormShow();
    void search();
    void deleteRecord();
    void edit(bool isAdd);
    void exportList();
    void showHistory();
    void updateCommands();

    std::unique_ptr<Ui::TfrmJournalqry> ui;
    const JournalListKind& m_kind;
    JournalListCommands m_commands;
    QAction* m_historyAction = nullptr; // "机器档案" of the current record
};

class TfrmServerqry final : public TfrmJournalqry
{
    Q_OBJECT
public:
    explicit TfrmServerqry(QWidget* parent = nullptr);
};

class TfrmCellqry final : public TfrmJournalqry
{
    Q_OBJECT
public:
    explicit TfrmCellqry(QWidget* parent = nullptr);
};

class TfrmComplainqry final : public TfrmJournalqry
{
    Q_OBJECT
public:
    explicit TfrmComplainqry(QWidget* parent = nullptr);
};

} // namespace zu
