#pragma once

#include <functional>
#include <memory>
#include <QDialog>

class QListWidget;

namespace Ui {
class TfrmFieldShow;
}

namespace zu {

// Chooses which columns of one layout are shown. On confirmation every row of the layout is
// written in one transaction and the opener rebuilds its grid.
class TfrmFieldShow final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmFieldShow(QWidget* parent = nullptr);
    ~TfrmFieldShow() override;

    QString FLayoutName;
    QString FCaller;
    // Told the caller tag after the layout was written (the opener rebuilds its grid).
    void setRebuild(std::function<void(const QString& caller)> rebuild) { m_rebuild = std::move(rebuild); }

    QStringList hiddenNames() const;
    QStringList shownNames() const;

private:
    void FormShow();
    void updateButtons();
    static void moveOne(QListWidget* from, QListWidget* to);
    static void moveAll(QListWidget* from, QListWidget* to);
    static void selectFirst(QListWidget* list);
    void confirm();

    std::unique_ptr<Ui::TfrmFieldShow> ui;
    std::function<void(const QString&)> m_rebuild;
};

} // namespace zu
