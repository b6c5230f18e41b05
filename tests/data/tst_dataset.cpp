#include "data/dataset.h"
#include "support/testdatabase.h"

#include <QAbstractItemModelTester>
#include <QIdentityProxyModel>
#include <QSignalSpy>
#include <QtTest>

using namespace zu;

namespace {

void addCustomers(DataSet& c, int count, const QString& prefix = QStringLiteral("客户"))
{
    TransactionGuard tx(c.connection());
    for (int i = 0; i < count; ++i) {
        c.append();
        c.setField(QStringLiteral("CustName"),
                   QStringLiteral("%1%2").arg(prefix).arg(i, 4, 10, QLatin1Char('0')));
        c.setField(QStringLiteral("IDCode"), QStringLiteral("%1-%2").arg(prefix).arg(i));
        c.setField(QStringLiteral("Number"), i);
        c.setField(QStringLiteral("Price"), i + 0.5);
        c.post();
    }
    tx.commit();
}

void addService(DataSet& s, const QString& custCode, const QString& remark)
{
    s.append();
    s.setField(QStringLiteral("CustCode"), custCode);
    s.setField(QStringLiteral("Remark"), remark);
    s.post();
}

} // namespace

class TestDataSet final : public QObject
{
    Q_OBJECT
private slots:
    void modelIsConsistentThroughEdits_data() { zu::test::addEngineRows(); }
    void modelIsConsistentThroughEdits()
    {
        ZU_TEST_DATABASE(db);
        DataSet& c = db.dataModule().qryCustom();
        QAbstractItemModelTester tester(&c, QAbstractItemModelTester::FailureReportingMode::QtTest);
        c.open();
        QVERIFY(c.isEmpty());
        QCOMPARE(c.currentRow(), -1);
        QVERIFY(c.eof());
        addCustomers(c, 3);
        QCOMPARE(c.rowCount(), 3);
        // The 40 columns of a customer, its row version, quick find's initials and text, and the
        // duplicate check's digits of the numbers and compared name.
        QCOMPARE(c.columnCount(), 46);
        c.setCurrentRow(1);
        c.deleteCurrent();
        QCOMPARE(c.rowCount(), 2);
        c.refresh();
        c.close();
        QCOMPARE(c.rowCount(), 0);
    }

    void walkingLikeACursor_data() { zu::test::addEngineRows(); }
    void walkingLikeACursor()
    {
        ZU_TEST_DATABASE(db);
        DataSet& c = db.dataModule().qryCustom();
        c.open();
        addCustomers(c, 5);
        c.open(QString(), {}, QStringLiteral("CustName desc"));
        QStringList seen;
        for (c.first(); !c.eof(); c.next())
            seen << c.fieldText(QStringLiteral("custname"));
        QCOMPARE(seen.size(), 5);
        QCOMPARE(seen.first(), QStringLiteral("客户0004"));
        QCOMPARE(c.currentRow(), 4); // end of data keeps the last row current
        QCOMPARE(c.field(QStringLiteral("Number")).toInt(), 0);
        QCOMPARE(c.field(c.fieldIndex(QStringLiteral("Price"))).toDouble(), 0.5);
        QVERIFY_THROWS_EXCEPTION(DbError, c.field(QStringLiteral("NoSuchField")));
        QVERIFY(c.locate(QStringLiteral("IDCode"), QStringLiteral("客户-2")));
        QCOMPARE(c.fieldText(QStringLiteral("CustName")), QStringLiteral("客户0002"));
        QVERIFY(!c.locate(QStringLiteral("IDCode"), QStringLiteral("nobody")));
        // A closed list has nothing more to walk.
        QVERIFY(!c.eof());
        c.close();
        QVERIFY(c.eof());
        QCOMPARE(c.currentRow(), -1);
    }

    // The current record read again: the list shows what is stored now, and tells its views of
    // every column of the rows read with it; a record deleted meanwhile leaves the list.
    void currentRecordReadAgain_data() { zu::test::addEngineRows(); }
    void currentRecordReadAgain()
    {
        ZU_TEST_DATABASE(db);
        DataSet& c = db.dataModule().qryCustom();
        QAbstractItemModelTester tester(&c, QAbstractItemModelTester::FailureReportingMode::QtTest);
        c.open();
        addCustomers(c, 3);
        c.refresh();
        QVERIFY(c.locate(QStringLiteral("IDCode"), QStringLiteral("客户-1")));
        const int at = c.currentRow();
        Query q(db.dataModule().conn());
        q.exec(QStringLiteral("update T_Cust set CustName = ? where IDCode = ?"),
               {QStringLiteral("改过的名字"), QStringLiteral("客户-1")});
        QSignalSpy changed(&c, &QAbstractItemModel::dataChanged);
        c.reloadCurrentRow();
        QCOMPARE(c.fieldText(QStringLiteral("CustName")), QStringLiteral("改过的名字"));
        QCOMPARE(c.data(c.index(at, c.fieldIndex(QStringLiteral("CustName")))).toString(),
                 QStringLiteral("改过的名字"));
        QCOMPARE(changed.size(), 1);
        const auto topLeft = changed.first().at(0).value<QModelIndex>();
        const auto bottomRight = changed.first().at(1).value<QModelIndex>();
        QCOMPARE(topLeft.column(), 0);
        QCOMPARE(bottomRight.column(), c.columnCount() - 1);
        QVERIFY(topLeft.row() <= at && at <= bottomRight.row());
        QCOMPARE(bottomRight.row(), c.recordCount() - 1);

        q.exec(QStringLiteral("delete from T_Cust where IDCode = ?"), {QStringLiteral("客户-1")});
        c.reloadCurrentRow();
        QCOMPARE(c.recordCount(), 2);
        QVERIFY(!c.locate(QStringLiteral("IDCode"), QStringLiteral("客户-1")));
    }

    // A view without titles of its own shows the field names over the columns and the rows
    // counted from 1 beside them.
    void headersNameFieldsAndCountRows_data() { zu::test::addEngineRows(); }
    void headersNameFieldsAndCountRows()
    {
        ZU_TEST_DATABASE(db);
        DataSet& c = db.dataModule().qryCustom();
        c.open();
        addCustomers(c, 2);
        const int name = c.fieldIndex(QStringLiteral("CustName"));
        QCOMPARE(c.headerData(name, Qt::Horizontal).toString().toLower(), QStringLiteral("custname"));
        QCOMPARE(c.headerData(0, Qt::Vertical).toInt(), 1);
        QCOMPARE(c.headerData(1, Qt::Vertical).toInt(), 2);
    }

    // A statement's rows read to the end; closed, it has no row left to read.
    void statementReadToItsEndAndClosed_data() { zu::test::addEngineRows(); }
    void statementReadToItsEndAndClosed()
    {
        ZU_TEST_DATABASE(db);
        DataSet& c = db.dataModule().qryCustom();
        c.open();
        addCustomers(c, 2);
        Query q(db.dataModule().conn());
        q.open(QStringLiteral("select IDCode from T_Cust order by IDCode"));
        QStringList codes;
        for (; !q.eof(); q.next())
            codes << q.value(0).toString();
        QCOMPARE(codes, (QStringList{QStringLiteral("客户-0"), QStringLiteral("客户-1")}));
        q.open(QStringLiteral("select IDCode from T_Cust order by IDCode"));
        QVERIFY(!q.eof() && !q.isEmpty());
        q.close();
        QVERIFY(!q.isOpen());
        QVERIFY(q.eof());
        QVERIFY(!q.isEmpty()); // not open: neither rows nor an empty result
        q.open(QStringLiteral("select IDCode from T_Cust where IDCode = ?"), {QStringLiteral("无人")});
        QVERIFY(q.eof() && q.isEmpty());
    }

    void fieldsByPositionStopAtBothEnds_data() { zu::test::addEngineRows(); }
    void fieldsByPositionStopAtBothEnds()
    {
        // Positions come from layouts saved by older versions, so any number can arrive here.
        ZU_TEST_DATABASE(db);
        DataSet& c = db.dataModule().qryCustom();
        c.open();
        const int number = c.fieldIndex(QStringLiteral("Number"));
        const int price = c.fieldIndex(QStringLiteral("Price"));
        QCOMPARE(c.fieldType(number), ColumnType::Integer);
        QCOMPARE(c.fieldType(price), ColumnType::Float);
        QCOMPARE(c.fieldName(0).isEmpty(), false);
        QCOMPARE(c.fieldName(c.fieldCount() - 1).isEmpty(), false);
        QCOMPARE(c.fieldType(c.fieldIndex(QStringLiteral("CustName"))), ColumnType::Text);
        for (const int outside : {-1, c.fieldCount(), c.fieldCount() + 1000, -1000}) {
            QCOMPARE(c.fieldName(outside), QString());
            QCOMPARE(c.fieldType(outside), ColumnType::Text);
        }
    }

    void appendEditPostCancel_data() { zu::test::addEngineRows(); }
    void appendEditPostCancel()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        DataSet& c = d.qryCustom();
        c.open();
        QSignalSpy inserted(&c, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&c, &QAbstractItemModel::dataChanged);

        c.append();
        QCOMPARE(c.state(), DataSet::State::Insert);
        c.setField(QStringLiteral("CustName"), QStringLiteral("李四"));
        c.setField(QStringLiteral("EmptionDate"), QDate(2024, 3, 5));
        c.setField(QStringLiteral("Money"), 99.9);
        c.post();
        QCOMPARE(c.state(), DataSet::State::Browse);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(c.recordCount(), 1);
        QVERIFY(c.currentKey().toLongLong() > 0);
        QCOMPARE(c.field(QStringLiteral("EmptionDate")).toDateTime(), QDate(2024, 3, 5).startOfDay());
        // The model gives the stored value; the grids turn it into text.
        QCOMPARE(c.data(c.index(0, c.fieldIndex(QStringLiteral("EmptionDate")))),
                 QVariant(QDate(2024, 3, 5).startOfDay()));
        QCOMPARE(c.field(QStringLiteral("Money")).toDouble(), 99.9);

        c.edit();
        c.setField(QStringLiteral("CustName"), QStringLiteral("李四改"));
        QCOMPARE(c.data(c.index(0, c.fieldIndex(QStringLiteral("CustName")))).toString(),
                 QStringLiteral("李四改"));
        c.cancel();
        QCOMPARE(c.fieldText(QStringLiteral("CustName")), QStringLiteral("李四"));

        c.edit();
        c.setField(QStringLiteral("CustName"), QStringLiteral("李四改"));
        c.post();
        QVERIFY(changed.count() >= 1);
        Query q(d.conn());
        q.open(QStringLiteral("select CustName from T_Cust"));
        QCOMPARE(q.value(0).toString(), QStringLiteral("李四改"));

        // Unchanged fields are left alone; a post without changes writes nothing.
        c.edit();
        c.post();
        q.open(QStringLiteral("select count(*) from T_Cust where Money = ?"), {99.9});
        QCOMPARE(q.value(0).toInt(), 1);

        // Editing a data set without rows starts a new row.
        DataSet& s = d.qryservice();
        s.open();
        s.edit();
        QCOMPARE(s.state(), DataSet::State::Insert);
        s.setField(QStringLiteral("CustName"), QStringLiteral("x"));
        s.post();
        QCOMPARE(s.recordCount(), 1);
    }

    void failedPostKeepsTheEdit_data() { zu::test::addEngineRows(); }
    void failedPostKeepsTheEdit()
    {
        ZU_TEST_DATABASE(db);
        DataSet& c = db.dataModule().qryCustom();
        c.open();
        addCustomers(c, 1, QStringLiteral("A"));
        c.append();
        c.setField(QStringLiteral("CustName"), QStringLiteral("dup"));
        c.setField(QStringLiteral("IDCode"), QStringLiteral("A-0")); // codes are unique
        QVERIFY_THROWS_EXCEPTION(DbError, c.post());
        QCOMPARE(c.state(), DataSet::State::Insert);
        QCOMPARE(c.fieldText(QStringLiteral("CustName")), QStringLiteral("dup"));
        c.setField(QStringLiteral("IDCode"), QStringLiteral("A-1"));
        c.post();
        QCOMPARE(c.recordCount(), 2);

        // Empty codes do not clash with each other.
        for (int i = 0; i < 2; ++i) {
            c.append();
            c.setField(QStringLiteral("CustName"), QStringLiteral("no code %1").arg(i));
            c.setField(QStringLiteral("IDCode"), QString());
            c.post();
        }
        QCOMPARE(c.recordCount(), 4);
    }

    void deleteKeepsAPlaceInTheList_data() { zu::test::addEngineRows(); }
    void deleteKeepsAPlaceInTheList()
    {
        ZU_TEST_DATABASE(db);
        DataSet& c = db.dataModule().qryCustom();
        c.open();
        addCustomers(c, 3);
        c.setCurrentRow(2);
        c.deleteCurrent();
        QCOMPARE(c.currentRow(), 1);
        QCOMPARE(c.fieldText(QStringLiteral("CustName")), QStringLiteral("客户0001"));
        c.first();
        c.deleteCurrent();
        QCOMPARE(c.fieldText(QStringLiteral("CustName")), QStringLiteral("客户0001"));
        c.deleteCurrent();
        QVERIFY(c.isEmpty());
        QCOMPARE(c.currentRow(), -1);
        c.deleteCurrent(); // nothing to delete
        Query q(c.connection());
        q.open(QStringLiteral("select count(*) from T_Cust"));
        QCOMPARE(q.value(0).toInt(), 0);
    }

    void rowsBeyondOnePageReadCorrectly_data() { zu::test::addEngineRows(); }
    void rowsBeyondOnePageReadCorrectly()
    {
        ZU_TEST_DATABASE(db);
        DataSet& c = db.dataModule().qryCustom();
        c.open();
        const int n = DataSet::kPageSize * 3 + 7;
        addCustomers(c, n);
        c.open(QString(), {}, QStringLiteral("Number desc"));
        QCOMPARE(c.recordCount(), n);
        const int number = c.fieldIndex(QStringLiteral("Number"));
        for (int r : {0, 1, DataSet::kPageSize - 1, DataSet::kPageSize, 2 * DataSet::kPageSize + 5, n - 1})
            QCOMPARE(c.value(r, number).toInt(), n - 1 - r);
        // Rows before the first and after the last have no values.
        for (int r : {-1, n})
            QVERIFY(!c.value(r, number).isValid());
        // Deleting in the middle shifts the rows after it.
        c.setCurrentRow(DataSet::kPageSize);
        c.deleteCurrent();
        QCOMPARE(c.value(DataSet::kPageSize, number).toInt(), n - 2 - DataSet::kPageSize);
        QCOMPARE(c.value(c.recordCount() - 1, number).toInt(), 0);
    }

    void refreshKeepsTheCurrentRecord_data() { zu::test::addEngineRows(); }
    void refreshKeepsTheCurrentRecord()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        DataSet& c = d.qryCustom();
        c.open(QString(), {}, QStringLiteral("CustName"));
        addCustomers(c, 4);
        c.locate(QStringLiteral("CustName"), QStringLiteral("客户0002"));
        Query q(d.conn());
        q.exec(QStringLiteral("update T_Cust set CustName = ? where CustName = ?"),
               {QStringLiteral("甲"), QStringLiteral("客户0000")});
        c.refresh();
        QCOMPARE(c.fieldText(QStringLiteral("CustName")), QStringLiteral("客户0002"));
        QCOMPARE(c.value(c.recordCount() - 1, c.fieldIndex(QStringLiteral("CustName"))).toString(),
                 QStringLiteral("甲"));
    }

    void detailsFollowTheCurrentCustomer_data() { zu::test::addEngineRows(); }
    void detailsFollowTheCurrentCustomer()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        DataSet& c = d.qryCustom();
        c.open();
        addCustomers(c, 2);
        DataSet& all = d.qryservice();
        all.open();
        addService(all, QStringLiteral("客户-0"), QStringLiteral("a"));
        addService(all, QStringLiteral("客户-0"), QStringLiteral("b"));
        addService(all, QStringLiteral("客户-1"), QStringLiteral("c"));

        c.first();
        DataSet& s = d.qryServiceCust();
        QVERIFY(s.isOpen());
        QCOMPARE(s.recordCount(), 2);
        QCOMPARE(d.qryCallCust().recordCount(), 0);
        QVERIFY(d.qryComplainCust().isOpen());
        c.next();
        QCOMPARE(s.recordCount(), 1);
        QCOMPARE(s.fieldText(QStringLiteral("Remark")), QStringLiteral("c"));

        // A row added through the detail list belongs to the current customer.
        s.append();
        s.setField(QStringLiteral("CustCode"), c.field(QStringLiteral("IDCode")));
        s.post();
        QCOMPARE(s.recordCount(), 2);
        c.first();
        QCOMPARE(s.recordCount(), 2);

        // A customer without a code has no details, though records naming no customer exist.
        addService(all, QString(QLatin1String("")), QStringLiteral("无主"));
        c.append();
        c.setField(QStringLiteral("CustName"), QStringLiteral("无编码"));
        c.setField(QStringLiteral("IDCode"), QString(QLatin1String("")));
        c.post();
        QCOMPARE(c.fieldText(QStringLiteral("CustName")), QStringLiteral("无编码"));
        QVERIFY(s.isOpen());
        QCOMPARE(s.recordCount(), 0);
        c.close();
        QVERIFY(!s.isOpen());
    }

    // The key and the row version are the database's to give: values set for them are ignored.
    void keyAndVersionAreNotSet_data() { zu::test::addEngineRows(); }
    void keyAndVersionAreNotSet()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        DataSet& c = d.qryCustom();
        c.open();
        c.append();
        c.setField(QStringLiteral("CusttityID"), 424242);
        c.setField(QString::fromLatin1(kRowVersionColumn), 4242);
        QVERIFY(c.field(QStringLiteral("CusttityID")).isNull());
        c.setField(QStringLiteral("CustName"), QStringLiteral("甲"));
        c.post();
        const qint64 id = c.currentKey().toLongLong();
        QVERIFY(id > 0 && id != 424242);
        Query q(d.conn());
        q.open(QStringLiteral("select CusttityID, RowVersion from T_Cust"));
        QCOMPARE(q.value(0).toLongLong(), id);
        QVERIFY(q.value(1).toLongLong() != 4242);
        // Found by a whole number as by a text.
        c.append();
        c.setField(QStringLiteral("CustName"), QStringLiteral("乙"));
        c.post();
        QVERIFY(c.locate(QStringLiteral("CusttityID"), id));
        QCOMPARE(c.fieldText(QStringLiteral("CustName")), QStringLiteral("甲"));
        QVERIFY(!c.locate(QStringLiteral("CusttityID"), id + 1000));
        QCOMPARE(c.fieldText(QStringLiteral("CustName")), QStringLiteral("甲"));
    }

    void viewsOfOneDataSetShareItsRows()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        DataSet& c = db.dataModule().qryCustom();
        c.open();
        // Two views of the same rows, as two grids would have.
        QIdentityProxyModel a, b;
        a.setSourceModel(&c);
        b.setSourceModel(&c);
        addCustomers(c, 2);
        QCOMPARE(a.rowCount(), 2);
        QCOMPARE(b.rowCount(), 2);
        QSignalSpy moved(&c, &DataSet::currentRowChanged);
        c.setCurrentRow(0);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.first().first().toInt(), 0);
        c.edit();
        c.setField(QStringLiteral("CustName"), QStringLiteral("changed"));
        c.post();
        QCOMPARE(b.data(b.index(0, c.fieldIndex(QStringLiteral("CustName")))).toString(),
                 QStringLiteral("changed"));
    }

    void movingAwayPostsPendingEdit()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        DataSet& c = db.dataModule().qryCustom();
        c.open();
        addCustomers(c, 2);
        c.first();
        c.edit();
        c.setField(QStringLiteral("CustName"), QStringLiteral("kept"));
        c.next();
        QCOMPARE(c.state(), DataSet::State::Browse);
        QCOMPARE(c.value(0, c.fieldIndex(QStringLiteral("CustName"))).toString(), QStringLiteral("kept"));
    }

    void closedDataSetRefusesEdits()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        DataSet& c = db.dataModule().qryCustom();
        QVERIFY_THROWS_EXCEPTION(DbError, c.append());
        QVERIFY_THROWS_EXCEPTION(DbError, c.setField(QStringLiteral("CustName"), 1));
        QVERIFY_THROWS_EXCEPTION(DbError, c.open(QStringLiteral("no_such_column = 1")));
        QVERIFY(!c.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_dataset.moc"
