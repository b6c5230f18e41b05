#pragma once

#include <memory>
#include <QDialog>

namespace Ui {
class TfrmClearData;
}

namespace zu {

// Empties the parts of the database checked in the tree of the "数据初始化" catalogue, by the
// statements the catalogue keeps for them.
class TfrmClearData final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmClearData(QWidget* parent = nullptr);
    ~TfrmClearData() override;

    // The automatic backup made before the last initialization (embedded database), if any.
    QString lastSafetyCopy() const { return m_safetyCopy; }

private:
    void FormCreate();
    void btnPostClick();
    void backUpBeforeClearing();

    std::unique_ptr<Ui::TfrmClearData> ui;
    QString m_safetyCopy;
};

} // namespace zu
