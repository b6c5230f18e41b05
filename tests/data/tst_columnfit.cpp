// Values fit their columns or are refused, the same on both engines; every searchable field of
// every list can be searched whatever its type; the checks and searches use indexes.

#include "data/apphome.h"
#include "data/columnfit.h"
#include "data/datamodule.h"
#include "data/datasetfilters.h"
#include "data/query.h"
#include "data/schemainstaller.h"
#include "data/writerecord.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <QRegularExpression>
#include <QtTest>

using namespace zu;
using zu::test::count;

namespace {

// What another workstation reads from the database.
QString storedText(zu::test::TestDatabase& db, const QString& sql, const QVariantList& values)
{
    const QVariant value = db.otherValue(sql, values);
    return value.isNull() ? QString() : value.toString();
}

// Text the user types to find a value of the type (its beginning as the list shows it).
QVariant valueOf(ColumnType type, bool match)
{
    switch (type) {
    case ColumnType::Text:
        return match ? QStringLiteral("甲乙丙") : QStringLiteral("丁戊");
    case ColumnType::Integer:
        return match ? 12345 : 678;
    case ColumnType::Float:
        return match ? 60.5 : 99.25;
    case ColumnType::DateTime:
        return match ? QDateTime(QDate(2026, 12, 10), QTime(8, 30)) : QDate(2020, 1, 1).startOfDay();
    case ColumnType::Boolean:
        return match;
    }
    return {};
}

QString keyFor(ColumnType type)
{
    switch (type) {
    case ColumnType::Text:
        return QStringLiteral("甲乙");
    case ColumnType::Integer:
        return QStringLiteral("123");
    case ColumnType::Float:
        return QStringLiteral("60");
    case ColumnType::DateTime:
        return QStringLiteral("2026-12-10");
    case ColumnType::Boolean:
        return QStringLiteral("是"); // what the lists show for a true value
    }
    return {};
}

} // namespace

class TestColumnFit final : public QObject
{
    Q_OBJECT
private slots:
    void fitRule()
    {
        const QString name = QStringLiteral("地址");
        QVERIFY(columnFitProblem(name, QString(255, QLatin1Char('x')), ColumnType::Text, 255).isEmpty());
        QCOMPARE(columnFitProblem(name, QString(256, QLatin1Char('x')), ColumnType::Text, 255),
                 QStringLiteral("“地址”最多可以有 255 个字，现在有 256 个字"));
        QVERIFY(columnFitProblem(name, QString(10000, QLatin1Char('x')), ColumnType::Text, -1).isEmpty());
        QVERIFY(columnFitProblem(name, QVariant(), ColumnType::Text, 1).isEmpty());
        for (const QVariant& fits : {QVariant(2147483647LL), QVariant(-2147483648LL), QVariant(2147483647.0),
                                     QVariant(QStringLiteral(" -2147483648 ")), QVariant(0)})
            QVERIFY2(columnFitProblem(name, fits, ColumnType::Integer, -1).isEmpty(),
                     qPrintable(fits.toString()));
        for (const QVariant& beyond : {QVariant(2147483648LL), QVariant(-2147483649LL),
                                       QVariant(99999999999.0), QVariant(QStringLiteral("3000000000"))})
            QVERIFY2(columnFitProblem(name, beyond, ColumnType::Integer, -1)
                         .contains(QStringLiteral("超出了范围")),
                     qPrintable(beyond.toString()));
        // A float column takes large numbers.
        QVERIFY(columnFitProblem(name, 99999999999.0, ColumnType::Float, -1).isEmpty());
    }

    // The one place the widths come from gives both engines the same limits.
    void bothEnginesHaveTheSameWidths()
    {
        zu::test::TestDatabase embedded(QStringLiteral("sqlite"), false);
        zu::test::TestDatabase server(QStringLiteral("postgres"), false);
        if (server.skipped())
            QSKIP("no PostgreSQL server configured (ZU_TEST_PG)");
        QVERIFY2(embedded.ok(), qPrintable(embedded.error()));
        QVERIFY2(server.ok(), qPrintable(server.error()));
        Connection& e = embedded.other();
        Connection& p = server.other();
        for (const QString& table : SchemaInstaller::tableNames()) {
            const QHash<QString, int> onEmbedded = e.dialect().columnWidths(e.database(), table);
            QCOMPARE(onEmbedded, p.dialect().columnWidths(p.database(), table));
            if (table == QLatin1String("T_Cust")) {
                QCOMPARE(onEmbedded.value(QStringLiteral("custname")), 255);
                QCOMPARE(onEmbedded.value(QStringLiteral("idcode")), 50);
                QCOMPARE(onEmbedded.value(QStringLiteral("charc")), 50);
                QVERIFY(!onEmbedded.contains(QStringLiteral("remark"))); // a memo has no limit
            }
        }
    }

    // Stored as written up to the limit, refused one beyond it, on both engines; the other
    // workstation reads exactly what was stored.
    void textsUpToTheirWidth_data() { zu::test::addEngineRows(); }
    void textsUpToTheirWidth()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        DataSet& customers = d.qryCustom();
        customers.open();
        const QString full(255, QChar(0x5730)); // 255 Chinese characters
        writeRecord(customers,
                    {{QStringLiteral("CustName"), QStringLiteral("甲")},
                     {QStringLiteral("IDCode"), QString(50, QLatin1Char('9'))},
                     {QStringLiteral("Address"), full}},
                    true);
        QCOMPARE(storedText(db, QStringLiteral("select Address from T_Cust where CustName = ?"),
                            {QStringLiteral("甲")}),
                 full);

        try {
            writeRecord(customers,
                        {{QStringLiteral("CustName"), QStringLiteral("乙")},
                         {QStringLiteral("Address"), full + QChar(0x5730)}},
                        true);
            QFAIL("an address of 256 characters was taken");
        } catch (const CommandError& e) {
            QCOMPARE(e.text(), QStringLiteral("“地址”最多可以有 255 个字，现在有 256 个字，没有保存。"));
        }
        QVERIFY_THROWS_EXCEPTION(CommandError,
                                 writeRecord(customers,
                                             {{QStringLiteral("CustName"), QStringLiteral("丙")},
                                              {QStringLiteral("IDCode"), QString(51, QLatin1Char('9'))}},
                                             true));
        QCOMPARE(customers.state(), DataSet::State::Browse);
        QCOMPARE(customers.recordCount(), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 1);

        // A change is held to the same limit; the stored row stays as it was.
        QVERIFY(customers.locate(QStringLiteral("CustName"), QStringLiteral("甲")));
        QVERIFY_THROWS_EXCEPTION(
            CommandError,
            writeRecord(customers, {{QStringLiteral("CharC"), QString(51, QLatin1Char('c'))}}, false));
        writeRecord(customers, {{QStringLiteral("CharC"), QString(50, QLatin1Char('c'))}}, false);
        QCOMPARE(storedText(db, QStringLiteral("select CharC from T_Cust where CustName = ?"),
                            {QStringLiteral("甲")}),
                 QString(50, QLatin1Char('c')));
        // A memo takes any length.
        writeRecord(customers, {{QStringLiteral("Remark"), QString(10000, QLatin1Char('r'))}}, false);
        QCOMPARE(storedText(db, QStringLiteral("select Remark from T_Cust where CustName = ?"),
                            {QStringLiteral("甲")})
                     .size(),
                 10000);
    }

    void integersWithinTheirRange_data() { zu::test::addEngineRows(); }
    void integersWithinTheirRange()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        DataSet& customers = d.qryCustom();
        customers.open();
        writeRecord(customers, {{QStringLiteral("CustName"), QStringLiteral("甲")}}, true);
        const QString read = QStringLiteral("select %1 from T_Cust where CustName = ?");
        for (const auto& [column, value] :
             {std::pair{"intD", QVariant(2147483647LL)}, std::pair{"intA", QVariant(-2147483648LL)},
              std::pair{"Number", QVariant(2147483647.0)}}) {
            writeRecord(customers, {{QLatin1String(column), value}}, false);
            QCOMPARE(storedText(db, read.arg(QLatin1String(column)), {QStringLiteral("甲")}),
                     QString::number(value.toLongLong()));
        }
        for (const auto& [column, value, caption] :
             {std::tuple{"intD", QVariant(99999999999.0), "数值项1"},
              std::tuple{"intC", QVariant(3000000000LL), "数值项3"},
              std::tuple{"intA", QVariant(-2147483649LL), "数值项2"},
              std::tuple{"GiftNumberA", QVariant(2147483648LL), "赠品数量A"}}) {
            try {
                writeRecord(customers, {{QLatin1String(column), value}}, false);
                QFAIL(column);
            } catch (const CommandError& e) {
                QVERIFY2(e.text().startsWith(QStringLiteral("“%1”的值").arg(QString::fromUtf8(caption))),
                         qPrintable(e.text()));
            }
        }
        // Nothing of the refused values reached the database.
        QCOMPARE(storedText(db, read.arg(QStringLiteral("intD")), {QStringLiteral("甲")}),
                 QStringLiteral("2147483647"));
        QCOMPARE(storedText(db, read.arg(QStringLiteral("intC")), {QStringLiteral("甲")}), QString());
        QCOMPARE(storedText(db, read.arg(QStringLiteral("intA")), {QStringLiteral("甲")}),
                 QStringLiteral("-2147483648"));
    }

    // The search of the three journal lists and of the customer picker: every field their
    // layouts offer, whatever its type, finds the rows whose value begins with the key.
    void everySearchableFieldOfEveryList_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("layout");
        for (const char* engine : {"sqlite", "postgres"})
            for (const char* layout : {"T_serviceshow", "T_callshow", "T_complainshow", "T_Cust_show"})
                QTest::newRow(
                    qPrintable(QStringLiteral("%1/%2").arg(QLatin1String(engine), QLatin1String(layout))))
                    << QString::fromLatin1(engine) << QString::fromLatin1(layout);
    }
    void everySearchableFieldOfEveryList()
    {
        ZU_TEST_DATABASE(db);
        QFETCH(QString, layout);
        TfrmData& d = db.dataModule();
        DataSet& list = layout == QLatin1String("T_serviceshow")    ? d.qryservice()
                        : layout == QLatin1String("T_callshow")     ? d.qryCall()
                        : layout == QLatin1String("T_complainshow") ? d.qryComplain()
                                                                    : d.qryselect();
        const QHash<QString, ColumnType> types =
            d.dialect().columnTypes(d.conn().database(), list.tableName());
        const QStringList fields =
            zu::test::column(QStringLiteral("select Field from T_FieldShow where TableName = ?"), {layout});
        QVERIFY(fields.size() >= 6);

        // Two rows: one with the values searched for in every column, one with others.
        for (const bool match : {true, false}) {
            QVariantMap row;
            for (auto it = types.cbegin(); it != types.cend(); ++it)
                if (it.key() != list.keyField().toLower())
                    row.insert(it.key(), valueOf(it.value(), match));
            zu::test::insertRow(list.tableName(), row);
        }
        const QString keyField = list.keyField();
        const QString matchKey =
            zu::test::column(QStringLiteral("select min(%1) from %2").arg(keyField, list.tableName()))
                .value(0);
        // Whether a service is a repeat visit the database keeps from the unit's other services:
        // the matching row is made one as if an earlier service were there.
        if (types.contains(QStringLiteral("repeatvisit")))
            QCOMPARE(Query(d.conn()).exec(QStringLiteral("update %1 set RepeatVisit = %2 where %3 = ?")
                                              .arg(list.tableName(), d.dialect().trueLiteral, keyField),
                                          {matchKey.toLongLong()}),
                     1);
        QSet<ColumnType> typesSearched;
        for (const QString& field : fields) {
            const ColumnType type = types.value(field.toLower());
            const QString key = field.compare(keyField, Qt::CaseInsensitive) == 0 ? matchKey : keyFor(type);
            openStartingWith(list, field, key);
            QVERIFY2(list.recordCount() == 1, qPrintable(field));
            QCOMPARE(list.value(0, list.fieldIndex(keyField)).toString(), matchKey);
            typesSearched << type;
        }
        QVERIFY(typesSearched.contains(ColumnType::Text));
        QVERIFY(typesSearched.contains(ColumnType::DateTime));
        QVERIFY(typesSearched.contains(ColumnType::Integer) || typesSearched.contains(ColumnType::Float));
    }

    // The duplicate-code check and the look-ups by phone, mobile and a journal's customer code
    // are served by indexes on both engines.
    void checksUseIndexes_data() { zu::test::addEngineRows(); }
    void checksUseIndexes()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        Query q(d.conn());
        const QList<std::pair<QString, QString>> lookups{
            {QStringLiteral("select * from T_Cust where %1 = ?")
                 .arg(d.dialect().quote(QStringLiteral("IDCode"))),
             QStringLiteral("ix_cust_idcode")},
            {QStringLiteral("select count(*) from T_Cust where IDCode = ?"),
             QStringLiteral("ix_cust_idcode")},
            {QStringLiteral("select * from T_Cust where Phone = ?"), QStringLiteral("ix_cust_phone")},
            {QStringLiteral("select * from T_Cust where Mobile = ?"), QStringLiteral("ix_cust_mobile")},
            {QStringLiteral("select * from T_service where CustCode = ?"),
             QStringLiteral("ix_service_custcode")},
            {QStringLiteral("select * from T_call where CustCode = ?"), QStringLiteral("ix_call_custcode")},
            {QStringLiteral("select * from T_complain where CustCode = ?"),
             QStringLiteral("ix_complain_custcode")},
        };
        if (db.isServer())
            q.exec(QStringLiteral("set enable_seqscan = off")); // a few rows: the plan would scan anyway
        for (const auto& [sql, index] : lookups) {
            QStringList plan;
            if (db.isServer()) {
                // The plan of the statement as the program prepares it, with a bound value.
                q.exec(QStringLiteral("prepare zu_plan(text) as ") +
                       QString(sql).replace(QLatin1Char('?'), QStringLiteral("$1")));
                for (q.open(QStringLiteral("explain execute zu_plan('K1')")); !q.eof(); q.next())
                    plan << q.value(0).toString();
                q.exec(QStringLiteral("deallocate zu_plan"));
            } else {
                for (q.open(QStringLiteral("explain query plan ") + sql, {QStringLiteral("K1")}); !q.eof();
                     q.next())
                    plan << q.value(3).toString();
            }
            qInfo("%s: %s", qPrintable(sql), qPrintable(plan.join(QStringLiteral(" | "))));
            // Another index may serve as well (quick find's own, or one that begins with the column):
            // what matters is that the rows are found through an index, not by a scan.
            static const QRegularExpression searched(QStringLiteral(
                "(SEARCH \\S+ USING (COVERING )?INDEX|Index (Only )?Scan using|Bitmap Index Scan on) ix_"));
            QVERIFY2(plan.join(QLatin1Char(' ')).contains(index) ||
                         plan.join(QLatin1Char(' ')).contains(searched),
                     qPrintable(sql + QStringLiteral(": ") + plan.join(QLatin1Char(' '))));
        }
    }
};

QTEST_GUILESS_MAIN(TestColumnFit)
#include "tst_columnfit.moc"
