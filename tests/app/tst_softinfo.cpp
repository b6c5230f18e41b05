// The program's row of t_SoftInfo without any window: the version and the company's details.

#include "app/softinfo.h"
#include "data/datamodule.h"
#include "data/query.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <QtTest>

using namespace zu;
using zu::test::column;
using zu::test::count;
using zu::test::insertRow;

namespace {

CompanyInfo sample(const QString& prefix)
{
    return {prefix + QStringLiteral("公司"), prefix + QStringLiteral("联系人"),
            prefix + QStringLiteral("地址"), prefix + QStringLiteral("电话"),
            prefix + QStringLiteral("传真"), prefix + QStringLiteral("@mail")};
}

QStringList asList(const CompanyInfo& i)
{
    return {i.coName, i.contact, i.address, i.phone, i.fax, i.email};
}

} // namespace

class TestSoftInfo final : public QObject
{
    Q_OBJECT
private slots:
    void versionOfTheFirstRow_data() { zu::test::addEngineRows(); }
    void versionOfTheFirstRow()
    {
        ZU_TEST_DATABASE(db);
        Query& t = db.dataModule().T();
        QCOMPARE(readVersion(t), QStringLiteral("1.0")); // delivered
        t.exec(QStringLiteral("delete from t_SoftInfo"));
        QCOMPARE(readVersion(t), QString());
        QVERIFY(!t.isOpen());
    }

    void detailsAreAddedWhenThereIsNoRow_data() { zu::test::addEngineRows(); }
    void detailsAreAddedWhenThereIsNoRow()
    {
        ZU_TEST_DATABASE(db);
        Query& f = db.dataModule().F();
        f.exec(QStringLiteral("delete from t_SoftInfo"));
        QCOMPARE(asList(readCompanyInfo(f)), QStringList(6));
        storeCompanyInfo(f, sample(QStringLiteral("甲")));
        QCOMPARE(count(QStringLiteral("select count(*) from t_SoftInfo")), 1);
        QCOMPARE(asList(readCompanyInfo(f)), asList(sample(QStringLiteral("甲"))));
        storeCompanyInfo(f, sample(QStringLiteral("乙")));
        QCOMPARE(count(QStringLiteral("select count(*) from t_SoftInfo")), 1);
        QCOMPARE(asList(readCompanyInfo(f)), asList(sample(QStringLiteral("乙"))));
    }

    void detailsGoIntoTheFirstRowOnly_data() { zu::test::addEngineRows(); }
    void detailsGoIntoTheFirstRowOnly()
    {
        ZU_TEST_DATABASE(db);
        Query& f = db.dataModule().F();
        insertRow(QStringLiteral("t_SoftInfo"), {{QStringLiteral("Version"), QStringLiteral("2.0")},
                                                 {QStringLiteral("CoName"), QStringLiteral("第二行")}});
        storeCompanyInfo(f, sample(QStringLiteral("甲")));
        QCOMPARE(column(QStringLiteral("select CoName from t_SoftInfo order by id")),
                 (QStringList{QStringLiteral("甲公司"), QStringLiteral("第二行")}));
        // The version is not the company's: it stays.
        QCOMPARE(column(QStringLiteral("select Version from t_SoftInfo order by id")),
                 (QStringList{QStringLiteral("1.0"), QStringLiteral("2.0")}));
    }

    void detailsChangedElsewhereAreNotOverwritten_data() { zu::test::addEngineRows(); }
    void detailsChangedElsewhereAreNotOverwritten()
    {
        ZU_TEST_DATABASE(db);
        Query& f = db.dataModule().F();
        CompanyInfoRow row;
        CompanyInfo mine = readCompanyInfo(f, &row); // the dialog shows the details
        mine.coName = QStringLiteral("我的公司");
        db.otherExec(QStringLiteral("update t_SoftInfo set CoName = '别人的公司'"));
        try {
            storeCompanyInfo(f, mine, &row);
            QFAIL("stored over details changed elsewhere");
        } catch (const DbError& e) {
            QCOMPARE(e.failure(), DbFailure::ChangedElsewhere);
            QVERIFY(e.text().contains(QStringLiteral("没有保存")));
        }
        QCOMPARE(readCompanyInfo(f).coName, QStringLiteral("别人的公司"));
        // Read again, they are stored, and a second save from the same reading is refused.
        CompanyInfo fresh = readCompanyInfo(f, &row);
        fresh.coName = QStringLiteral("我的公司");
        storeCompanyInfo(f, fresh, &row);
        QCOMPARE(readCompanyInfo(f).coName, QStringLiteral("我的公司"));
        QVERIFY_THROWS_EXCEPTION(DbError, storeCompanyInfo(f, fresh, &row));

        // The row deleted, or added, elsewhere.
        const CompanyInfo gone = readCompanyInfo(f, &row);
        db.otherExec(QStringLiteral("delete from t_SoftInfo"));
        QVERIFY_THROWS_EXCEPTION(DbError, storeCompanyInfo(f, gone, &row));
        QCOMPARE(count(QStringLiteral("select count(*) from t_SoftInfo")), 0);
        const CompanyInfo none = readCompanyInfo(f, &row);
        QVERIFY(!row.key.isValid());
        db.otherExec(QStringLiteral("insert into t_SoftInfo (Version, CoName) values ('1.0', '别人的公司')"));
        QVERIFY_THROWS_EXCEPTION(DbError, storeCompanyInfo(f, none, &row));
        QCOMPARE(count(QStringLiteral("select count(*) from t_SoftInfo")), 1);
    }
};

QTEST_GUILESS_MAIN(TestSoftInfo)
#include "tst_softinfo.moc"
