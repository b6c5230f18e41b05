#include "customers/tfrmcustomadd.h"
#include "data/datamodule.h"
#include "data/warrantyterms.h"
#include "journals/tfrmjournalqry.h"
#include "journals/tfrmserviceadd.h"
#include "support/records.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"
#include "widgets/dateedit.h"
#include "widgets/lookuplistmodel.h"
#include "widgets/tfrmoption.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QToolButton>
#include <QtTest>

using namespace zu;
using zu::test::control;
using zu::test::ScriptedDialogs;

namespace {

void press(QWidget* w, const char* name)
{
    control<QAbstractButton>(w, name)->click();
}

void setTerms(int defaultMonths, const QList<QPair<QString, int>>& models)
{
    WarrantyTerms terms(defaultMonths);
    for (const auto& [model, months] : models)
        terms.setMonths(model, months);
    terms.save(data().conn());
}

// A new service record of the customer typed into the service list's editor.
QString addService(const QString& code, const QString& model, const QDate& day)
{
    TfrmServiceAdd editor;
    editor.FCaller = QStringLiteral("frmService");
    editor.FIsAdd = true;
    editor.show();
    control<QLineEdit>(&editor, "edtCustCode")->setText(code);
    control<QLineEdit>(&editor, "edtCustname")->setText(code);
    control<QComboBox>(&editor, "cmbGoodsunit")->setCurrentText(model);
    control<NullableDateEdit>(&editor, "cmbserviceDate")->setValue(day);
    const QString shown = control<QLabel>(&editor, "lblInWarranty")->text();
    press(&editor, "btn1");
    return shown;
}

QStringList storedFlags()
{
    return zu::test::column(
        QStringLiteral("select case when InWarranty is null then '-' when InWarranty = %1 "
                       "then 'in' else 'out' end from T_service order by id")
            .arg(data().dialect().trueLiteral));
}

} // namespace

class TestWarranty final : public QObject
{
    Q_OBJECT
private slots:
    // The line beside the purchase date follows the date and the model as they change.
    void customerEditorShowsTheWarranty_data() { zu::test::addEngineRows(); }
    void customerEditorShowsTheWarranty()
    {
        ZU_TEST_DATABASE(db);
        setTerms(12, {{QStringLiteral("KFR-35GW"), 36}});
        ScriptedDialogs dialogs;
        TfrmCustomAdd editor;
        editor.show();
        auto* line = control<QLabel>(&editor, "lblWarranty");
        auto* purchase = control<NullableDateEdit>(&editor, "cmbEmptionDate");
        auto* model = control<QComboBox>(&editor, "cmbGoodsunit");
        purchase->setValue(QDate(2020, 2, 29));
        QCOMPARE(line->text(), QStringLiteral("保修至 2021-02-28（过保）"));
        model->setCurrentText(QStringLiteral("KFR-35GW"));
        QCOMPARE(line->text(), QStringLiteral("保修至 2023-02-28（过保）"));
        // Bought today: the warranty runs.
        purchase->setValue(QDate::currentDate());
        QVERIFY2(line->text().endsWith(QStringLiteral("（在保）")), qPrintable(line->text()));
        purchase->clear();
        QCOMPARE(line->text(), QStringLiteral("未填购买日期，无法计算保修期"));
        QVERIFY(dialogs.shown().isEmpty());
    }

    // A new service record keeps whether the machine was under warranty on its day: the end
    // day is, the day after is not; the record's model counts, the customer's when it names
    // none; without a purchase date nothing is kept.
    void serviceRecordKeepsTheFlag_data() { zu::test::addEngineRows(); }
    void serviceRecordKeepsTheFlag()
    {
        ZU_TEST_DATABASE(db);
        setTerms(12, {{QStringLiteral("XQB"), 6}});
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("KH1"),
                              {{QStringLiteral("EmptionDate"), QDate(2024, 2, 29).startOfDay()},
                               {QStringLiteral("Goodsunit"), QStringLiteral("KFR-35GW")}});
        zu::test::addCustomer(QStringLiteral("李四"), QStringLiteral("KH2"));
        ScriptedDialogs dialogs;
        QCOMPARE(addService(QStringLiteral("KH1"), QString(), QDate(2025, 2, 28)),
                 QStringLiteral("在保（保修至 2025-02-28）"));
        QCOMPARE(addService(QStringLiteral("KH1"), QString(), QDate(2025, 3, 1)),
                 QStringLiteral("过保（保修至 2025-02-28）"));
        QCOMPARE(addService(QStringLiteral("KH1"), QStringLiteral("XQB"), QDate(2024, 8, 29)),
                 QStringLiteral("在保（保修至 2024-08-29）"));
        QCOMPARE(addService(QStringLiteral("KH1"), QStringLiteral("XQB"), QDate(2024, 8, 30)),
                 QStringLiteral("过保（保修至 2024-08-29）"));
        QCOMPARE(addService(QStringLiteral("KH2"), QString(), QDate(2025, 1, 1)),
                 QStringLiteral("保修状态未知（客户不存在或未填购买日期）"));
        QCOMPARE(storedFlags(),
                 (QStringList{QStringLiteral("in"), QStringLiteral("out"), QStringLiteral("in"),
                              QStringLiteral("out"), QStringLiteral("-")}));
        // No customer typed in: unknown, though a customer stored without a code has a purchase date.
        zu::test::addCustomer(QStringLiteral("无编码"), QStringLiteral(""),
                              {{QStringLiteral("EmptionDate"), QDate(2024, 2, 29).startOfDay()}});
        TfrmServiceAdd editor;
        editor.FCaller = QStringLiteral("frmService");
        editor.FIsAdd = true;
        editor.show();
        control<NullableDateEdit>(&editor, "cmbserviceDate")->setValue(QDate(2025, 1, 1));
        QCOMPARE(control<QLabel>(&editor, "lblInWarranty")->text(),
                 QStringLiteral("保修状态未知（客户不存在或未填购买日期）"));
        QVERIFY(dialogs.shown().isEmpty());
    }

    // The service list finds the records in and out of warranty by the column 在保 and the text
    // it shows, 是 or 否; records without a value are neither.
    void serviceListFiltersByTheFlag_data() { zu::test::addEngineRows(); }
    void serviceListFiltersByTheFlag()
    {
        ZU_TEST_DATABASE(db);
        const QList<QPair<QString, QVariant>> records{{QStringLiteral("甲"), true},
                                                      {QStringLiteral("乙"), false},
                                                      {QStringLiteral("丙"), QVariant()},
                                                      {QStringLiteral("丁"), true}};
        for (const auto& [name, flag] : records)
            zu::test::addJournal(QStringLiteral("T_service"), name, name,
                                 {{QStringLiteral("InWarranty"), flag},
                                  {QStringLiteral("serviceDate"), QDate(2025, 1, 1).startOfDay()}});
        ScriptedDialogs dialogs;
        TfrmServerqry window;
        window.show();
        auto* field = control<QComboBox>(&window, "CmbFiled");
        auto* key = control<QLineEdit>(&window, "edtKey");
        QVERIFY(field->findText(QStringLiteral("在保")) >= 0);
        field->setCurrentText(QStringLiteral("在保"));
        QCOMPARE(key->placeholderText(), QStringLiteral("是 或 否"));
        auto found = [&](const QString& typed) {
            key->setText(typed);
            press(&window, "btn1");
            QStringList names;
            DataSet& list = window.list();
            for (int r = 0; r < list.recordCount(); ++r)
                names << list.value(r, list.fieldIndex(QStringLiteral("CustName"))).toString();
            names.sort();
            return names;
        };
        QCOMPARE(found(QStringLiteral("是")), (QStringList{QStringLiteral("丁"), QStringLiteral("甲")}));
        QCOMPARE(found(QStringLiteral("否")), QStringList{QStringLiteral("乙")});
        QCOMPARE(found(QStringLiteral("在")), QStringList());
        field->setCurrentText(QStringLiteral("客户名称"));
        QCOMPARE(key->placeholderText(), QString());
        QCOMPARE(found(QStringLiteral("丙")), QStringList{QStringLiteral("丙")});
        QVERIFY(dialogs.shown().isEmpty());
    }

    // The warranty page of the lookup-list editor lists the models of 型号 with their months and
    // the months of every other model; what is saved is what the editors compute with.
    void lookupEditorSetsTheMonths_data() { zu::test::addEngineRows(); }
    void lookupEditorSetsTheMonths()
    {
        ZU_TEST_DATABASE(db);
        const QString table = data().dialect().quote(QStringLiteral("table"));
        for (const char* model : {"KFR-35GW", "XQB"})
            zu::test::insertRow(
                QStringLiteral("T_type"),
                {{table, QStringLiteral("型号")}, {QStringLiteral("caption"), QString::fromUtf8(model)}});
        ScriptedDialogs dialogs;
        TfrmOption editor;
        editor.show();
        auto* pages = control<QTabBar>(&editor, "PageControl1");
        pages->setCurrentIndex(pages->count() - 1);
        QVERIFY(editor.onWarrantyPage());
        QCOMPARE(pages->tabText(pages->count() - 1).trimmed(), QStringLiteral("保修期"));
        auto* grid = control<LookupGrid>(&editor, "grdWarranty");
        auto* defaultMonths = control<QSpinBox>(&editor, "seDefaultMonths");
        QAbstractItemModel* rows = grid->model();
        QCOMPARE(rows->rowCount(), 2);
        QCOMPARE(rows->index(1, 0).data().toString(), QStringLiteral("XQB"));
        QCOMPARE(defaultMonths->value(), 12);
        QVERIFY(!defaultMonths->isEnabled());
        QVERIFY(!control<QToolButton>(&editor, "ToolButton13")->isEnabled()); // models come from 型号

        press(&editor, "ToolButton14");
        QVERIFY(!pages->isEnabled());
        rows->setData(rows->index(0, 1), QStringLiteral("36"));
        rows->setData(rows->index(1, 1), QStringLiteral("十二"));
        defaultMonths->setValue(24);
        press(&editor, "ToolButton16");
        QVERIFY(dialogs.last().text.contains(QStringLiteral("型号“XQB”的保修月数")));
        QVERIFY(!pages->isEnabled()); // still editing, nothing saved
        QCOMPARE(WarrantyTerms::load(data().conn()).defaultMonths(), 12);
        rows->setData(rows->index(1, 1), QString());
        press(&editor, "ToolButton16");
        QVERIFY(pages->isEnabled());

        const WarrantyTerms saved = WarrantyTerms::load(data().conn());
        QCOMPARE(saved.defaultMonths(), 24);
        QCOMPARE(saved.monthsFor(QStringLiteral("KFR-35GW")), 36);
        QCOMPARE(saved.monthsFor(QStringLiteral("XQB")), 24);
        QCOMPARE(dialogs.messages().size(), 1);

        // Cancelling a change shows the stored months again, and the page is for browsing.
        press(&editor, "ToolButton14");
        rows->setData(rows->index(0, 1), QStringLiteral("6"));
        defaultMonths->setValue(18);
        press(&editor, "ToolButton17");
        QVERIFY(pages->isEnabled());
        QVERIFY(!defaultMonths->isEnabled());
        QVERIFY(!control<QToolButton>(&editor, "ToolButton16")->isEnabled());
        QVERIFY(control<QToolButton>(&editor, "ToolButton14")->isEnabled());
        QCOMPARE(rows->index(0, 1).data().toString(), QStringLiteral("36"));
        QCOMPARE(defaultMonths->value(), 24);
        QCOMPARE(WarrantyTerms::load(data().conn()).monthsFor(QStringLiteral("KFR-35GW")), 36);
    }
};

QTEST_MAIN(TestWarranty)
#include "tst_warranty.moc"
