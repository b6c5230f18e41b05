#include "data/query.h"
#include "data/schemainstaller.h"
#include "data/sqldialect.h"
#include "data/warrantyterms.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <QtTest>

using namespace zu;

namespace {

WarrantyTerms termsWith(int defaultMonths, const QList<QPair<QString, int>>& models)
{
    WarrantyTerms terms(defaultMonths);
    for (const auto& [model, months] : models)
        terms.setMonths(model, months);
    return terms;
}

} // namespace

class TestWarrantyTerms final : public QObject
{
    Q_OBJECT
private slots:
    // Whole months from the purchase date; a day the target month lacks becomes its last day.
    void endDate_data()
    {
        QTest::addColumn<QDate>("purchase");
        QTest::addColumn<int>("months");
        QTest::addColumn<QDate>("end");
        QTest::newRow("same day a year on") << QDate(2025, 6, 15) << 12 << QDate(2026, 6, 15);
        QTest::newRow("31 Jan + 1, common year") << QDate(2025, 1, 31) << 1 << QDate(2025, 2, 28);
        QTest::newRow("31 Jan + 1, leap year") << QDate(2024, 1, 31) << 1 << QDate(2024, 2, 29);
        QTest::newRow("31 Mar + 1") << QDate(2025, 3, 31) << 1 << QDate(2025, 4, 30);
        QTest::newRow("31 Aug + 6") << QDate(2025, 8, 31) << 6 << QDate(2026, 2, 28);
        QTest::newRow("29 Feb + 12") << QDate(2024, 2, 29) << 12 << QDate(2025, 2, 28);
        QTest::newRow("29 Feb + 48") << QDate(2024, 2, 29) << 48 << QDate(2028, 2, 29);
        QTest::newRow("28 Feb + 12 into a leap year") << QDate(2023, 2, 28) << 12 << QDate(2024, 2, 28);
        QTest::newRow("no months") << QDate(2025, 5, 5) << 0 << QDate(2025, 5, 5);
        QTest::newRow("across the year end") << QDate(2025, 11, 30) << 3 << QDate(2026, 2, 28);
    }
    void endDate()
    {
        QFETCH(QDate, purchase);
        QFETCH(int, months);
        QFETCH(QDate, end);
        QCOMPARE(warrantyEnd(purchase, months), end);
        // The end day itself is covered, the day after is not.
        QCOMPARE(warrantyStateOn(purchase, months, end), WarrantyState::In);
        QCOMPARE(warrantyStateOn(purchase, months, end.addDays(1)), WarrantyState::Out);
    }

    void noPurchaseDateIsUnknown()
    {
        QVERIFY(!warrantyEnd(QDate(), 12).isValid());
        QCOMPARE(warrantyStateOn(QDate(), 12, QDate(2025, 1, 1)), WarrantyState::Unknown);
        QCOMPARE(warrantyLine(WarrantyTerms(), QDate(), QStringLiteral("X"), QDate(2025, 1, 1)),
                 QStringLiteral("未填购买日期，无法计算保修期"));
    }

    // A listed model has its own months, blanks around it ignored; any other model, and none,
    // the default.
    void monthsPerModel()
    {
        const WarrantyTerms terms =
            termsWith(12, {{QStringLiteral("KFR-35GW"), 36}, {QStringLiteral(" 洗衣机XQB "), 6}});
        QCOMPARE(terms.monthsFor(QStringLiteral("KFR-35GW")), 36);
        QCOMPARE(terms.monthsFor(QStringLiteral("  KFR-35GW ")), 36);
        QCOMPARE(terms.monthsFor(QStringLiteral("洗衣机XQB")), 6);
        QCOMPARE(terms.monthsFor(QStringLiteral("KFR-35")), 12);
        QCOMPARE(terms.monthsFor(QString()), 12);
        QCOMPARE(terms.endOf(QDate(2024, 2, 29), QStringLiteral("KFR-35GW")), QDate(2027, 2, 28));
        QCOMPARE(terms.endOf(QDate(2024, 2, 29), QStringLiteral("无此型号")), QDate(2025, 2, 28));
        QCOMPARE(terms.stateOn(QDate(2025, 1, 31), QStringLiteral("洗衣机XQB"), QDate(2025, 7, 31)),
                 WarrantyState::In);
        QCOMPARE(terms.stateOn(QDate(2025, 1, 31), QStringLiteral("洗衣机XQB"), QDate(2025, 8, 1)),
                 WarrantyState::Out);

        const QDate purchase(2025, 1, 31);
        QCOMPARE(warrantyLine(terms, purchase, QStringLiteral("洗衣机XQB"), QDate(2025, 7, 31)),
                 QStringLiteral("保修至 2025-07-31（在保）"));
        QCOMPARE(warrantyLine(terms, purchase, QStringLiteral("洗衣机XQB"), QDate(2025, 8, 1)),
                 QStringLiteral("保修至 2025-07-31（过保）"));
        QCOMPARE(warrantyLine(terms, purchase, QString(), QDate(2026, 1, 31)),
                 QStringLiteral("保修至 2026-01-31（在保）"));
    }

    // A new database has the default row only; saved terms come back as they were saved, a
    // model set back to the default is gone.
    void keptInTheDatabase_data() { zu::test::addEngineRows(); }
    void keptInTheDatabase()
    {
        ZU_TEST_DATABASE(db);
        Connection& c = db.dataModule().conn();
        WarrantyTerms terms = WarrantyTerms::load(c);
        QCOMPARE(terms.defaultMonths(), WarrantyTerms::kDefaultMonths);
        QVERIFY(terms.listed().isEmpty());

        terms = termsWith(18, {{QStringLiteral("KFR-35GW"), 36}, {QStringLiteral("O'Brien 冰箱"), 0}});
        terms.save(c);
        WarrantyTerms loaded = WarrantyTerms::load(c);
        QCOMPARE(loaded.defaultMonths(), 18);
        QCOMPARE(loaded.listed(), terms.listed());
        QCOMPARE(loaded.monthsFor(QStringLiteral("O'Brien 冰箱")), 0);

        terms.setMonths(QStringLiteral("KFR-35GW"), std::nullopt);
        terms.save(c);
        loaded = WarrantyTerms::load(c);
        QCOMPARE(loaded.monthsFor(QStringLiteral("KFR-35GW")), 18);
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_warranty")), 2);
    }

    // The statement form gives every customer the months and the end the program computes: what
    // a statement over many customers (the reminder centre's) builds on.
    void statementAgreesWithTheRule_data() { zu::test::addEngineRows(); }
    void statementAgreesWithTheRule()
    {
        ZU_TEST_DATABASE(db);
        Connection& c = db.dataModule().conn();
        const WarrantyTerms terms =
            termsWith(15, {{QStringLiteral("KFR-35GW"), 36}, {QStringLiteral("XQB"), 1}});
        terms.save(c);
        const QList<QPair<QVariant, QDate>> customers{{QStringLiteral("KFR-35GW"), QDate(2024, 2, 29)},
                                                      {QStringLiteral(" XQB "), QDate(2025, 1, 31)},
                                                      {QStringLiteral("XQB"), QDate(2024, 1, 31)},
                                                      {QStringLiteral("无此型号"), QDate(2023, 11, 30)},
                                                      {QString(), QDate(2025, 3, 31)},
                                                      {QVariant(), QDate(2024, 8, 31)}};
        Query q(c);
        int n = 0;
        for (const auto& [model, purchase] : customers)
            q.exec(QStringLiteral(
                       "insert into T_Cust (CustName, IDCode, Goodsunit, EmptionDate) values (?, ?, ?, ?)"),
                   {QStringLiteral("客户"), QString::number(++n), model,
                    c.dialect().toDb(purchase.startOfDay())});
        const SqlDialect& d = c.dialect();
        const QString months = warrantyMonthsExpression(QStringLiteral("c.Goodsunit"));
        q.open(QStringLiteral("select c.IDCode, %1, %2 from T_Cust c order by c.CusttityID")
                   .arg(months, d.addMonths(d.dateOf(QStringLiteral("c.EmptionDate")), months)));
        n = 0;
        for (; !q.eof(); q.next(), ++n) {
            const QString model = customers[n].first.toString();
            QCOMPARE(q.value(1).toInt(), terms.monthsFor(model));
            QCOMPARE(QDate::fromString(q.value(2).toString().left(10), Qt::ISODate),
                     terms.endOf(customers[n].second, model));
        }
        QCOMPARE(n, customers.size());
    }

    // An older database: the terms start with the months the reminder centre used for every
    // model; service records kept before have no value, and both service lists show the column.
    void upgradeAddsTheTerms_data() { zu::test::addEngineRows(); }
    void upgradeAddsTheTerms()
    {
        ZU_TEST_DATABASE(db);
        Connection& c = db.dataModule().conn();
        constexpr int kWarrantyVersion = 8;
        Query q(c);
        q.exec(QStringLiteral("drop table T_warranty"));
        q.exec(QStringLiteral("alter table T_service drop column InWarranty"));
        q.exec(QStringLiteral("delete from T_FieldShow where Field = ?"), {QStringLiteral("InWarranty")});
        q.exec(QStringLiteral("update T_remind set WarrantyMonths = 18"));
        q.exec(QStringLiteral("delete from zu_schema"));
        q.exec(QStringLiteral("insert into zu_schema (version) values (?)"), {kWarrantyVersion - 1});
        q.exec(QStringLiteral("insert into T_service (CustCode, CustName) values (?, ?)"),
               {QStringLiteral("KH1"), QStringLiteral("老记录")});

        SchemaInstaller installer(c);
        QCOMPARE(installer.upgrade(kWarrantyVersion), 1);
        QCOMPARE(installer.version(), kWarrantyVersion);
        QCOMPARE(WarrantyTerms::load(c).defaultMonths(), 18);
        q.open(QStringLiteral("select InWarranty from T_service"));
        QVERIFY(q.value(0).isNull());
        q.open(QStringLiteral("select TableName, Name from T_FieldShow where Field = ?"),
               {QStringLiteral("InWarranty")});
        QStringList layouts;
        for (; !q.eof(); q.next())
            layouts << q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString();
        layouts.sort();
        QCOMPARE(layouts, (QStringList{QStringLiteral("T_Serviceshowcust 在保"),
                                       QStringLiteral("T_serviceshow 在保")}));
    }
};

QTEST_GUILESS_MAIN(TestWarrantyTerms)
#include "tst_warrantyterms.moc"
