#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <QPointer>
#include <QWidget>

class QAbstractButton;
class QAction;

namespace Ui {
class TfrmCustom;
}

namespace zu {

class DataSet;
class ListGrid;

// What the customer window asks of windows that live in other parts of the program. A command
// left empty keeps its buttons and menu items disabled.
struct CustomerWindowCommands
{
    // The editors of the detail tabs: service records, return visits, complaints.
    std::function<void(QWidget*parent, bool isAdd)> serviceEditor, callEditor, complainEditor;
    std::function<void(QWidget* parent, DataSet& list, ListGrid* grid, const QString& title)> exportList;
    std::function<void(QWidget* parent, const QString& layoutName, const QString& caller)> chooseColumns;
    std::function<void(QWidget* parent)> printWorkOrder;
    // The history of the machine with a body code ("机器档案").
    std::function<void(QWidget* parent, const QString& goodsCode)> machineHistory;
};

// The customer register: the category tree, the customer list and the service records, return
// visits and complaints of the current customer.
class TfrmCustom final : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmCustom(QWidget* parent);
    ~TfrmCustom() override;

    // The open customer window, if there is one, and the one reference to it (ShowMdiChild sets it).
    static TfrmCustom* instance();
    static QPointer<TfrmCustom>& reference();

    void setCommands(CustomerWindowCommands commands);

    // Reloads the category tree and selects its root; the customer list stays as it is.
    void RefreshCategoryTree();
    // Shows every customer again ("刷新&R"); the tree keeps its selection.
    void refreshCustomers();
    // Makes the customer with the key the current one, with its service records, return visits
    // and complaints below; every customer is listed again when the list does not hold it.
    void showCustomer(qint64 id);

    ListGrid* dgCustom() const;
    ListGrid* dgServiceCust() const;
    ListGrid* dgcallCust() const;
    ListGrid* dgcomplainCust() const;

    // Re-reads the columns of the grid shown with the given layout (after the column chooser).
    void reloadColumns(const QString& caller);

private:
    struct DetailTab;

    void FormShow();
    void tvCustonClick();
    void dgCustomCellClick();
    void btnInsertClick();
    void ToolButton2Click();
    void ToolButton1Click();
    void ToolButton3Click();
    void openCategoryEditor();
    void exportCustomers();
    void showMachineHistory(const DataSet* serviceRecords);
    void detailAdd(const DetailTab& tab);
    void detailEdit(const DetailTab& tab);
    void detailDelete(const DetailTab& tab);
    void wireDetailTabs();
    void setCommandIcons();
    void updateCommands();
    void bind(QAbstractButton* button, std::function<void()> body);
    void bind(QAction* action, std::function<void()> body);

    std::unique_ptr<Ui::TfrmCustom> ui;
    std::vector<DetailTab> m_tabs;
    CustomerWindowCommands m_commands;
    QAction* m_historyAction = nullptr;
    bool m_shown = false;
    std::optional<qint64> m_customerToShow; // chosen before the window was first shown
};

} // namespace zu
