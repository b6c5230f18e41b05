// The data layer's searches and look-ups: a field's beginning, a range of days, a lookup list,
// whether a value exists.

#include "data/datamodule.h"
#include "data/datasetfilters.h"
#include "data/lookuplists.h"
#include "data/query.h"
#include "data/routines.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <algorithm>
#include <QtTest>

using namespace zu;
using zu::test::addCustomer;
using zu::test::addJournal;

namespace {

QStringList column(DataSet& list, const char* field)
{
    QStringList out;
    for (int r = 0; r < list.recordCount(); ++r)
        out << list.value(r, list.fieldIndex(QString::fromLatin1(field))).toString();
    return out;
}

void addServiceOn(const QString& code, const QDateTime& when)
{
    addJournal(QStringLiteral("T_service"), code, code, {{QStringLiteral("serviceDate"), when}});
}

} // namespace

class TestFilters final : public QObject
{
    Q_OBJECT
private slots:
    void startingWithIgnoresCaseAndWildcards_data() { zu::test::addEngineRows(); }
    void startingWithIgnoresCaseAndWildcards()
    {
        ZU_TEST_DATABASE(db);
        DataSet& list = db.dataModule().qryselect();
        for (const char* name : {"Abc", "abd", "xab", "a%c", "a_c", "aXc"})
            addCustomer(QString::fromLatin1(name));
        openStartingWith(list, QStringLiteral("CustName"), QStringLiteral("AB"));
        QCOMPARE(column(list, "CustName"), (QStringList{QStringLiteral("Abc"), QStringLiteral("abd")}));
        // Typed wildcards match only themselves.
        openStartingWith(list, QStringLiteral("CustName"), QStringLiteral("a%"));
        QCOMPARE(column(list, "CustName"), QStringList{QStringLiteral("a%c")});
        openStartingWith(list, QStringLiteral("CustName"), QStringLiteral("a_"));
        QCOMPARE(column(list, "CustName"), QStringList{QStringLiteral("a_c")});
        openStartingWith(list, QStringLiteral("CustName"), QString());
        QCOMPARE(list.recordCount(), 6);
        openStartingWith(list, QStringLiteral("CustName"), QStringLiteral("a"), QStringLiteral("CustName"));
        QStringList ascending = column(list, "CustName");
        openStartingWith(list, QStringLiteral("CustName"), QStringLiteral("a"),
                         QStringLiteral("CustName desc"));
        std::reverse(ascending.begin(), ascending.end());
        QCOMPARE(column(list, "CustName"), ascending);
    }

    void datedIncludesBothDaysWhole_data() { zu::test::addEngineRows(); }
    void datedIncludesBothDaysWhole()
    {
        ZU_TEST_DATABASE(db);
        DataSet& list = db.dataModule().qryservice();
        addServiceOn(QStringLiteral("before"), QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59)));
        addServiceOn(QStringLiteral("first"), QDateTime(QDate(2024, 3, 1), QTime(0, 0)));
        addServiceOn(QStringLiteral("last"), QDateTime(QDate(2024, 3, 31), QTime(23, 59, 59)));
        addServiceOn(QStringLiteral("after"), QDateTime(QDate(2024, 4, 1), QTime(0, 0)));
        openDated(list, QStringLiteral("serviceDate"), QDate(2024, 3, 1), QDate(2024, 3, 31),
                  QStringLiteral("serviceDate desc"));
        QCOMPARE(column(list, "CustCode"), (QStringList{QStringLiteral("last"), QStringLiteral("first")}));
        openDated(list, QStringLiteral("serviceDate"), QDate(2024, 3, 2), QDate(2024, 3, 1));
        QVERIFY(list.isEmpty());
    }

    void lookupListsInTheOrderAdded_data() { zu::test::addEngineRows(); }
    void lookupListsInTheOrderAdded()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        const QString table = d.dialect().quote(QStringLiteral("table"));
        d.T().exec(QStringLiteral("delete from T_type"));
        for (const auto& [list, value] :
             {std::pair{"型号", "B"}, std::pair{"赠品", "X"}, std::pair{"型号", "A"}})
            d.T().exec(QStringLiteral("insert into T_type (caption, %1) values (?, ?)").arg(table),
                       {QString::fromUtf8(value), QString::fromUtf8(list)});
        const Statement models = lookupListStatement(d.dialect(), QStringLiteral("型号"));
        QStringList values;
        for (d.F().open(models.sql, models.bindValues); !d.F().eof(); d.F().next())
            values << d.F().asString(QStringLiteral("caption"));
        QCOMPARE(values, (QStringList{QStringLiteral("B"), QStringLiteral("A")}));

        openLookupList(d.qryCombo(), QStringLiteral("赠品"));
        QCOMPARE(column(d.qryCombo(), "caption"), QStringList{QStringLiteral("X")});
        openLookupList(d.qryCombo(), QStringLiteral("没有"));
        QVERIFY(d.qryCombo().isEmpty());
    }

    void valueExistsExactly_data() { zu::test::addEngineRows(); }
    void valueExistsExactly()
    {
        ZU_TEST_DATABASE(db);
        Query& q = db.dataModule().qryTemp();
        addCustomer(QStringLiteral("甲"), QStringLiteral("A-1"));
        QVERIFY(valueExists(q, QStringLiteral("T_Cust"), QStringLiteral("IDCode"), QStringLiteral("A-1")));
        QVERIFY(!valueExists(q, QStringLiteral("T_Cust"), QStringLiteral("IDCode"), QStringLiteral("A-")));
        QVERIFY(!valueExists(q, QStringLiteral("T_Cust"), QStringLiteral("IDCode"), QStringLiteral("甲")));
        QVERIFY(valueExists(q, QStringLiteral("T_Cust"), QStringLiteral("CustName"), QStringLiteral("甲")));
    }
};

QTEST_GUILESS_MAIN(TestFilters)
#include "tst_filters.moc"
