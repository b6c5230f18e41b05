#pragma once

#include <memory>
#include <QDialog>

class QStandardItemModel;

namespace Ui {
class TfrmOption;
}

namespace zu {

class LookupListModel;

// The lookup lists the editors' drop-down boxes offer: one page per list.
class TfrmOption final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmOption(QWidget* parent = nullptr);
    ~TfrmOption() override;

    // The list a page edits: its caption without the blanks that pad it.
    static QString listName(const QString& pageCaption);
    QString currentList() const;
    // The last page sets the warranty months of the models instead of a list.
    bool onWarrantyPage() const;

private:
    void openList();
    void setBrowsing(bool browsing, bool exitEnabled = true);
    void add();
    void edit();
    void save();
    void cancel();
    void remove();
    void loadWarranty();
    void saveWarranty();

    std::unique_ptr<Ui::TfrmOption> ui;
    LookupListModel* m_model;
    QStandardItemModel* m_warranty; // 型号, 保修月数 (empty: the months of models not listed)
};

} // namespace zu
