#include "data/dataset.h"
#include "data/schemainstaller.h"
#include "data/writerecord.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <QSignalSpy>
#include <QtTest>

using namespace zu;
using zu::test::failureOf;
using zu::test::TestDatabase;

namespace {

// A table whose rows the program changes through a shared list, and the list it uses.
struct ListedTable
{
    QString table;
    QString key;
    QString text; // a text column the test changes
    DataSet& (TfrmData::*list)();
    QVariantMap required; // what a row needs so that the list shows it
};

const QList<ListedTable>& listedTables()
{
    static const QList<ListedTable> tables{
        {QStringLiteral("T_Cust"),
         QStringLiteral("CusttityID"),
         QStringLiteral("Address"),
         &TfrmData::qryCustom,
         {{QStringLiteral("CustName"), QStringLiteral("张三")},
          {QStringLiteral("IDCode"), QStringLiteral("K1")}}},
        {QStringLiteral("T_service"),
         QStringLiteral("id"),
         QStringLiteral("Remark"),
         &TfrmData::qryservice,
         {{QStringLiteral("CustCode"), QStringLiteral("K1")}}},
        {QStringLiteral("T_call"),
         QStringLiteral("id"),
         QStringLiteral("callRemark"),
         &TfrmData::qryCall,
         {{QStringLiteral("CustCode"), QStringLiteral("K1")}}},
        {QStringLiteral("T_complain"),
         QStringLiteral("id"),
         QStringLiteral("complainRemark"),
         &TfrmData::qryComplain,
         {{QStringLiteral("CustCode"), QStringLiteral("K1")}}},
        {QStringLiteral("T_type"),
         QStringLiteral("id"),
         QStringLiteral("caption"),
         &TfrmData::qryCombo,
         {{QStringLiteral("[table]"), QStringLiteral("型号")}}},
        {QStringLiteral("T_user"),
         QStringLiteral("id"),
         QStringLiteral("Remark"),
         &TfrmData::qryUser,
         {{QStringLiteral("UserName"), QStringLiteral("李四")},
          {QStringLiteral("type"), QStringLiteral("用户")}}},
    };
    return tables;
}

void addTableRows()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<int>("table");
    for (const char* engine : {"sqlite", "postgres"})
        for (int i = 0; i < listedTables().size(); ++i)
            QTest::addRow("%s %s", engine, qPrintable(listedTables()[i].table))
                << QString::fromLatin1(engine) << i;
}

// One row of the table, read through its list; the list is on that row.
struct Prepared
{
    const ListedTable& t;
    DataSet& list;
    QVariant key;
};

Prepared prepare(TfrmData& d, int index)
{
    const ListedTable& t = listedTables()[index];
    QVariantMap row = t.required;
    row.insert(t.text, QStringLiteral("原来的"));
    // The [table] column of T_type is a keyword on both engines.
    if (row.contains(QStringLiteral("[table]")))
        row.insert(d.dialect().quote(QStringLiteral("table")), row.take(QStringLiteral("[table]")));
    zu::test::insertRow(t.table, row);
    DataSet& list = (d.*t.list)();
    list.open();
    list.last();
    return {t, list, list.currentKey()};
}

QString stored(TestDatabase& db, const Prepared& p)
{
    return db
        .otherValue(QStringLiteral("select %1 from %2 where %3 = ?").arg(p.t.text, p.t.table, p.t.key),
                    {p.key})
        .toString();
}

qint64 storedVersion(TestDatabase& db, const Prepared& p)
{
    return db
        .otherValue(QStringLiteral("select RowVersion from %1 where %2 = ?").arg(p.t.table, p.t.key), {p.key})
        .toLongLong();
}

} // namespace

class TestConcurrency final : public QObject
{
    Q_OBJECT
private slots:
    void unchangedRowIsSavedAndCountedUp_data() { addTableRows(); }
    void unchangedRowIsSavedAndCountedUp()
    {
        ZU_TEST_DATABASE(db);
        QFETCH(int, table);
        const Prepared p = prepare(db.dataModule(), table);
        const qint64 before = storedVersion(db, p);
        const RowStamp seen = p.list.stamp();
        writeRecord(p.list, {{p.t.text, QStringLiteral("我改的")}}, false, seen);
        QCOMPARE(stored(db, p), QStringLiteral("我改的"));
        QCOMPARE(storedVersion(db, p), before + 1);
        // The list holds the new version: the next change from it is accepted too.
        writeRecord(p.list, {{p.t.text, QStringLiteral("又改了")}}, false, p.list.stamp());
        QCOMPARE(stored(db, p), QStringLiteral("又改了"));
        QCOMPARE(storedVersion(db, p), before + 2);
    }

    void rowChangedElsewhereIsNotOverwritten_data() { addTableRows(); }
    void rowChangedElsewhereIsNotOverwritten()
    {
        ZU_TEST_DATABASE(db);
        QFETCH(int, table);
        const Prepared p = prepare(db.dataModule(), table);
        const RowStamp seen = p.list.stamp(); // the editor shows the row
        QCOMPARE(db.otherExec(
                     QStringLiteral("update %1 set %2 = ? where %3 = ?").arg(p.t.table, p.t.text, p.t.key),
                     {QStringLiteral("别人改的"), p.key}),
                 1);
        const DbError e = failureOf([&] {
            writeRecord(p.list, {{p.t.text, QStringLiteral("我改的")}}, false, seen);
        });
        QCOMPARE(e.failure(), DbFailure::ChangedElsewhere);
        QVERIFY2(e.text().contains(QStringLiteral("已被其他用户修改")), qPrintable(e.text()));
        QVERIFY(e.text().contains(QStringLiteral("没有保存")));
        QCOMPARE(stored(db, p), QStringLiteral("别人改的"));
        // The list shows the stored row and is ready for the next command.
        QCOMPARE(p.list.currentKey(), p.key);
        QCOMPARE(p.list.fieldText(p.t.text), QStringLiteral("别人改的"));
        QCOMPARE(p.list.state(), DataSet::State::Browse);
        // The editor's old stamp stays refused; what the list shows now is accepted.
        QCOMPARE(failureOf([&] {
                     writeRecord(p.list, {{p.t.text, QStringLiteral("再试")}}, false, seen);
                 }).failure(),
                 DbFailure::ChangedElsewhere);
        writeRecord(p.list, {{p.t.text, QStringLiteral("看过以后改的")}}, false, p.list.stamp());
        QCOMPARE(stored(db, p), QStringLiteral("看过以后改的"));
    }

    void rowDeletedElsewhereIsNotWritten_data() { addTableRows(); }
    void rowDeletedElsewhereIsNotWritten()
    {
        ZU_TEST_DATABASE(db);
        QFETCH(int, table);
        const Prepared p = prepare(db.dataModule(), table);
        const int rows = p.list.recordCount();
        const RowStamp seen = p.list.stamp();
        QCOMPARE(db.otherExec(QStringLiteral("delete from %1 where %2 = ?").arg(p.t.table, p.t.key), {p.key}),
                 1);
        const DbError e = failureOf([&] {
            writeRecord(p.list, {{p.t.text, QStringLiteral("我改的")}}, false, seen);
        });
        QCOMPARE(e.failure(), DbFailure::DeletedElsewhere);
        QVERIFY2(e.text().contains(QStringLiteral("已被其他用户删除")), qPrintable(e.text()));
        QCOMPARE(
            db.otherValue(QStringLiteral("select count(*) from %1 where %2 = ?").arg(p.t.table, p.t.text),
                          {QStringLiteral("我改的")})
                .toInt(),
            0);
        QCOMPARE(p.list.recordCount(), rows - 1);
        QVERIFY(!p.list.locateKey(p.key));
    }

    void deleteOfARowChangedElsewhereIsRefused_data() { addTableRows(); }
    void deleteOfARowChangedElsewhereIsRefused()
    {
        ZU_TEST_DATABASE(db);
        QFETCH(int, table);
        const Prepared p = prepare(db.dataModule(), table);
        const QString count = QStringLiteral("select count(*) from %1 where %2 = ?").arg(p.t.table, p.t.key);
        (void)p.list.fieldText(p.t.text); // the list shows the row
        db.otherExec(QStringLiteral("update %1 set %2 = ? where %3 = ?").arg(p.t.table, p.t.text, p.t.key),
                     {QStringLiteral("别人改的"), p.key});
        const DbError e = failureOf([&] { p.list.deleteCurrent(); });
        QCOMPARE(e.failure(), DbFailure::ChangedElsewhere);
        QVERIFY2(e.text().contains(QStringLiteral("没有删除")), qPrintable(e.text()));
        QCOMPARE(db.otherValue(count, {p.key}).toInt(), 1);
        QCOMPARE(p.list.currentKey(), p.key);
        QCOMPARE(p.list.fieldText(p.t.text), QStringLiteral("别人改的"));
        // Confirmed on what the list shows now, it goes.
        p.list.deleteCurrent();
        QCOMPARE(db.otherValue(count, {p.key}).toInt(), 0);
    }

    void deleteOfARowDeletedElsewhereSaysSo_data() { addTableRows(); }
    void deleteOfARowDeletedElsewhereSaysSo()
    {
        ZU_TEST_DATABASE(db);
        QFETCH(int, table);
        const Prepared p = prepare(db.dataModule(), table);
        const int rows = p.list.recordCount();
        (void)p.list.fieldText(p.t.text);
        db.otherExec(QStringLiteral("delete from %1 where %2 = ?").arg(p.t.table, p.t.key), {p.key});
        const DbError e = failureOf([&] { p.list.deleteCurrent(); });
        QCOMPARE(e.failure(), DbFailure::DeletedElsewhere);
        QCOMPARE(e.text(), QStringLiteral("这条记录已被其他用户删除。"));
        QCOMPARE(p.list.recordCount(), rows - 1);
    }

    void everyWriterCountsTheVersionUp_data() { zu::test::addEngineRows(); }
    void everyWriterCountsTheVersionUp()
    {
        ZU_TEST_DATABASE(db);
        // A plain statement from any program is counted as well: the database keeps the count.
        for (const QString& table : SchemaInstaller::versionedTables()) {
            const QString key =
                table == QLatin1String("T_Cust") ? QStringLiteral("CusttityID") : QStringLiteral("id");
            db.otherExec(QStringLiteral("insert into %1 default values").arg(table));
            const QVariant newest = db.otherValue(QStringLiteral("select max(%1) from %2").arg(key, table));
            const QString version = QStringLiteral("select RowVersion from %1 where %2 = ?").arg(table, key);
            QCOMPARE(db.otherValue(version, {newest}).toInt(), 1);
            db.otherExec(QStringLiteral("update %1 set RowVersion = RowVersion where %2 = ?").arg(table, key),
                         {newest});
            QCOMPARE(db.otherValue(version, {newest}).toInt(), 2);
            // A statement that changes no row counts nothing.
            QCOMPARE(
                db.otherExec(
                    QStringLiteral("update %1 set RowVersion = RowVersion where %2 = -1").arg(table, key)),
                0);
            QVERIFY2(db.otherValue(version, {newest}).toInt() == 2, qPrintable(table));
        }
    }

    void otherListsOfTheTableAreReadAgain_data() { zu::test::addEngineRows(); }
    void otherListsOfTheTableAreReadAgain()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("K1"));
        zu::test::addJournal(QStringLiteral("T_service"), QStringLiteral("K1"), QStringLiteral("张三"),
                             {{QStringLiteral("serviceMoney"), 60}});
        d.qryCustom().open();
        DataSet& tab = d.qryServiceCust(); // the customer window's service tab
        QCOMPARE(tab.recordCount(), 1);
        QCOMPARE(tab.field(QStringLiteral("serviceMoney")).toDouble(), 60.0);
        DataSet& list = d.qryservice(); // the service list window
        list.open();
        QSignalSpy told(&d, &TfrmData::tableChanged);
        writeRecord(list, {{QStringLiteral("serviceMoney"), 99}}, false, list.stamp());
        QCOMPARE(told.size(), 1);
        QCOMPARE(told.first().first().toString().toLower(), QStringLiteral("t_service"));
        QCOMPARE(tab.field(QStringLiteral("serviceMoney")).toDouble(), 99.0);
        // So an edit from the tab starts from 99 and keeps it.
        writeRecord(tab, {{QStringLiteral("Remark"), QStringLiteral("只改备注")}}, false, tab.stamp());
        QCOMPARE(db.otherValue(QStringLiteral("select serviceMoney from T_service")).toDouble(), 99.0);
        QCOMPARE(list.fieldText(QStringLiteral("Remark")), QStringLiteral("只改备注"));

        // Inside a transaction the lists hear of it at the commit, and after a rollback every
        // list, the writing one too, shows what is stored.
        told.clear();
        {
            TransactionGuard tx(d.conn());
            list.append();
            list.setField(QStringLiteral("CustCode"), QStringLiteral("K1"));
            list.post();
            QCOMPARE(told.size(), 0);
            QCOMPARE(list.recordCount(), 2);
        }
        QCOMPARE(told.size(), 1);
        QCOMPARE(list.recordCount(), 1);
        QCOMPARE(tab.recordCount(), 1);
    }

    // A list's own save refreshes the other lists of its table that are open and browsing; the
    // saving list, one being edited and those of other tables are left as they are.
    void savedChangesRefreshTheOtherBrowsingLists_data() { zu::test::addEngineRows(); }
    void savedChangesRefreshTheOtherBrowsingLists()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("K1"));
        zu::test::addCustomer(QStringLiteral("李四"), QStringLiteral("K2"));
        DataSet& saving = d.qryCustom();
        DataSet& browsing = d.qryRemind();
        DataSet& editing = d.qryselect();
        DataSet& services = d.qryservice();
        for (DataSet* list : {&saving, &browsing, &editing, &services})
            list->open();
        editing.edit();
        editing.setField(QStringLiteral("Remark"), QStringLiteral("正在改"));
        // Rows written where no list hears of it.
        QSqlQuery raw(d.conn().database());
        QVERIFY(raw.exec(QStringLiteral("insert into T_Cust (CustName, IDCode) values ('王五', 'K3')")));
        QVERIFY(raw.exec(QStringLiteral("insert into T_service (CustCode) values ('K3')")));
        QCOMPARE(services.recordCount(), 0);

        QVERIFY(saving.locate(QStringLiteral("IDCode"), QStringLiteral("K2")));
        saving.edit();
        saving.setField(QStringLiteral("Remark"), QStringLiteral("已保存"));
        saving.post();
        QCOMPARE(browsing.recordCount(), 3); // read again
        QCOMPARE(saving.recordCount(), 2);   // not read again: it holds what it saved
        QCOMPARE(editing.state(), DataSet::State::Edit);
        QCOMPARE(editing.field(QStringLiteral("Remark")).toString(), QStringLiteral("正在改"));
        QCOMPARE(editing.recordCount(), 2);
        QCOMPARE(services.recordCount(), 0); // another table
        editing.cancel();

        // A deletion the same way: the deleting list only loses its row.
        QVERIFY(saving.locate(QStringLiteral("IDCode"), QStringLiteral("K1")));
        saving.deleteCurrent();
        QCOMPARE(saving.recordCount(), 1);
        QCOMPARE(saving.value(0, saving.fieldIndex(QStringLiteral("IDCode"))).toString(),
                 QStringLiteral("K2"));
        QCOMPARE(browsing.recordCount(), 2);
    }

    // A statement that changed rows tells its table; one that changed none tells nothing.
    void statementsTellTheTableTheyChanged_data() { zu::test::addEngineRows(); }
    void statementsTellTheTableTheyChanged()
    {
        ZU_TEST_DATABASE(db);
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("K1"));
        Connection& c = db.dataModule().conn();
        QSignalSpy told(&c.events(), &ConnectionEvents::tableChanged);
        Query q(c);
        QCOMPARE(q.exec(QStringLiteral("update T_Cust set Remark = ? where IDCode = ?"),
                        {QStringLiteral("无此人"), QStringLiteral("K9")}),
                 0);
        QCOMPARE(told.size(), 0);
        QCOMPARE(q.exec(QStringLiteral("update T_Cust set Remark = ? where IDCode = ?"),
                        {QStringLiteral("老客户"), QStringLiteral("K1")}),
                 1);
        QCOMPARE(told.size(), 1);
        QCOMPARE(told.first().first().toString().toLower(), QStringLiteral("t_cust"));
    }

    // A long import holds its notices back: each table is told once, when the outermost batch
    // ends; an end without a beginning neither tells nor stops the next batch from holding.
    void batchTellsEachTableOnceAtItsEnd_data() { zu::test::addEngineRows(); }
    void batchTellsEachTableOnceAtItsEnd()
    {
        ZU_TEST_DATABASE(db);
        Connection& c = db.dataModule().conn();
        QSignalSpy told(&c.events(), &ConnectionEvents::tableChanged);
        {
            ChangeBatch outer(c);
            c.noteWritten(QStringLiteral("T_Cust"));
            {
                ChangeBatch inner(c);
                c.noteWritten(QStringLiteral("t_cust"));
                c.noteWritten(QStringLiteral("T_service"));
            }
            QCOMPARE(told.size(), 0);
        }
        QCOMPARE(told.size(), 2);
        QCOMPARE(told.at(0).first().toString(), QStringLiteral("T_Cust"));
        QCOMPARE(told.at(1).first().toString(), QStringLiteral("T_service"));
        c.endBatch();
        QCOMPARE(told.size(), 2);
        {
            ChangeBatch next(c);
            c.noteWritten(QStringLiteral("T_Cust"));
            QCOMPARE(told.size(), 2);
        }
        QCOMPARE(told.size(), 3);
    }

    // Meanwhile the embedded engine keeps the copies that undo a single statement in memory, and
    // returns to its default storage when the outermost batch ends, whether or not it wrote.
    void batchKeepsStatementCopiesInMemoryUntilItsEnd()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        Connection& c = db.dataModule().conn();
        const auto tempStore = [&c] {
            Query q(c);
            q.open(QStringLiteral("pragma temp_store"));
            return q.value(0).toInt();
        };
        QCOMPARE(tempStore(), 0);
        {
            ChangeBatch outer(c);
            QCOMPARE(tempStore(), 2);
            {
                ChangeBatch inner(c);
                zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("K1"));
            }
            QCOMPARE(tempStore(), 2);
        }
        QCOMPARE(tempStore(), 0);
        c.endBatch();
        QCOMPARE(tempStore(), 0);
    }

    void failedCommitShowsNothingSaved_data() { zu::test::addEngineRows(); }
    void failedCommitShowsNothingSaved()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("K1"));
        DataSet& customers = d.qryCustom();
        customers.open();
        const RowStamp seen = customers.stamp();
        db.fillDisk(QStringLiteral("T_Cust"));
        const QString remark(20000, QLatin1Char('x')); // needs pages of its own
        DbError e = failureOf([&] {
            writeRecord(customers,
                        {{QStringLiteral("CustName"), QStringLiteral("李四")},
                         {QStringLiteral("IDCode"), QStringLiteral("K2")},
                         {QStringLiteral("Remark"), remark}},
                        true);
        });
        QCOMPARE(e.failure(), DbFailure::DiskFull);
        QVERIFY2(e.text().startsWith(QStringLiteral("磁盘空间已满，数据没有保存")), qPrintable(e.text()));
        // No row that appears and vanishes: the list and the footer count stay as they were.
        QCOMPARE(customers.recordCount(), 1);
        QCOMPARE(customers.state(), DataSet::State::Browse);
        QCOMPARE(db.otherValue(QStringLiteral("select count(*) from T_Cust")).toInt(), 1);

        // A change in a transaction that fails at its commit leaves the stored row.
        customers.first();
        e = failureOf([&] {
            TransactionGuard tx(d.conn());
            writeRecord(customers, {{QStringLiteral("Remark"), remark}}, false, seen);
            tx.commit();
        });
        QCOMPARE(e.failure(), DbFailure::DiskFull);
        customers.refresh();
        QCOMPARE(customers.fieldText(QStringLiteral("Remark")), QString());
        QCOMPARE(
            db.otherValue(QStringLiteral("select count(*) from T_Cust where Remark is not null")).toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(TestConcurrency)
#include "tst_concurrency.moc"
