#pragma once

#include "machinehistory.h"

#include "users/permissions.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TfrmMachineHistory;
}

namespace zu {

// The history of one machine by its body code: purchase, service records, return visits and
// complaints, newest first, across its owners.
class TfrmMachineHistory final : public QDialog
{
    Q_OBJECT
public:
    TfrmMachineHistory(QWidget* parent, const QString& goodsCode);
    ~TfrmMachineHistory() override;

    QString goodsCode() const { return m_code; }
    const QList<MachineEvent>& history() const { return m_history; }

private:
    void load();
    void exportList();

    std::unique_ptr<Ui::TfrmMachineHistory> ui;
    QString m_code;
    QList<MachineEvent> m_history;
};

// Opens the history of a machine from a list whose window `opener` allows; a row without a body
// code is told to the user.
void showMachineHistory(QWidget* parent, const QString& goodsCode, Operation opener);

} // namespace zu
