// The column layout statements without any grid: the titles the searches offer, the column
// chooser's two lists and what it stores.

#include "columns/columnlayout.h"
#include "data/datamodule.h"
#include "data/query.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <QtTest>

using namespace zu;
using zu::test::insertRow;

namespace {

const QString kLayout = QStringLiteral("T_Test_show");

void addColumn(const QString& layout, int id, const QString& title, const QString& field, bool shown)
{
    insertRow(QStringLiteral("T_FieldShow"), {{QStringLiteral("ID"), id},
                                              {QStringLiteral("TableName"), layout},
                                              {QStringLiteral("Name"), title},
                                              {QStringLiteral("Field"), field},
                                              {QStringLiteral("show"), shown},
                                              {QStringLiteral("ShowID"), id}});
}

void addTestLayout()
{
    // Added out of ID order: the lists follow the IDs.
    addColumn(kLayout, 3, QStringLiteral("电话"), QStringLiteral("Phone"), false);
    addColumn(kLayout, 1, QStringLiteral("客户名称"), QStringLiteral("CustName"), true);
    addColumn(kLayout, 2, QStringLiteral("地址"), QStringLiteral("Address"), true);
    addColumn(QStringLiteral("T_Other_show"), 0, QStringLiteral("别的"), QStringLiteral("Other"), true);
}

} // namespace

class TestLayouts final : public QObject
{
    Q_OBJECT
private slots:
    void titlesOfALayout_data() { zu::test::addEngineRows(); }
    void titlesOfALayout()
    {
        ZU_TEST_DATABASE(db);
        addTestLayout();
        Query& q = db.dataModule().qryTemp();
        const QStringList all{QStringLiteral("客户名称"), QStringLiteral("地址"), QStringLiteral("电话")};
        QCOMPARE(layoutTitles(q, kLayout), all);
        QCOMPARE(layoutTitles(q, kLayout.toUpper()), all); // layout names ignore letter case
        QCOMPARE(layoutTitles(q, kLayout, true),
                 (QStringList{QStringLiteral("客户名称"), QStringLiteral("地址")}));
        QCOMPARE(layoutTitles(q, kLayout, false), QStringList{QStringLiteral("电话")});
        QVERIFY(layoutTitles(q, QStringLiteral("no such layout")).isEmpty());
        QVERIFY(!q.isOpen());
    }

    void fieldOfATitle_data() { zu::test::addEngineRows(); }
    void fieldOfATitle()
    {
        ZU_TEST_DATABASE(db);
        addTestLayout();
        Query& q = db.dataModule().qryTemp();
        QCOMPARE(fieldOfTitle(q, QStringLiteral("地址")), QStringLiteral("Address"));
        QCOMPARE(fieldOfTitle(q, QStringLiteral("别的")), QStringLiteral("Other"));
        QCOMPARE(fieldOfTitle(q, QStringLiteral("地")), QString());
        QCOMPARE(fieldOfTitle(q, QString()), QString());
        // Of two columns with one title, the one with the lower ID.
        addColumn(kLayout, 0, QStringLiteral("地址"), QStringLiteral("Zipcode"), false);
        QCOMPARE(fieldOfTitle(q, QStringLiteral("地址")), QStringLiteral("Zipcode"));
    }

    void chooserStoresWhatIsShown_data() { zu::test::addEngineRows(); }
    void chooserStoresWhatIsShown()
    {
        ZU_TEST_DATABASE(db);
        addTestLayout();
        Connection& c = db.dataModule().conn();
        Query& q = db.dataModule().qryTemp();
        // Titles come back from the list boxes; blanks around them do not matter.
        storeShownColumns(c, kLayout.toLower(), {QStringLiteral(" 客户名称 ")},
                          {QStringLiteral("电话"), QStringLiteral("地址")});
        QCOMPARE(layoutTitles(q, kLayout, true),
                 (QStringList{QStringLiteral("地址"), QStringLiteral("电话")}));
        QCOMPARE(layoutTitles(q, kLayout, false), QStringList{QStringLiteral("客户名称")});
        // Another layout's column of the same title is not touched.
        addColumn(QStringLiteral("T_Other_show"), 1, QStringLiteral("电话"), QStringLiteral("Phone"), true);
        storeShownColumns(c, kLayout, {QStringLiteral("电话")}, {});
        QCOMPARE(layoutTitles(q, QStringLiteral("T_Other_show"), true),
                 (QStringList{QStringLiteral("别的"), QStringLiteral("电话")}));
        QCOMPARE(layoutTitles(q, kLayout, true), QStringList{QStringLiteral("地址")});
    }
};

QTEST_GUILESS_MAIN(TestLayouts)
#include "tst_layouts.moc"
