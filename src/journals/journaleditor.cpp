#include "journaleditor.h"

#include "customers/journalrecords.h"
#include "customers/tfrmcustname.h"
#include "data/datamodule.h"
#include "data/errors.h"
#include "data/lookuplists.h"
#include "widgets/dialogs.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

namespace zu {

namespace {

const QString kCustomerWindow = QStringLiteral("frmCustom");

QList<FieldBinding> withCustomerBoxes(const JournalEditorKind& kind)
{
    QList<FieldBinding> all{{"CustCode", "edtCustCode", FieldBinding::Box::Text, 0, "客户编号"},
                            {"CustName", kind.nameBox, FieldBinding::Box::Text, 0, "客户名称"}};
    return all + kind.fields;
}

} // namespace

void fillFromLookupList(QWidget* form, const char* combo, const QString& list)
{
    auto* box = form->findChild<QComboBox*>(QString::fromLatin1(combo));
    FillComboFromSql(box, lookupListStatement(zu::data().dialect(), list), 0, QString());
}

JournalEditor::JournalEditor(QWidget* parent, const JournalEditorKind& kind)
    : QDialog(parent), m_kind(kind), m_fields(this, withCustomerBoxes(kind))
{
    onFirstShow(this, [this] { FormShow(); });
}

JournalEditor::~JournalEditor() = default;

QLineEdit* JournalEditor::codeBox() const
{
    return findChild<QLineEdit*>(QStringLiteral("edtCustCode"));
}

QLineEdit* JournalEditor::nameBox() const
{
    return findChild<QLineEdit*>(QString::fromLatin1(m_kind.nameBox));
}

void JournalEditor::initialise()
{
    auto* saveButton = findChild<QAbstractButton*>(QString::fromLatin1(m_kind.saveButton));
    auto* cancelButton = findChild<QAbstractButton*>(QString::fromLatin1(m_kind.cancelButton));
    auto* picker = findChild<QAbstractButton*>(QString::fromLatin1(m_kind.pickerButton));
    onSignal(saveButton, &QAbstractButton::clicked, this, [this] { save(); });
    connect(cancelButton, &QAbstractButton::clicked, this, &QDialog::reject);
    onSignal(picker, &QAbstractButton::clicked, this, [this] { pickCustomer(); });
    guarded(this, [this] {
        ArrangeTabOrder(this, true);
        TfrmData& d = zu::data();
        m_fields.limitLengths(
            d.dialect().columnWidths(d.conn().database(), (d.*m_kind.listData)().tableName()));
        m_fields.reset();
        fillLists();
    });
}

void JournalEditor::presetCustomer(const QString& code, const QString& name)
{
    codeBox()->setText(code);
    nameBox()->setText(name);
}

bool JournalEditor::fromCustomerWindow() const
{
    return FCaller == kCustomerWindow;
}

DataSet& JournalEditor::target() const
{
    return (zu::data().*(fromCustomerWindow() ? m_kind.customerData : m_kind.listData))();
}

void JournalEditor::fixCustomerBoxes(bool coloured)
{
    for (QLineEdit* box : {codeBox(), nameBox()}) {
        box->setReadOnly(true);
        if (coloured)
            box->setStyleSheet(QStringLiteral("QLineEdit { color: red; background-color: #c8f0c8; }"));
    }
}

void JournalEditor::FormShow()
{
    auto* saveButton = findChild<QAbstractButton*>(QString::fromLatin1(m_kind.saveButton));
    auto* picker = findChild<QAbstractButton*>(QString::fromLatin1(m_kind.pickerButton));
    if (!fromCustomerWindow()) {
        setWindowTitle(FIsAdd ? m_kind.addCaption : m_kind.editCaption);
        saveButton->setText(FIsAdd ? m_kind.addButton : m_kind.editButton);
        if (!FIsAdd && target().currentRow() >= 0)
            m_fields.load(target());
        codeBox()->setReadOnly(false);
        nameBox()->setReadOnly(false);
        return;
    }
    // From the customer window the record belongs to its current customer.
    nameBox()->setEnabled(false);
    picker->setEnabled(false);
    const DataSet& customer = zu::data().qryCustom();
    fixCustomerBoxes(FIsAdd);
    if (FIsAdd) {
        if (!m_kind.customerAddKeepsDesignCaption) {
            setWindowTitle(m_kind.addCaption);
            saveButton->setText(m_kind.addButton);
        }
    } else {
        setWindowTitle(m_kind.editCaption);
        saveButton->setText(m_kind.editButton);
    }
    if (customer.currentRow() >= 0) {
        codeBox()->setText(customer.fieldText(QStringLiteral("IDCode")));
        nameBox()->setText(customer.fieldText(QStringLiteral("CustName")));
    }
    if (!FIsAdd && target().currentRow() >= 0)
        m_fields.load(target());
}

void JournalEditor::requireCustomer()
{
    const QString code = codeBox()->text();
    if (customerExists(zu::data().qryTemp(), code))
        return;
    dialogs().message(this, QStringLiteral("系统提示"), unknownCustomerText(code), QMessageBox::Question,
                      QMessageBox::Ok, QMessageBox::Ok);
    if (!codeBox()->isReadOnly())
        codeBox()->setFocus(Qt::OtherFocusReason);
    abortSilently();
}

void JournalEditor::save()
{
    requirePermission(m_kind.change);
    DataSet& list = target();
    if (FIsAdd) {
        RequireText(codeBox(), codeBox()->text(), QStringLiteral("客户编号不能为空，请您重新录入！"));
        if (m_kind.nameRequired)
            RequireText(nameBox()->isEnabled() ? nameBox() : nullptr, nameBox()->text(),
                        QStringLiteral("客户名称不能为空，请您重新录入！"));
        // A record is kept only under an existing customer.
        QVariantMap values = m_fields.collect();
        completeValues(values);
        requireCustomer();
        if (!list.isOpen())
            list.open();
        writeJournalRecord(list, values, true);
    } else if (list.currentRow() >= 0) {
        // Without a current record there is nothing to change.
        QVariantMap values = m_fields.collect();
        completeValues(values);
        requireCustomer();
        writeJournalRecord(list, values, false, m_fields.stamp());
    }
    accept();
}

void JournalEditor::pickCustomer()
{
    if (m_kind.clearCustomerBeforePicking) {
        codeBox()->clear();
        nameBox()->clear();
    }
    TfrmCustname picker(this);
    picker.FCaller = m_kind.pickerTag;
    picker.exec();
}

} // namespace zu
