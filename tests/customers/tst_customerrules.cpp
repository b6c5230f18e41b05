// The customer rules and statements without any window: changing and deleting customers, the
// lists the tree and the picker open, and the category rows.

#include "customers/categorycodes.h"
#include "customers/customeredits.h"
#include "customers/customersearch.h"
#include "data/datamodule.h"
#include "data/errors.h"
#include "data/query.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <QtTest>

using namespace zu;
using zu::test::addCategory;
using zu::test::addCustomer;
using zu::test::addJournal;
using zu::test::count;

namespace {

QStringList names(DataSet& list)
{
    QStringList out;
    for (int r = 0; r < list.recordCount(); ++r)
        out << list.value(r, list.fieldIndex(QStringLiteral("CustName"))).toString();
    return out;
}

int journalsOf(const char* table, const QString& code)
{
    return count(QStringLiteral("select count(*) from %1 where CustCode = ?").arg(QLatin1String(table)),
                 {code});
}

void addJournalsOf(const QString& code)
{
    for (const char* table : {"T_service", "T_call", "T_complain"})
        addJournal(QLatin1String(table), code, code);
}

} // namespace

class TestCustomerRules final : public QObject
{
    Q_OBJECT
private slots:
    void codeChangeIsCarriedIntoTheJournals_data() { zu::test::addEngineRows(); }
    void codeChangeIsCarriedIntoTheJournals()
    {
        ZU_TEST_DATABASE(db);
        DataSet& customers = db.dataModule().qryCustom();
        addCustomer(QStringLiteral("甲"), QStringLiteral("A"));
        addCustomer(QStringLiteral("乙"), QStringLiteral("B"));
        addJournalsOf(QStringLiteral("A"));
        addJournalsOf(QStringLiteral("B"));
        customers.open();
        QVERIFY(customers.locate(QStringLiteral("IDCode"), QStringLiteral("A")));

        updateCustomer(customers, {{QStringLiteral("IDCode"), QStringLiteral("C")}}, QStringLiteral("A"));
        for (const char* table : {"T_service", "T_call", "T_complain"}) {
            QCOMPARE(journalsOf(table, QStringLiteral("A")), 0);
            QCOMPARE(journalsOf(table, QStringLiteral("C")), 1);
            QCOMPARE(journalsOf(table, QStringLiteral("B")), 1); // another customer's records stay
        }
        QCOMPARE(customers.fieldText(QStringLiteral("IDCode")), QStringLiteral("C"));
        QCOMPARE(customers.state(), DataSet::State::Browse);
    }

    void unchangedCodeLeavesTheJournals_data() { zu::test::addEngineRows(); }
    void unchangedCodeLeavesTheJournals()
    {
        ZU_TEST_DATABASE(db);
        DataSet& customers = db.dataModule().qryCustom();
        addCustomer(QStringLiteral("甲"), QStringLiteral("A"));
        addJournalsOf(QStringLiteral("A"));
        customers.open();
        updateCustomer(customers,
                       {{QStringLiteral("IDCode"), QStringLiteral("A")},
                        {QStringLiteral("CustName"), QStringLiteral("甲改")}},
                       QStringLiteral("A"));
        QCOMPARE(customers.fieldText(QStringLiteral("CustName")), QStringLiteral("甲改"));
        for (const char* table : {"T_service", "T_call", "T_complain"})
            QCOMPARE(journalsOf(table, QStringLiteral("A")), 1);
    }

    void failedCodeChangeChangesNothing_data() { zu::test::addEngineRows(); }
    void failedCodeChangeChangesNothing()
    {
        ZU_TEST_DATABASE(db);
        DataSet& customers = db.dataModule().qryCustom();
        addCustomer(QStringLiteral("甲"), QStringLiteral("A"));
        addJournalsOf(QStringLiteral("A"));
        customers.open();
        db.dataModule().T().exec(QStringLiteral("drop table T_complain")); // the last move fails
        QVERIFY_THROWS_EXCEPTION(DbError,
                                 updateCustomer(customers, {{QStringLiteral("IDCode"), QStringLiteral("C")}},
                                                QStringLiteral("A")));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust where IDCode = ?"), {QStringLiteral("A")}),
                 1);
        QCOMPARE(journalsOf("T_service", QStringLiteral("A")), 1);
        QCOMPARE(journalsOf("T_call", QStringLiteral("A")), 1);
        QCOMPARE(customers.fieldText(QStringLiteral("IDCode")), QStringLiteral("A"));
        QCOMPARE(customers.state(), DataSet::State::Browse);
    }

    void deletionTakesTheServiceRecordsOnly_data() { zu::test::addEngineRows(); }
    void deletionTakesTheServiceRecordsOnly()
    {
        ZU_TEST_DATABASE(db);
        DataSet& customers = db.dataModule().qryCustom();
        addCustomer(QStringLiteral("甲"), QStringLiteral("A"));
        addCustomer(QStringLiteral("乙"), QStringLiteral("B"));
        addJournalsOf(QStringLiteral("A"));
        addJournalsOf(QStringLiteral("B"));
        customers.open();
        QVERIFY(customers.locate(QStringLiteral("IDCode"), QStringLiteral("A")));
        deleteCustomer(customers);
        QCOMPARE(names(customers), QStringList{QStringLiteral("乙")});
        QCOMPARE(journalsOf("T_service", QStringLiteral("A")), 0);
        QCOMPARE(journalsOf("T_call", QStringLiteral("A")), 1);
        QCOMPARE(journalsOf("T_complain", QStringLiteral("A")), 1);
        QCOMPARE(journalsOf("T_service", QStringLiteral("B")), 1);
    }

    void customerWithoutCodeTakesNoServiceRecords_data() { zu::test::addEngineRows(); }
    void customerWithoutCodeTakesNoServiceRecords()
    {
        ZU_TEST_DATABASE(db);
        DataSet& customers = db.dataModule().qryCustom();
        addCustomer(QStringLiteral("无编号"), QStringLiteral(""));
        addJournal(QStringLiteral("T_service"), QStringLiteral(""), QStringLiteral("别人"));
        customers.open();
        deleteCustomer(customers);
        QVERIFY(customers.isEmpty());
        QCOMPARE(journalsOf("T_service", QStringLiteral("")), 1);
    }

    void failedDeletionKeepsTheServiceRecords_data() { zu::test::addEngineRows(); }
    void failedDeletionKeepsTheServiceRecords()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addCustomer(QStringLiteral("甲"), QStringLiteral("A"));
        addJournalsOf(QStringLiteral("A"));
        d.qryCustom().open();
        d.qryCustom().first();
        // The customer row cannot be deleted once its table is gone; the records deleted before
        // it come back with the rollback.
        d.T().exec(QStringLiteral("alter table T_Cust rename to T_Cust_away"));
        QVERIFY_THROWS_EXCEPTION(DbError, deleteCustomer(d.qryCustom()));
        QCOMPARE(journalsOf("T_service", QStringLiteral("A")), 1);
    }

    void takenCodes_data() { zu::test::addEngineRows(); }
    void takenCodes()
    {
        ZU_TEST_DATABASE(db);
        addCustomer(QStringLiteral("甲"), QStringLiteral("A1"));
        Query& q = db.dataModule().qryTemp();
        QVERIFY(customerCodeTaken(q, QStringLiteral("A1")));
        QVERIFY(!customerCodeTaken(q, QStringLiteral("A")));
        QVERIFY(!customerCodeTaken(q, QStringLiteral("A1 ")));
    }

    void treeClickOpensTheCategoryAndItsDescendants_data() { zu::test::addEngineRows(); }
    void treeClickOpensTheCategoryAndItsDescendants()
    {
        ZU_TEST_DATABASE(db);
        DataSet& customers = db.dataModule().qryCustom();
        addCustomer(QStringLiteral("子"), QStringLiteral("c1"),
                    {{QStringLiteral("TypeCode"), QStringLiteral("0101")}});
        addCustomer(QStringLiteral("父"), QStringLiteral("c2"),
                    {{QStringLiteral("TypeCode"), QStringLiteral("01")}});
        addCustomer(QStringLiteral("邻"), QStringLiteral("c3"),
                    {{QStringLiteral("TypeCode"), QStringLiteral("02")}});
        addCustomer(QStringLiteral("含"), QStringLiteral("c4"),
                    {{QStringLiteral("TypeCode"), QStringLiteral("1001")}});
        addCustomer(QStringLiteral("无"), QStringLiteral("c5"));
        openCustomersOfCategory(customers, QStringLiteral("01"));
        QCOMPARE(names(customers), (QStringList{QStringLiteral("子"), QStringLiteral("父")})); // key order
        openCustomersOfCategory(customers, QStringLiteral("0101"));
        QCOMPARE(names(customers), QStringList{QStringLiteral("子")});
        openCustomersOfCategory(customers, QString());
        QCOMPARE(customers.recordCount(), 5);
    }

    void pickerClassBox_data() { zu::test::addEngineRows(); }
    void pickerClassBox()
    {
        ZU_TEST_DATABASE(db);
        DataSet& list = db.dataModule().qryselect();
        addCustomer(QStringLiteral("甲"), {}, {{QStringLiteral("classCode"), QStringLiteral("家电")}});
        addCustomer(QStringLiteral("乙"), {}, {{QStringLiteral("classCode"), QStringLiteral("")}});
        addCustomer(QStringLiteral("丙"));
        addCustomer(QStringLiteral("丁"), {}, {{QStringLiteral("classCode"), QStringLiteral("家电城")}});
        openCustomersOfClass(list, QStringLiteral("家电"));
        QCOMPARE(names(list), QStringList{QStringLiteral("甲")});
        // Without a class: an empty one as well as none at all.
        openCustomersOfClass(list, QString());
        QCOMPARE(names(list), (QStringList{QStringLiteral("乙"), QStringLiteral("丙")}));
    }

    void categoriesAreAddedRenamedAndReadInCodeOrder_data() { zu::test::addEngineRows(); }
    void categoriesAreAddedRenamedAndReadInCodeOrder()
    {
        ZU_TEST_DATABASE(db);
        const QString kind = QStringLiteral("型号类别");
        Query& f = db.dataModule().F();
        addCategory(QStringLiteral("0102"), QStringLiteral(" 挂机 "), kind);
        addCategory(QStringLiteral("01"), QStringLiteral("空调"), QStringLiteral("公司类别"));
        addCategory(QStringLiteral("01"), QStringLiteral("空调"), kind);
        addCategory(QStringLiteral("0101"), QStringLiteral("柜机"), kind);
        QCOMPARE(readCategories(f, kind),
                 (QList<CodedName>{{QStringLiteral("01"), QStringLiteral("空调")},
                                   {QStringLiteral("0101"), QStringLiteral("柜机")},
                                   {QStringLiteral("0102"), QStringLiteral(" 挂机 ")}}));
        addCategory(f, kind, QStringLiteral("02"), QStringLiteral("冰箱"));
        renameCategory(f, kind, QStringLiteral("01"), QStringLiteral("家用空调"));
        QCOMPARE(readCategories(f, kind),
                 (QList<CodedName>{{QStringLiteral("01"), QStringLiteral("家用空调")},
                                   {QStringLiteral("0101"), QStringLiteral("柜机")},
                                   {QStringLiteral("0102"), QStringLiteral(" 挂机 ")},
                                   {QStringLiteral("02"), QStringLiteral("冰箱")}}));
        // Another kind's category of the same code keeps its name.
        QCOMPARE(readCategories(f, QStringLiteral("公司类别")),
                 QList<CodedName>{(CodedName{QStringLiteral("01"), QStringLiteral("空调")})});

        const Statement names = categoryListStatement(kind);
        f.open(names.sql, names.bindValues);
        QCOMPARE(f.asString(QStringLiteral("name")), QStringLiteral("家用空调"));
    }

    void categoryChangedOrDeletedElsewhereIsNotOverwritten_data() { zu::test::addEngineRows(); }
    void categoryChangedOrDeletedElsewhereIsNotOverwritten()
    {
        ZU_TEST_DATABASE(db);
        const QString kind = QStringLiteral("用户类别");
        Query& f = db.dataModule().F();
        addCategory(QStringLiteral("01"), QStringLiteral("空调"));
        addCategory(QStringLiteral("0101"), QStringLiteral("柜机"));
        addCategory(QStringLiteral("02"), QStringLiteral("冰箱"));
        auto shown = [&](const QString& code) {
            for (const CategoryRow& row : readCategoryRows(f, kind))
                if (row.code == code)
                    return row.version;
            return QVariant();
        };
        auto failure = [](auto&& command) {
            try {
                command();
            } catch (const DbError& e) {
                return e;
            }
            return DbError(QString());
        };
        const QVariant seen01 = shown(QStringLiteral("01"));
        QVERIFY(seen01.isValid());
        // Unchanged: the rename goes in, and counts the version up.
        renameCategory(f, kind, QStringLiteral("01"), QStringLiteral("家用空调"), seen01);
        QCOMPARE(shown(QStringLiteral("01")).toInt(), seen01.toInt() + 1);

        // Renamed elsewhere meanwhile: neither renamed again nor deleted.
        const QVariant seen = shown(QStringLiteral("01"));
        db.otherExec(QStringLiteral("update T_Dict_cate set name = '中央空调' where code = '01'"));
        DbError e =
            failure([&] { renameCategory(f, kind, QStringLiteral("01"), QStringLiteral("我的名字"), seen); });
        QCOMPARE(e.failure(), DbFailure::ChangedElsewhere);
        QVERIFY2(e.text().startsWith(QStringLiteral("该类别已被其他用户修改，您的修改没有保存。")),
                 qPrintable(e.text()));
        e = failure([&] { deleteCategorySubtree(f, kind, QStringLiteral("01"), seen); });
        QCOMPARE(e.failure(), DbFailure::ChangedElsewhere);
        QCOMPARE(count(QStringLiteral("select count(*) from T_Dict_cate where code like '01%'")), 2);
        QCOMPARE(readCategories(f, kind).first().name, QStringLiteral("中央空调"));

        // Deleted elsewhere: nothing renamed, nothing deleted, nothing comes back.
        const QVariant seen02 = shown(QStringLiteral("02"));
        db.otherExec(QStringLiteral("delete from T_Dict_cate where code = '02'"));
        e = failure([&] { renameCategory(f, kind, QStringLiteral("02"), QStringLiteral("冷柜"), seen02); });
        QCOMPARE(e.failure(), DbFailure::DeletedElsewhere);
        e = failure([&] { deleteCategorySubtree(f, kind, QStringLiteral("02"), seen02); });
        QCOMPARE(e.failure(), DbFailure::DeletedElsewhere);
        QCOMPARE(e.text(), QStringLiteral("该类别已被其他用户删除。"));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Dict_cate where code = '02'")), 0);

        // As shown now, the subtree goes.
        QCOMPARE(deleteCategorySubtree(f, kind, QStringLiteral("01"), shown(QStringLiteral("01"))), 2);
        QCOMPARE(count(QStringLiteral("select count(*) from T_Dict_cate")), 0);
    }
};

QTEST_GUILESS_MAIN(TestCustomerRules)
#include "tst_customerrules.moc"
