#include "tfrmremind.h"

#include "remindercentre.h"
#include "remindersettings.h"
#include "ui_tfrmremind.h"

#include "columns/gridcolumns.h"
#include "columns/listgrid.h"
#include "data/datamodule.h"
#include "users/permissions.h"
#include "widgets/guard.h"

#include <QIntValidator>
#include <QMenu>
#include <QTableView>

namespace zu {

namespace {

const QString kLayout = QStringLiteral("remind_show");

} // namespace

TfrmRemind::TfrmRemind(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmRemind>())
{
    ui->setupUi(this);
    onFirstShow(this, [this] { FormShow(); });
    ui->dgadd->setHasFooter(false);
    onSignal(ui->se1, &QLineEdit::textChanged, this, [this] { se1Change(); });
    onSignal(ui->cb1, &QCheckBox::clicked, this, [this] { cb1Click(); });
    onSignal(ui->btnshuaxin, &QPushButton::clicked, this, [this] { btnshuaxinClick(); });
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::accept);
    onSignal(ui->btndaochu, &QPushButton::clicked, this, [this] {
        if (m_commands.exportList)
            m_commands.exportList(this, zu::data().qryRemind(), ui->dgadd,
                                  QStringLiteral("客户提醒") +
                                      QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    });
    onSignal(ui->actChooseColumns, &QAction::triggered, this, [this] {
        if (m_commands.chooseColumns)
            m_commands.chooseColumns(this, kLayout, QStringLiteral("frmRemind"));
    });
    onSignal(ui->actSaveColumns, &QAction::triggered, this, [this] { SaveGridColumns(ui->dgadd, kLayout); });
    connect(ui->dgadd, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addActions({ui->actChooseColumns, ui->actSaveColumns});
        menu.exec(ui->dgadd->mapToGlobal(at));
    });
    setCommands({});
}

TfrmRemind::~TfrmRemind() = default;

void TfrmRemind::setCommands(RemindCommands commands)
{
    m_commands = std::move(commands);
    ui->btndaochu->setEnabled(bool(m_commands.exportList) && mayUse(Operation::ExportList));
    ui->actChooseColumns->setEnabled(bool(m_commands.chooseColumns));
}

ListGrid* TfrmRemind::grid() const
{
    return ui->dgadd;
}

void TfrmRemind::FormShow()
{
    TfrmData& d = zu::data();
    const ReminderSettings settings = readReminderSettings(d.qryTemp());
    ui->se1->setText(QString::number(settings.day)); // stores the day count (below 1 becomes 1)
    openDueCustomers(d.qryRemind(), ui->se1->text().toInt());
    reloadColumns();
    const int overdue = ReminderCentre(d.conn(), QDate::currentDate()).counts().overdue;
    ui->lblOverdue->setText(overdue > 0
                                ? QStringLiteral("另有 %1 条提醒已逾期，请在“提醒中心”处理。").arg(overdue)
                                : QStringLiteral("没有逾期的提醒。"));
    m_loading = true;
    ui->cb1->setChecked(settings.popUp());
    m_loading = false;
    if (settings.popUp())
        cb1Click();
}

void TfrmRemind::reloadColumns()
{
    LoadGridColumns(ui->dgadd, &zu::data().qryRemind(), kLayout);
}

void TfrmRemind::se1Change()
{
    const QString normalised = normaliseReminderDays(ui->se1->text());
    if (normalised != ui->se1->text()) {
        ui->se1->setText(normalised); // runs this once more
        return;
    }
    storeReminderDays(zu::data().qryTemp(), normalised.toInt());
}

void TfrmRemind::cb1Click()
{
    if (m_loading)
        return;
    storeReminderPopUp(zu::data().qryTemp(), ui->cb1->isChecked());
}

void TfrmRemind::btnshuaxinClick()
{
    QPalette red = ui->dgadd->view()->palette();
    red.setColor(QPalette::Text, Qt::red);
    ui->dgadd->view()->setPalette(red);
    // The list follows the horizon now in the day box.
    openDueCustomers(zu::data().qryRemind(), ui->se1->text().toInt());
}

} // namespace zu
