#include "data/connection.h"
#include "data/dataset.h"
#include "data/numbertext.h"
#include "support/testdatabase.h"

#include <QtTest>

using namespace zu;

namespace {

// Appends a customer through the shared customer list and returns its key.
QVariant addCustomer(TfrmData& d, const QString& name, const QString& code, const QVariant& remind = {})
{
    DataSet& c = d.qryCustom();
    if (!c.isOpen())
        c.open();
    c.append();
    c.setField(QStringLiteral("CustName"), name);
    c.setField(QStringLiteral("IDCode"), code);
    if (remind.isValid())
        c.setField(QStringLiteral("remind"), remind);
    c.post();
    return c.currentKey();
}

QStringList names(DataSet& set)
{
    QStringList out;
    for (int r = 0; r < set.recordCount(); ++r)
        out << set.value(r, set.fieldIndex(QStringLiteral("CustName"))).toString();
    out.sort();
    return out;
}

} // namespace

class TestDialect final : public QObject
{
    Q_OBJECT
private slots:
    // What a number box takes as a number: empty is 0; separators, blanks and full-width forms
    // are allowed; no infinity, no other text; an integer has no fraction and fits 32 bits.
    void numbersTypedIntoNumberBoxes()
    {
        QCOMPARE(parseDecimalText(QString()), 0.0);
        QCOMPARE(parseDecimalText(QStringLiteral("  ")), 0.0);
        QCOMPARE(parseDecimalText(QStringLiteral("1,234.5")), 1234.5);
        QCOMPARE(parseDecimalText(QStringLiteral("－１２，３４５．５")), -12345.5);
        QCOMPARE(parseDecimalText(QStringLiteral(" 1 000 ")), 1000.0);
        QCOMPARE(parseDecimalText(QStringLiteral("1e308")), 1e308);
        for (const char* refused : {"1e309", "-1e309", "inf", "nan", "12元", "1.2.3", "--1"})
            QVERIFY2(!parseDecimalText(QString::fromUtf8(refused)), refused);
        QCOMPARE(parseIntegerText(QStringLiteral("2147483647")), 2147483647);
        QCOMPARE(parseIntegerText(QStringLiteral("-2147483647")), -2147483647);
        QCOMPARE(parseIntegerText(QString()), 0);
        for (const char* refused : {"2147483648", "-2147483648", "1.5", "1e309", "abc"})
            QVERIFY2(!parseIntegerText(QString::fromUtf8(refused)), refused);
    }

    void reminderRuleAtTheDayBoundaries_data() { zu::test::addEngineRows(); }
    void reminderRuleAtTheDayBoundaries()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        const QDate today(2026, 12, 9);
        addCustomer(d, QStringLiteral("today"), QStringLiteral("c1"), today.startOfDay());
        addCustomer(d, QStringLiteral("today+7"), QStringLiteral("c2"), today.addDays(7).startOfDay());
        addCustomer(d, QStringLiteral("today+8"), QStringLiteral("c3"), today.addDays(8).startOfDay());
        addCustomer(d, QStringLiteral("yesterday"), QStringLiteral("c4"), today.addDays(-1).startOfDay());
        addCustomer(d, QStringLiteral("today 23:59"), QStringLiteral("c5"), QDateTime(today, QTime(23, 59)));
        addCustomer(d, QStringLiteral("today+7 10:00"), QStringLiteral("c6"),
                    QDateTime(today.addDays(7), QTime(10, 0)));
        addCustomer(d, QStringLiteral("no date"), QStringLiteral("c7"));

        const DateRange rule = reminderWindow(QStringLiteral("remind"), today, 7);
        d.qryRemind().open(rule.condition, rule.bindValues);
        QCOMPARE(names(d.qryRemind()), (QStringList{QStringLiteral("today"), QStringLiteral("today 23:59"),
                                                    QStringLiteral("today+7")}));

        const DateRange none = reminderWindow(QStringLiteral("remind"), today, 0);
        d.qryRemind().open(none.condition, none.bindValues);
        QCOMPARE(names(d.qryRemind()), QStringList{QStringLiteral("today")});
    }

    void dateRangeIsInclusive_data() { zu::test::addEngineRows(); }
    void dateRangeIsInclusive()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        DataSet& s = d.qryservice();
        s.open();
        const QDate first(2011, 2, 8), last(2011, 2, 10);
        const QList<QPair<QString, QDateTime>> rows{
            {QStringLiteral("before"), QDateTime(first.addDays(-1), QTime(23, 59, 59))},
            {QStringLiteral("first"), first.startOfDay()},
            {QStringLiteral("middle"), QDateTime(first.addDays(1), QTime(12, 0))},
            {QStringLiteral("last evening"), QDateTime(last, QTime(23, 59, 59))},
            {QStringLiteral("after"), last.addDays(1).startOfDay()},
        };
        for (const auto& [name, when] : rows) {
            s.append();
            s.setField(QStringLiteral("CustName"), name);
            s.setField(QStringLiteral("serviceDate"), when);
            s.post();
        }
        const DateRange range = inclusiveDateRange(QStringLiteral("serviceDate"), first, last);
        s.open(range.condition, range.bindValues, QStringLiteral("serviceDate desc"));
        QStringList got;
        for (s.first(); !s.eof(); s.next())
            got << s.fieldText(QStringLiteral("CustName"));
        QCOMPARE(got, (QStringList{QStringLiteral("last evening"), QStringLiteral("middle"),
                                   QStringLiteral("first")}));
        // Dates come back as dates whatever the engine stores.
        s.last();
        QCOMPARE(s.field(QStringLiteral("serviceDate")).toDateTime(), first.startOfDay());
    }

    void booleanLayoutReads_data() { zu::test::addEngineRows(); }
    void booleanLayoutReads()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        Query& q = d.F();
        const SqlDialect& dialect = d.dialect();
        q.open(QStringLiteral("select count(*) from T_FieldShow where ") +
                   dialect.textEquals(QStringLiteral("TableName")),
               {QStringLiteral("T_Cust_show")});
        const int all = q.value(0).toInt();
        q.open(QStringLiteral("select count(*) from T_FieldShow where %1 and %2")
                   .arg(dialect.booleanEquals(QStringLiteral("show"), true),
                        dialect.textEquals(QStringLiteral("TableName"))),
               {QStringLiteral("T_Cust_show")});
        const int shown = q.value(0).toInt();
        q.open(QStringLiteral("select count(*) from T_FieldShow where %1 and %2")
                   .arg(dialect.booleanEquals(QStringLiteral("show"), false),
                        dialect.textEquals(QStringLiteral("TableName"))),
               {QStringLiteral("T_Cust_show")});
        const int hidden = q.value(0).toInt();
        QCOMPARE(all, 40);
        QVERIFY(shown > 0 && hidden > 0);
        QCOMPARE(shown + hidden, all);

        // A bound Boolean reads the same rows as the constant.
        q.open(QStringLiteral("select count(*) from T_FieldShow where show = ? and ") +
                   dialect.textEquals(QStringLiteral("TableName")),
               {true, QStringLiteral("T_Cust_show")});
        QCOMPARE(q.value(0).toInt(), shown);
        q.open(QStringLiteral("select * from T_FieldShow where ") +
               dialect.booleanEquals(QStringLiteral("show"), true));
        QVERIFY(q.asBoolean(QStringLiteral("show")));
    }

    void namesInAnyLetterCase_data() { zu::test::addEngineRows(); }
    void namesInAnyLetterCase()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addCustomer(d, QStringLiteral("张三"), QStringLiteral("A1"));
        Query& q = d.F();
        q.open(QStringLiteral("select CUSTNAME from t_cust where idcode = ?"), {QStringLiteral("A1")});
        QCOMPARE(q.value(0).toString(), QStringLiteral("张三"));
        QCOMPARE(q.asString(QStringLiteral("custName")), QStringLiteral("张三"));
        // Opened again on other columns, the query knows only those; closed, none.
        q.open(QStringLiteral("select IDCode as Code from T_Cust where CustName = ?"),
               {QStringLiteral("张三")});
        QCOMPARE(q.asString(QStringLiteral("CODE")), QStringLiteral("A1"));
        QCOMPARE(q.fieldCount(), 1);
        QCOMPARE(q.fieldIndex(QStringLiteral("custname")), -1);
        q.close();
        QCOMPARE(q.fieldIndex(QStringLiteral("code")), -1);
        QCOMPARE(q.fieldCount(), 0);

        // Layout names: every spelling reaches the same rows.
        const QString sql = QStringLiteral("select count(*) from T_FieldShow where ") +
                            d.dialect().textEquals(QStringLiteral("TableName"));
        q.open(sql, {QStringLiteral("T_Cust_show")});
        const int rows = q.value(0).toInt();
        QVERIFY(rows > 0);
        for (const char* spelling : {"T_CUST_Show", "t_cust_show", "T_cust_SHOW"}) {
            q.open(sql, {QString::fromLatin1(spelling)});
            QCOMPARE(q.value(0).toInt(), rows);
        }

        // Keyword names are quoted by the dialect.
        q.exec(QStringLiteral("insert into T_type (caption, %1) values (?, ?)")
                   .arg(d.dialect().quote(QStringLiteral("table"))),
               {QStringLiteral("KFR-35"), QStringLiteral("型号")});
        q.open(QStringLiteral("select * from T_TYPE where %1 = ?")
                   .arg(d.dialect().quote(QStringLiteral("Table"))),
               {QStringLiteral("型号")});
        QCOMPARE(q.value(1).toString(), QStringLiteral("KFR-35"));
        q.open(QStringLiteral("select %1 from T_remind where %2 = 1")
                   .arg(d.dialect().quote(QStringLiteral("Day")), d.dialect().quote(QStringLiteral("id"))));
        QCOMPARE(q.value(0).toInt(), 7);
    }

    void valuesWithQuotesAndWildcards_data() { zu::test::addEngineRows(); }
    void valuesWithQuotesAndWildcards()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addCustomer(d, QStringLiteral("O'Brien's 电器"), QStringLiteral("X'1"));
        addCustomer(d, QStringLiteral("100% 满意"), QStringLiteral("P1"));
        addCustomer(d, QStringLiteral("1000 满意"), QStringLiteral("P2"));
        addCustomer(d, QStringLiteral("a_b"), QStringLiteral("U1"));
        addCustomer(d, QStringLiteral("axb"), QStringLiteral("U2"));
        addCustomer(d, QStringLiteral("Smith"), QStringLiteral("S1"));

        DataSet& c = d.qryCustom();
        const QString like = d.dialect().likeCondition(QStringLiteral("CustName"));
        c.open(like, {likePrefix(QStringLiteral("O'Brien"))});
        QCOMPARE(names(c), QStringList{QStringLiteral("O'Brien's 电器")});
        c.open(like, {likePrefix(QStringLiteral("100%"))});
        QCOMPARE(names(c), QStringList{QStringLiteral("100% 满意")});
        c.open(like, {likePrefix(QStringLiteral("a_"))});
        QCOMPARE(names(c), QStringList{QStringLiteral("a_b")});
        c.open(like, {likeContains(QStringLiteral("满意"))});
        QCOMPARE(c.recordCount(), 2);
        // Prefix search ignores letter case on both engines.
        c.open(like, {likePrefix(QStringLiteral("smi"))});
        QCOMPARE(names(c), QStringList{QStringLiteral("Smith")});

        c.open(QStringLiteral("IDCode = ?"), {QStringLiteral("X'1")});
        QCOMPARE(c.recordCount(), 1);
        c.edit();
        c.setField(QStringLiteral("Remark"), QStringLiteral("it's \"quoted\"; -- not a comment"));
        c.post();
        c.refresh();
        QCOMPARE(c.fieldText(QStringLiteral("Remark")), QStringLiteral("it's \"quoted\"; -- not a comment"));
    }

    void escapeCharacterItselfMatches()
    {
        QCOMPARE(likePrefix(QStringLiteral("a!%_")), QStringLiteral("a!!!%!_%"));
        QCOMPARE(likeContains(QString()), QStringLiteral("%%"));
    }

    void dialectsDifferAsData()
    {
        const SqlDialect& lite = SqlDialect::sqlite();
        const SqlDialect& pg = SqlDialect::postgres();
        QCOMPARE(lite.quote(QStringLiteral("Day")), QStringLiteral("[Day]"));
        QCOMPARE(pg.quote(QStringLiteral("Day")), QStringLiteral("\"day\""));
        QCOMPARE(lite.toDb(QDate(2011, 2, 8)).toString(), QStringLiteral("2011-02-08 00:00:00"));
        QCOMPARE(pg.toDb(QDate(2011, 2, 8)).toDate(), QDate(2011, 2, 8));
        QCOMPARE(lite.fromDb(QStringLiteral("2011-02-08 10:30:00"), ColumnType::DateTime).toDateTime(),
                 QDateTime(QDate(2011, 2, 8), QTime(10, 30)));
        QVERIFY(lite.fromDb(QStringLiteral("not a date"), ColumnType::DateTime).isNull());
        QCOMPARE(lite.fromDb(QStringLiteral("1"), ColumnType::Boolean).toBool(), true);
        QCOMPARE(lite.fromDb(0, ColumnType::Boolean).toBool(), false);
        // A flag kept as a word by another program: the server's own letters read as they mean.
        for (const char* yes : {"t", "TRUE", " true "})
            QCOMPARE(lite.fromDb(QString::fromLatin1(yes), ColumnType::Boolean).toBool(), true);
        for (const char* no : {"f", "F", "false", "0", ""})
            QCOMPARE(lite.fromDb(QString::fromLatin1(no), ColumnType::Boolean).toBool(), false);
    }

    void statusTextNamesTheDatabase()
    {
        ConnectionSettings file;
        file.filePath = QStringLiteral("/opt/zu/Database/Service.db");
        QCOMPARE(SqlDialect::sqlite().statusText(file),
                 QStringLiteral("数据库:SQLite,数据库路径/opt/zu/Database/Service.db"));
        ConnectionSettings server;
        server.host = QStringLiteral("db.example");
        server.database = QStringLiteral("service");
        QCOMPARE(SqlDialect::postgres().statusText(server),
                 QStringLiteral("数据库:PostgreSQL,服务器db.example,数据库service"));
        server.port = 5433;
        QCOMPARE(SqlDialect::postgres().statusText(server),
                 QStringLiteral("数据库:PostgreSQL,服务器db.example:5433,数据库service"));
    }
};

QTEST_GUILESS_MAIN(TestDialect)
#include "tst_dialect.moc"
