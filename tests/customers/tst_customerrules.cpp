// The customer rules and statements without any window: changing and deleting customers, the
// lists the tree and the picker open, and the category rows.

#include "customers/categorycodes.h"
#include "customers/customeredits.h"
#include "customers/customersearch.h"
#include "customers/journalrecords.h"
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

    // One workstation deletes a customer: its service records, return visits and complaints go
    // with it, as the other workstation sees; a new customer given the code later starts without
    // any record.
    void deletionTakesAllTheCustomersRecords_data() { zu::test::addEngineRows(); }
    void deletionTakesAllTheCustomersRecords()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        DataSet& customers = d.qryCustom();
        addCustomer(QStringLiteral("甲"), QStringLiteral("A"));
        addCustomer(QStringLiteral("乙"), QStringLiteral("B"));
        addJournalsOf(QStringLiteral("A"));
        addJournalsOf(QStringLiteral("A"));
        addJournalsOf(QStringLiteral("B"));
        customers.open();
        QVERIFY(customers.locate(QStringLiteral("IDCode"), QStringLiteral("A")));
        deleteCustomer(customers);
        QCOMPARE(names(customers), QStringList{QStringLiteral("乙")});

        // Another workstation finds none left.
        for (const char* table : {"T_service", "T_call", "T_complain"}) {
            const QString sql =
                QStringLiteral("select count(*) from %1 where CustCode = ?").arg(QLatin1String(table));
            QCOMPARE(db.otherValue(sql, {QStringLiteral("A")}).toInt(), 0);
            QCOMPARE(db.otherValue(sql, {QStringLiteral("B")}).toInt(), 1);
        }

        addCustomer(QStringLiteral("丙"), QStringLiteral("A"));
        customers.refresh();
        QVERIFY(customers.locate(QStringLiteral("IDCode"), QStringLiteral("A")));
        for (DataSet* detail : {&d.qryServiceCust(), &d.qryCallCust(), &d.qryComplainCust()})
            QVERIFY2(detail->isOpen() && detail->isEmpty(), qPrintable(detail->name()));
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

    void failedDeletionKeepsEverything_data() { zu::test::addEngineRows(); }
    void failedDeletionKeepsEverything()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addCustomer(QStringLiteral("甲"), QStringLiteral("A"));
        addJournalsOf(QStringLiteral("A"));
        d.qryCustom().open();
        d.qryCustom().first();
        // The complaints cannot be deleted once their table is gone; the customer and the records
        // deleted before them come back with the rollback, and the list shows the customer again.
        d.T().exec(QStringLiteral("alter table T_complain rename to T_complain_away"));
        QVERIFY_THROWS_EXCEPTION(DbError, deleteCustomer(d.qryCustom()));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 1);
        QCOMPARE(journalsOf("T_service", QStringLiteral("A")), 1);
        QCOMPARE(journalsOf("T_call", QStringLiteral("A")), 1);
        QCOMPARE(names(d.qryCustom()), QStringList{QStringLiteral("甲")});
    }

    // A record is written only under the code of an existing customer, also when another
    // workstation deleted the customer after the list was read.
    void journalRecordsNeedTheirCustomer_data() { zu::test::addEngineRows(); }
    void journalRecordsNeedTheirCustomer()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addCustomer(QStringLiteral("甲"), QStringLiteral("A"));
        addCustomer(QStringLiteral("乙"), QStringLiteral("B"));
        DataSet& list = d.qryCall();
        list.open();
        auto record = [](const char* code) {
            return QVariantMap{{QStringLiteral("CustCode"), QString::fromLatin1(code)},
                               {QStringLiteral("CustName"), QStringLiteral("某")},
                               {QStringLiteral("callMen"), QStringLiteral("张")}};
        };
        writeJournalRecord(list, record("A"), true);
        QCOMPARE(journalsOf("T_call", QStringLiteral("A")), 1);

        for (const char* unknown : {"X", "a", "A ", ""}) {
            try {
                writeJournalRecord(list, record(unknown), true);
                QFAIL(unknown);
            } catch (const CommandError& e) {
                QCOMPARE(e.text(), unknownCustomerText(QString::fromLatin1(unknown)));
            }
        }
        QCOMPARE(count(QStringLiteral("select count(*) from T_call")), 1);
        QCOMPARE(list.recordCount(), 1);
        QCOMPARE(list.state(), DataSet::State::Browse);

        // A changed record may not move to an unknown code either.
        list.first();
        QVERIFY_THROWS_EXCEPTION(CommandError, writeJournalRecord(list, record("X"), false));
        QCOMPARE(journalsOf("T_call", QStringLiteral("A")), 1);
        writeJournalRecord(list, record("B"), false);
        QCOMPARE(journalsOf("T_call", QStringLiteral("B")), 1);

        // The other workstation deletes customer B: no record is added under its code.
        db.otherExec(QStringLiteral("delete from T_Cust where IDCode = ?"), {QStringLiteral("B")});
        QVERIFY_THROWS_EXCEPTION(CommandError, writeJournalRecord(list, record("B"), true));
        QCOMPARE(journalsOf("T_call", QStringLiteral("B")), 1);
        QCOMPARE(list.recordCount(), 1);
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

    // Renaming a category gives its customers the new name in the same step; the customers of
    // its descendants keep theirs.
    void renamingCarriesTheNameToTheCustomers_data() { zu::test::addEngineRows(); }
    void renamingCarriesTheNameToTheCustomers()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        const QString kind = QStringLiteral("用户类别");
        addCategory(QStringLiteral("01"), QStringLiteral("空调"), kind);
        addCategory(QStringLiteral("0101"), QStringLiteral("壁挂"), kind);
        addCustomer(QStringLiteral("甲"), QStringLiteral("A"),
                    {{QStringLiteral("TypeCode"), QStringLiteral("01")},
                     {QStringLiteral("classCode"), QStringLiteral("空调")}});
        addCustomer(QStringLiteral("乙"), QStringLiteral("B"),
                    {{QStringLiteral("TypeCode"), QStringLiteral("0101")},
                     {QStringLiteral("classCode"), QStringLiteral("壁挂")}});
        addCustomer(QStringLiteral("丙"), QStringLiteral("C"),
                    {{QStringLiteral("classCode"), QStringLiteral("空调")}});
        QCOMPARE(renameCategory(d.F(), kind, QStringLiteral("01"), QStringLiteral("家用空调")), 1);
        const QString classOf = QStringLiteral("select classCode from T_Cust where IDCode = ?");
        QCOMPARE(zu::test::column(classOf, {QStringLiteral("A")}), QStringList{QStringLiteral("家用空调")});
        QCOMPARE(zu::test::column(classOf, {QStringLiteral("B")}), QStringList{QStringLiteral("壁挂")});
        QCOMPARE(zu::test::column(classOf, {QStringLiteral("C")}), QStringList{QStringLiteral("空调")});

        // An empty name is refused; so is the name of a category another workstation deleted.
        QVERIFY_THROWS_EXCEPTION(CommandError,
                                 renameCategory(d.F(), kind, QStringLiteral("01"), QStringLiteral(" ")));
        QVERIFY_THROWS_EXCEPTION(CommandError, addCategory(d.F(), kind, QStringLiteral("02"), QString()));
        db.otherExec(QStringLiteral("delete from T_Dict_cate where code = ?"), {QStringLiteral("0101")});
        QVERIFY_THROWS_EXCEPTION(DbError,
                                 renameCategory(d.F(), kind, QStringLiteral("0101"), QStringLiteral("挂机")));
        QCOMPARE(zu::test::column(classOf, {QStringLiteral("B")}), QStringList{QStringLiteral("壁挂")});
        // A code that another category has is not given twice.
        QVERIFY_THROWS_EXCEPTION(CommandError,
                                 addCategory(d.F(), kind, QStringLiteral("01"), QStringLiteral("又一个")));
        QVERIFY_THROWS_EXCEPTION(CommandError, addCategory(d.F(), kind, QString(), QStringLiteral("无编码")));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Dict_cate where tableName = ?"), {kind}), 1);
    }

    // A category whose subtree holds customers stays, with a message saying how many.
    void categoryWithCustomersIsNotDeleted_data() { zu::test::addEngineRows(); }
    void categoryWithCustomersIsNotDeleted()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        const QString kind = QStringLiteral("用户类别");
        for (const auto& [code, name] :
             {std::pair{"01", "空调"}, std::pair{"0101", "壁挂"}, std::pair{"010101", "小"},
              std::pair{"0102", "柜机"}, std::pair{"02", "冰箱"}, std::pair{"0201", "双门"}})
            addCategory(QLatin1String(code), QString::fromUtf8(name), kind);
        addCustomer(QStringLiteral("甲"), QStringLiteral("A"),
                    {{QStringLiteral("TypeCode"), QStringLiteral("010101")}});
        addCustomer(QStringLiteral("乙"), QStringLiteral("B"),
                    {{QStringLiteral("TypeCode"), QStringLiteral("0101")}});
        QCOMPARE(customersInSubtree(d.F(), QStringLiteral("01")), 2);
        QCOMPARE(customersInSubtree(d.F(), QStringLiteral("010101")), 1);
        QCOMPARE(customersInSubtree(d.F(), QStringLiteral("0102")), 0);
        try {
            deleteCategorySubtree(d.F(), kind, QStringLiteral("01"));
            QFAIL("a category holding customers was deleted");
        } catch (const CommandError& e) {
            QCOMPARE(e.text(), categoryHoldsCustomersText(2));
            QVERIFY(e.text().contains(QStringLiteral("2 位客户")));
        }
        QVERIFY_THROWS_EXCEPTION(CommandError, deleteCategorySubtree(d.F(), kind, QStringLiteral("010101")));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Dict_cate where tableName = ?"), {kind}), 6);
        // Empty branches go, with their descendants.
        QCOMPARE(deleteCategorySubtree(d.F(), kind, QStringLiteral("0102")), 1);
        QCOMPARE(deleteCategorySubtree(d.F(), kind, QStringLiteral("02")), 2);
        QCOMPARE(
            zu::test::column(QStringLiteral("select code from T_Dict_cate where tableName = ? order by code"),
                             {kind}),
            (QStringList{QStringLiteral("01"), QStringLiteral("0101"), QStringLiteral("010101")}));
    }

    // The search's category: the chosen one and its descendants by code, not every category
    // whose name contains the chosen name.
    void searchedCategoryIsItsSubtree_data() { zu::test::addEngineRows(); }
    void searchedCategoryIsItsSubtree()
    {
        ZU_TEST_DATABASE(db);
        DataSet& customers = db.dataModule().qryCustom();
        auto add = [](const char* name, const char* code, const char* className) {
            addCustomer(QString::fromUtf8(name), QString::fromUtf8(name),
                        {{QStringLiteral("TypeCode"), QLatin1String(code)},
                         {QStringLiteral("classCode"), QString::fromUtf8(className)}});
        };
        add("一号", "0101", "门店1");
        add("一号分店", "010101", "门店1分店");
        add("十号", "0110", "门店10");
        add("百号", "011001", "门店100");
        add("二号", "0201", "门店1"); // another branch that happens to have the same name
        CustomerSearch search;
        search.categoryCode = QStringLiteral("0101");
        CustomerSearch::Condition c = search.condition(db.dataModule().dialect());
        customers.open(c.where, c.bindValues);
        QStringList found = names(customers);
        found.sort();
        QCOMPARE(found, (QStringList{QStringLiteral("一号"), QStringLiteral("一号分店")}));

        search.categoryCode = QStringLiteral("01");
        search.texts = {{QStringLiteral("CustName"), QStringLiteral("号")}};
        c = search.condition(db.dataModule().dialect());
        customers.open(c.where, c.bindValues);
        QCOMPARE(customers.recordCount(), 4);
    }

    // Purchase dates written as a date only (by a script, an older release) on the boundaries of
    // the search's range: the range keeps its one-day margins and nothing beyond.
    void searchedDateRangeWithDateOnlyValues_data() { zu::test::addEngineRows(); }
    void searchedDateRangeWithDateOnlyValues()
    {
        ZU_TEST_DATABASE(db);
        DataSet& customers = db.dataModule().qryCustom();
        Query q(db.dataModule().conn());
        for (const auto& [name, date] :
             {std::pair{"before", "2026-11-30"}, std::pair{"before, evening", "2026-11-30T18:00:00"},
              std::pair{"first", "2026-12-01"}, std::pair{"last", "2026-12-10"},
              std::pair{"after", "2026-12-11"}})
            q.exec(QStringLiteral("insert into T_Cust (CustName, IDCode, EmptionDate) values (?, ?, ?)"),
                   {QString::fromLatin1(name), QString::fromLatin1(name), QString::fromLatin1(date)});
        CustomerSearch search;
        search.ranges = {{QStringLiteral("EmptionDate"), QDate(2026, 12, 1), QDate(2026, 12, 10)}};
        const CustomerSearch::Condition c = search.condition(db.dataModule().dialect());
        customers.open(c.where, c.bindValues);
        QStringList found = names(customers);
        found.sort();
        QCOMPARE(found, (QStringList{QStringLiteral("before, evening"), QStringLiteral("first"),
                                     QStringLiteral("last")}));
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
