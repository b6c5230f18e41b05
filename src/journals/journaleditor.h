#pragma once

#include "users/permissions.h"
#include "widgets/fieldbinding.h"

#include <functional>
#include <memory>
#include <QDialog>

class QLineEdit;
class QAbstractButton;

namespace zu {

class DataSet;
class TfrmData;

// What tells the three record editors apart.
struct JournalEditorKind
{
    QString listCaller;                   // tag of the journal's list window: "frmService", ...
    DataSet& (TfrmData::*listData)();     // the list window's query
    DataSet& (TfrmData::*customerData)(); // the customer window's detail list
    QString addCaption, editCaption; // captions set when shown ("新增维护信息", "修改维护信息")
    QString addButton, editButton;   // "添加&S", "保存&S"
    bool customerAddKeepsDesignCaption; // adding from the customer window keeps the design captions
    const char* nameBox;                // "edtCustname" or "edtCustName"
    const char* pickerButton;
    const char* saveButton;
    const char* cancelButton;
    QString pickerTag; // "frmService", "frmCell", "frmComplain"
    bool clearCustomerBeforePicking;
    bool nameRequired;
    QList<FieldBinding> fields; // every field but the customer's code and name
    Operation change;           // what writing a record takes
};

// The record editors of service records, return visits and complaints: opened by the journal's
// list window (its caller tag) or by the customer window ("frmCustom"); they write through the
// opener's list, so the opener's grid shows the result at once.
class JournalEditor : public QDialog
{
    Q_OBJECT
public:
    QString FCaller;
    bool FIsAdd = true;

    ~JournalEditor() override;
    const JournalEditorKind& kind() const { return m_kind; }
    // A new record for this customer, set before the editor is shown (from a reminder).
    void presetCustomer(const QString& code, const QString& name);

protected:
    JournalEditor(QWidget* parent, const JournalEditorKind& kind);

    // Called by the editor once its form is set up.
    void initialise();
    // After the common part of creating: lists and editor-specific defaults.
    virtual void fillLists() = 0;
    // Values the editor derives from the others before the record is written.
    virtual void completeValues(QVariantMap& values) { Q_UNUSED(values); }

    QLineEdit* codeBox() const;
    QLineEdit* nameBox() const;

private:
    bool fromCustomerWindow() const;
    DataSet& target() const;
    void FormShow();
    void save();
    void requireCustomer();
    void pickCustomer();
    void fixCustomerBoxes(bool coloured);

    const JournalEditorKind& m_kind;
    BoundFields m_fields;
};

// Fills a combo box from one lookup list, with an empty first item that is selected.
void fillFromLookupList(QWidget* form, const char* combo, const QString& list);

} // namespace zu
