#include "data/connection.h"
#include "data/findcolumns.h"
#include "data/query.h"
#include "data/schemainstaller.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace zu;

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(ZU_FIXTURES_DIR "/") + QLatin1String(name);
}

QStringList rowsOf(Connection& c, const QString& sql)
{
    QStringList rows;
    Query q(c);
    for (q.open(sql); !q.eof(); q.next())
        rows << q.value(0).toString().simplified();
    return rows;
}

// Everything that makes a schema: tables and their columns, indexes, triggers, functions and
// constraints, in a stable order; the rows are left out.
QStringList schemaOf(Connection& c, bool server)
{
    if (!server)
        return rowsOf(c, QStringLiteral("select type || ' ' || name || ' on ' || tbl_name || ': ' || "
                                        "coalesce(sql, '') from sqlite_master "
                                        "where name not like 'sqlite!_%' escape '!' order by type, name"));
    return rowsOf(c, QStringLiteral(
                         "select table_name || '.' || column_name || ' ' || data_type || ' ' || "
                         "coalesce(character_maximum_length::text, '') || ' ' || is_nullable || ' ' || "
                         "coalesce(column_default, '') || ' ' || is_identity "
                         "from information_schema.columns where table_schema = current_schema() "
                         "order by table_name, ordinal_position")) +
           rowsOf(c, QStringLiteral("select indexname || ': ' || indexdef from pg_indexes "
                                    "where schemaname = current_schema() order by indexname")) +
           rowsOf(c, QStringLiteral(
                         "select trigger_name || ' ' || action_timing || ' ' || event_manipulation || "
                         "' on ' || event_object_table || ': ' || action_statement "
                         "from information_schema.triggers where trigger_schema = current_schema() "
                         "order by 1")) +
           rowsOf(c,
                  QStringLiteral("select p.proname || ': ' || p.prosrc from pg_proc p join pg_namespace n "
                                 "on n.oid = p.pronamespace where n.nspname = current_schema() order by 1")) +
           rowsOf(c, QStringLiteral(
                         "select r.relname || '.' || c.conname || ': ' || pg_get_constraintdef(c.oid) "
                         "from pg_constraint c join pg_class r on r.oid = c.conrelid "
                         "join pg_namespace n on n.oid = c.connamespace "
                         "where n.nspname = current_schema() order by 1"));
}

// A database as release 1.0's connection tool left it, on the engine of `fresh`; its connection
// is opened on `settings`-like terms by the caller. Returns an error text, empty on success.
QString makeRelease10Database(zu::test::TestDatabase& fresh, const QString& name,
                              ConnectionSettings* settings)
{
    *settings = fresh.settings();
    if (!fresh.isServer()) {
        settings->filePath = fresh.home().file(name + QStringLiteral(".db"));
        if (!QFile::copy(fixture("release-1.0.db"), settings->filePath))
            return QStringLiteral("fixture not copied");
        QFile::setPermissions(settings->filePath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return {};
    }
    QString error;
    settings->database = zu::test::createServerDatabase(*fresh.server(), &error);
    if (settings->database.isEmpty())
        return error;
    Connection c(SqlDialect::postgres(), *settings);
    if (!c.open())
        return c.lastError();
    Query q(c);
    for (const char* script : {"release-1.0-postgresql.sql", "release-1.0-content.sql"}) {
        QFile f(fixture(script));
        if (!f.open(QIODevice::ReadOnly))
            return QStringLiteral("fixture %1 not read").arg(QLatin1String(script));
        for (const QString& statement : splitSqlScript(QString::fromUtf8(f.readAll())))
            q.exec(statement);
    }
    q.exec(QStringLiteral("insert into zu_schema (version) values (1)"));
    return {};
}

// The names of the indexes `statements` create, in lower case.
QStringList indexNames(const QStringList& statements)
{
    const QRegularExpression named(QStringLiteral("^create index (\\w+) on "));
    QStringList names;
    for (const QString& statement : statements)
        names << named.match(statement).captured(1).toLower();
    return names;
}

// Those of `expected` (index names in lower case) the database does not hold.
QStringList missingIndexes(Connection& c, const QStringList& expected)
{
    const QString indexes =
        c.dialect().kind == DatabaseKind::Server
            ? QStringLiteral("select lower(indexname) from pg_indexes where "
                             "schemaname = current_schema()")
            : QStringLiteral("select lower(name) from sqlite_master where type = 'index'");
    QStringList out = expected;
    for (const QString& present : rowsOf(c, indexes))
        out.removeAll(present);
    return out;
}

// The indexes `expected` (names in lower case), which the database holds, taken away and the
// database set back to the version before `version`: the upgrade to `version` takes one step,
// which adds every one of them again.
void checkStepAddsIndexes(Connection& c, const QStringList& expected, int version)
{
    QVERIFY(!expected.contains(QString()));
    QCOMPARE(missingIndexes(c, expected), QStringList());
    Query q(c);
    for (const QString& name : expected)
        q.exec(QStringLiteral("drop index %1").arg(name));
    QCOMPARE(missingIndexes(c, expected), expected);
    q.exec(QStringLiteral("delete from zu_schema"));
    q.exec(QStringLiteral("insert into zu_schema (version) values (?)"), {version - 1});
    SchemaInstaller installer(c);
    QCOMPARE(installer.upgrade(version), 1);
    QCOMPARE(installer.version(), version);
    QCOMPARE(missingIndexes(c, expected), QStringList());
}

} // namespace

class TestSchema final : public QObject
{
    Q_OBJECT
private slots:
    void installsAllTablesAndVersion_data() { zu::test::addEngineRows(); }
    // A script is cut at the semicolons outside texts and quoted names; a comment runs from two
    // dashes outside them to the line's end.
    void scriptsSplitIntoStatements_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("statements");
        QTest::newRow("plain") << QStringLiteral("create table a (x int);\n insert into a values (1) ;")
                               << QStringList{QStringLiteral("create table a (x int)"),
                                              QStringLiteral("insert into a values (1)")};
        QTest::newRow("comment") << QStringLiteral("-- heading; not a statement\nselect 1; -- tail\nselect 2")
                                 << QStringList{QStringLiteral("select 1"), QStringLiteral("select 2")};
        QTest::newRow("one dash") << QStringLiteral("select 3 - 1;select -2")
                                  << QStringList{QStringLiteral("select 3 - 1"), QStringLiteral("select -2")};
        QTest::newRow("dash at the end")
            << QStringLiteral("select 1 -") << QStringList{QStringLiteral("select 1 -")};
        QTest::newRow("dashes and semicolons in a text")
            << QStringLiteral("insert into t values ('a--b; c', 'it''s; --');select 1")
            << QStringList{QStringLiteral("insert into t values ('a--b; c', 'it''s; --')"),
                           QStringLiteral("select 1")};
        QTest::newRow("in a quoted name")
            << QStringLiteral("select 1 as \"x--y;z\";select 2")
            << QStringList{QStringLiteral("select 1 as \"x--y;z\""), QStringLiteral("select 2")};
        QTest::newRow("a quote in a quoted name")
            << QStringLiteral("select 1 as \"it's\"; select 'a\"b'; select 3")
            << QStringList{QStringLiteral("select 1 as \"it's\""), QStringLiteral("select 'a\"b'"),
                           QStringLiteral("select 3")};
        QTest::newRow("nothing") << QStringLiteral(" ;\n; -- only a comment") << QStringList{};
    }
    void scriptsSplitIntoStatements()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, statements);
        QCOMPARE(splitSqlScript(script), statements);
    }

    // A database without the table of schema versions (an empty file, another program's) is at
    // version 0, whatever tables it holds.
    void databaseWithoutVersionsIsAtZero()
    {
        QTemporaryDir dir;
        ConnectionSettings settings;
        settings.filePath = dir.filePath(QStringLiteral("other.db"));
        settings.createIfMissing = true;
        Connection c(SqlDialect::sqlite(), settings);
        QVERIFY2(c.open(), qPrintable(c.lastError()));
        QCOMPARE(SchemaInstaller(c).version(), 0);
        QVERIFY(SchemaInstaller(c).isEmpty());
        QVERIFY(!SchemaInstaller(c).holdsData());
        Query(c).exec(QStringLiteral("create table zu_schema_old (version integer)"));
        QCOMPARE(SchemaInstaller(c).version(), 0);
        Query(c).exec(QStringLiteral("create table ZU_SCHEMA (version integer)"));
        Query(c).exec(QStringLiteral("insert into ZU_SCHEMA values (7)"));
        QCOMPARE(SchemaInstaller(c).version(), 7);
    }

    void installsAllTablesAndVersion()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        SchemaInstaller installer(d.conn());
        QVERIFY(!installer.isEmpty());
        QVERIFY(!installer.holdsData());
        QCOMPARE(installer.version(), SchemaInstaller::kCurrentVersion);
        QCOMPARE(installer.upgrade(), 0);
        const QStringList present = d.conn().database().tables();
        for (const QString& table : SchemaInstaller::tableNames()) {
            bool found = false;
            for (const QString& p : present)
                found = found || p.compare(table, Qt::CaseInsensitive) == 0;
            QVERIFY2(found, qPrintable(table));
        }
    }

    // A new database and one of release 1.0 brought up to date, directly or through the version
    // before, end with the same schema.
    void upgradedDatabaseEqualsANewOne_data() { zu::test::addEngineRows(); }
    void upgradedDatabaseEqualsANewOne()
    {
        ZU_TEST_DATABASE(db);
        const QStringList fresh = schemaOf(db.dataModule().conn(), db.isServer());
        QVERIFY(!fresh.isEmpty());
        QStringList dropLater;
        auto dropAll = qScopeGuard([&] {
            for (const QString& name : std::as_const(dropLater))
                zu::test::dropServerDatabase(*db.server(), name);
        });
        for (const int through : {SchemaInstaller::kCurrentVersion, 2}) {
            ConnectionSettings settings;
            const QString error = makeRelease10Database(db, QStringLiteral("old%1").arg(through), &settings);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            if (db.isServer())
                dropLater << settings.database;
            Connection c(db.dataModule().dialect(), settings);
            QVERIFY2(c.open(), qPrintable(c.lastError()));
            SchemaInstaller installer(c);
            QCOMPARE(installer.version(), 1);
            QVERIFY(schemaOf(c, db.isServer()) != fresh);
            if (through < SchemaInstaller::kCurrentVersion) {
                QCOMPARE(installer.upgrade(through), through - 1);
                QCOMPARE(installer.version(), through);
                QVERIFY(schemaOf(c, db.isServer()) != fresh);
            }
            installer.upgrade();
            QCOMPARE(installer.version(), SchemaInstaller::kCurrentVersion);
            QCOMPARE(schemaOf(c, db.isServer()), fresh);
        }
    }

    void deliveredContent_data() { zu::test::addEngineRows(); }
    void deliveredContent()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        Query& q = d.F();
        q.open(QStringLiteral("select * from T_user where UserName = ?"), {QStringLiteral("Admin")});
        QVERIFY(!q.eof());
        QCOMPARE(q.asString(QStringLiteral("Password")), QString());
        QCOMPARE(q.asString(QStringLiteral("type")), QStringLiteral("用户"));
        const QString rights = q.asString(QStringLiteral("qxList"));

        // Every action of the main window is in the catalogue once, and Admin is granted it.
        q.open(QStringLiteral("select * from T_popedom where tablename = ? order by code"),
               {QStringLiteral("用户权限")});
        QStringList actions;
        for (; !q.eof(); q.next()) {
            const QString action = q.asString(QStringLiteral("qxName"));
            if (action.isEmpty())
                continue;
            actions << action;
            const QString item =
                QLatin1Char('\'') + q.asString(QStringLiteral("name")) + QStringLiteral("',");
            QVERIFY2(rights.contains(item), qPrintable(item));
        }
        actions.sort();
        QStringList expected{"actCustM",  "actService",   "actCall",     "actcomplain", "actType",
                             "actche",    "actpopedom",   "actpassword", "actdatabase", "actremind",
                             "actexport", "actCustsheet", "actcensus",   "actEnvelope", "actlabel",
                             "actLead",   "actStatistics"};
        expected.sort();
        QCOMPARE(actions, expected);

        q.open(QStringLiteral("select * from T_remind"));
        QCOMPARE(q.asInteger(QStringLiteral("id")), 1);
        QCOMPARE(q.asInteger(QStringLiteral("Day")), 7);
        QCOMPARE(q.asString(QStringLiteral("chetrues")), QStringLiteral("1"));
        q.open(QStringLiteral("select * from t_SoftInfo"));
        QCOMPARE(q.asString(QStringLiteral("Version")), QStringLiteral("1.0"));

        // Clearing statements run as they are.
        q.open(QStringLiteral("select * from T_popedom where tablename = ? and qxName <> ''"),
               {QStringLiteral("数据初始化")});
        int statements = 0;
        for (; !q.eof(); q.next())
            for (const QString& s : splitSqlScript(q.asString(QStringLiteral("qxName")))) {
                Query(d.conn()).exec(s);
                ++statements;
            }
        QVERIFY(statements >= 6);
    }

    void everyLayoutCoversItsTable_data() { zu::test::addEngineRows(); }
    void everyLayoutCoversItsTable()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        const QList<QPair<QString, QString>> layouts{
            {"T_Cust_show", "T_Cust"},          {"remind_show", "T_Cust"},
            {"T_Serviceshowcust", "T_service"}, {"T_serviceshow", "T_service"},
            {"T_callshowCust", "T_call"},       {"T_callshow", "T_call"},
            {"T_complainCust", "T_complain"},   {"T_complainshow", "T_complain"},
            {"tImport_Show", "t_Import"},       {"tUser_Show", "T_user"}};
        const QStringList withFooter{"T_Cust_show", "T_Serviceshowcust", "T_serviceshow", "T_callshowCust",
                                     "T_callshow",  "T_complainCust",    "T_complainshow"};
        for (const auto& [layout, table] : layouts) {
            const auto types = d.dialect().columnTypes(d.conn().database(), table);
            Query& q = d.F();
            q.open(QStringLiteral("select * from T_FieldShow where ") +
                       d.dialect().textEquals(QStringLiteral("TableName")),
                   {layout.toUpper()});
            QSet<QString> fields;
            int footers = 0;
            for (; !q.eof(); q.next()) {
                const QString field = q.asString(QStringLiteral("Field")).toLower();
                QVERIFY2(types.contains(field), qPrintable(layout + QLatin1Char('.') + field));
                fields << field;
                const ColumnType t = types.value(field);
                const bool numeric = t == ColumnType::Integer || t == ColumnType::Float;
                QVERIFY2((q.asInteger(QStringLiteral("dotsize")) != 0) == numeric,
                         qPrintable(layout + QLatin1Char('.') + field));
                if (q.asInteger(QStringLiteral("SumField")) == 2) {
                    QVERIFY(q.asBoolean(QStringLiteral("show")));
                    ++footers;
                }
            }
            QCOMPARE(footers, withFooter.contains(layout) ? 1 : 0);
            QSet<QString> columns(types.keyBegin(), types.keyEnd());
            columns.remove(QStringLiteral("password"));            // never listed
            columns.remove(QStringLiteral("rowversion"));          // the database's own count
            for (const QString& kept : FindColumns::columnNames()) // written with the customer
                columns.remove(kept.toLower());
            QVERIFY2(fields == columns, qPrintable(layout));
        }
    }

    void importMappingCoversTheCustomerColumns_data() { zu::test::addEngineRows(); }
    void importMappingCoversTheCustomerColumns()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        const auto types = d.dialect().columnTypes(d.conn().database(), QStringLiteral("T_Cust"));
        Query& q = d.F();
        q.open(QStringLiteral("select * from t_Import where tablename = ? order by ImportID"),
               {QStringLiteral("T_Cust")});
        int rows = 0;
        for (; !q.eof(); q.next(), ++rows) {
            QVERIFY(types.contains(q.asString(QStringLiteral("S_Field")).toLower()));
            QVERIFY(!q.asString(QStringLiteral("FieldName")).isEmpty());
        }
        // All but the key, the row version and the columns kept for quick find and the duplicate
        // check, which the import writes itself.
        QCOMPARE(rows, types.size() - 2 - FindColumns::columnNames().size());
    }

    void customerCodesUniqueUnlessEmpty_data() { zu::test::addEngineRows(); }
    void customerCodesUniqueUnlessEmpty()
    {
        ZU_TEST_DATABASE(db);
        Query q(db.dataModule().conn());
        const QString insert = QStringLiteral("insert into T_Cust (CustName, IDCode) values (?, ?)");
        q.exec(insert, {QStringLiteral("a"), QStringLiteral("001")});
        q.exec(insert, {QStringLiteral("b"), QString()});
        q.exec(insert, {QStringLiteral("c"), QString()});
        q.exec(insert, {QStringLiteral("d"), QVariant()});
        QVERIFY_THROWS_EXCEPTION(DbError, q.exec(insert, {QStringLiteral("e"), QStringLiteral("001")}));
    }

    // A database of the release before the reminder centre gets its tables and settings in one step,
    // its rows untouched; nothing before the upgrade's day counts as overdue.
    void upgradeAddsTheReminderCentre_data() { zu::test::addEngineRows(); }
    void upgradeAddsTheReminderCentre()
    {
        ZU_TEST_DATABASE(db);
        Connection& c = db.dataModule().conn();
        Query q(c);
        constexpr int kReminderCentreVersion = 5;
        const int before = kReminderCentreVersion - 1;
        for (const char* statement :
             {"drop table T_plan", "drop table T_remindstate", "drop index ix_cust_goodsunit",
              "drop index ix_cust_emptiondate", "drop index ix_service_kind"})
            q.exec(QString::fromLatin1(statement));
        for (const char* column : {"RemindOn", "PlanOn", "CallOn", "CallDays", "WarrantyOn", "WarrantyMonths",
                                   "WarrantyDays", "RemindSince", "PlanSince", "CallSince", "WarrantySince"})
            q.exec(QStringLiteral("alter table T_remind drop column %1").arg(QLatin1String(column)));
        q.exec(QStringLiteral("delete from zu_schema"));
        q.exec(QStringLiteral("insert into zu_schema (version) values (?)"), {before});
        q.exec(
            QStringLiteral("insert into T_Cust (CustName, IDCode, remind) values (?, ?, ?)"),
            {QStringLiteral("老客户"), QStringLiteral("001"), QDate::currentDate().addDays(-1).startOfDay()});

        SchemaInstaller installer(c);
        QCOMPARE(installer.version(), before);
        QCOMPARE(installer.upgrade(kReminderCentreVersion), 1);
        QCOMPARE(installer.version(), kReminderCentreVersion);
        QCOMPARE(installer.upgrade(kReminderCentreVersion), 0);
        q.open(QStringLiteral("select * from T_remind"));
        QCOMPARE(q.asInteger(QStringLiteral("Day")), 7);
        QCOMPARE(q.asInteger(QStringLiteral("CallDays")), 3);
        QCOMPARE(q.asInteger(QStringLiteral("WarrantyMonths")), 12);
        QCOMPARE(q.asDateTime(QStringLiteral("CallSince")).date(), QDate::currentDate());
        q.open(QStringLiteral("select count(*) from T_plan"));
        QCOMPARE(q.value(0).toInt(), 0);
        q.open(QStringLiteral("select count(*) from T_remindstate"));
        QCOMPARE(q.value(0).toInt(), 0);
        q.open(QStringLiteral("select CustName from T_Cust"));
        QCOMPARE(q.asString(QStringLiteral("CustName")), QStringLiteral("老客户"));
    }

    // The statistics right: catalogued under the reports once, granted to whoever holds the
    // reports (users and groups), to nobody else; a new database's administrator has it.
    void upgradeGrantsTheStatisticsRight_data() { zu::test::addEngineRows(); }
    void upgradeGrantsTheStatisticsRight()
    {
        ZU_TEST_DATABASE(db);
        Connection& c = db.dataModule().conn();
        Query q(c);
        auto rightsOf = [&q](const QString& user) {
            q.open(QStringLiteral("select qxList from T_user where UserName = ?"), {user});
            const QString rights = q.value(0).toString();
            q.close();
            return rights;
        };
        const QString item = QStringLiteral("'统计分析',");
        QVERIFY(rightsOf(QStringLiteral("Admin")).contains(item));
        QVERIFY(rightsOf(QStringLiteral("系统管理员组")).contains(item));

        constexpr int kStatisticsVersion = 6;
        const int before = kStatisticsVersion - 1;
        q.exec(QStringLiteral("delete from T_popedom where qxName = ?"), {QStringLiteral("actStatistics")});
        q.exec(QStringLiteral("drop index ix_service_goodscode"));
        q.exec(QStringLiteral("update T_user set qxList = ?"),
               {QStringLiteral("'系统设置','修改密码','报表中心','导出Excel',")});
        const QString insert = QStringLiteral(
            "insert into T_user (UserName, Password, Remark, ckList, djList, qxList, qxGroup, type) "
            "values (?, '', '', '', '', ?, '', ?)");
        q.exec(insert, {QStringLiteral("只看客户"), QStringLiteral("'基础信息','客户管理',"),
                        QStringLiteral("用户")});
        q.exec(insert, {QStringLiteral("报表组"), QStringLiteral("'报表中心','导出Excel',"),
                        QStringLiteral("权限组")});
        q.exec(insert, {QStringLiteral("报表中心管理员"), QStringLiteral("'报表中心管理员',"),
                        QStringLiteral("用户")});
        q.exec(insert, {QStringLiteral("空权限"), QString(), QStringLiteral("用户")});
        q.exec(QStringLiteral("delete from zu_schema"));
        q.exec(QStringLiteral("insert into zu_schema (version) values (?)"), {before});

        SchemaInstaller installer(c);
        QCOMPARE(installer.upgrade(kStatisticsVersion), 1);
        QCOMPARE(installer.version(), kStatisticsVersion);
        QCOMPARE(rightsOf(QStringLiteral("Admin")),
                 QStringLiteral("'系统设置','修改密码','报表中心','导出Excel','统计分析',"));
        QCOMPARE(rightsOf(QStringLiteral("报表组")), QStringLiteral("'报表中心','导出Excel','统计分析',"));
        QCOMPARE(rightsOf(QStringLiteral("只看客户")), QStringLiteral("'基础信息','客户管理',"));
        QCOMPARE(rightsOf(QStringLiteral("报表中心管理员")), QStringLiteral("'报表中心管理员',"));
        QCOMPARE(rightsOf(QStringLiteral("空权限")), QString());
        q.open(QStringLiteral("select code, name from T_popedom where qxName = ?"),
               {QStringLiteral("actStatistics")});
        QCOMPARE(q.value(0).toString(), QStringLiteral("010306"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("统计分析"));
        q.next();
        QVERIFY(q.eof());
        q.close();

        // Taken again (a second workstation's step), it grants and catalogues nothing twice.
        q.exec(QStringLiteral("delete from zu_schema"));
        q.exec(QStringLiteral("insert into zu_schema (version) values (?)"), {before});
        QCOMPARE(installer.upgrade(kStatisticsVersion), 1);
        QCOMPARE(rightsOf(QStringLiteral("报表组")), QStringLiteral("'报表中心','导出Excel','统计分析',"));
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_popedom where qxName = ?"),
                                 {QStringLiteral("actStatistics")}),
                 1);
    }

    // The indexes the statistics read through: in a new database, and added by the upgrade to a
    // database of the version before, its records kept.
    void upgradeIndexesTheFigures_data() { zu::test::addEngineRows(); }
    void upgradeIndexesTheFigures()
    {
        ZU_TEST_DATABASE(db);
        Connection& c = db.dataModule().conn();
        zu::test::addJournal(QStringLiteral("T_service"), QStringLiteral("C1"), QStringLiteral("甲客户"),
                             {{QStringLiteral("serviceDate"), QDateTime(QDate(2024, 1, 5), QTime(9, 0))}});
        checkStepAddsIndexes(c, indexNames(c.dialect().figureIndexes()), 11);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_service")), 1);
    }

    // The indexes the reminder centre counts from: in a new database, and added by the upgrade to
    // a database of the version before, its customers kept.
    void upgradeIndexesTheReminderCounts_data() { zu::test::addEngineRows(); }
    void upgradeIndexesTheReminderCounts()
    {
        ZU_TEST_DATABASE(db);
        Connection& c = db.dataModule().conn();
        const QStringList expected = indexNames(c.dialect().reminderCountIndexes());
        QCOMPARE(expected.size(), 3);
        zu::test::addCustomer(QStringLiteral("甲客户"), QStringLiteral("C1"),
                              {{QStringLiteral("Goodsunit"), QStringLiteral("净水器A")}});
        checkStepAddsIndexes(c, expected, 13);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(
            zu::test::count(QStringLiteral("select count(*) from T_Cust where IDCode = ? and Goodsunit = ?"),
                            {QStringLiteral("C1"), QStringLiteral("净水器A")}),
            1);
    }

    // Where the engine joins by hashing, a plan's count reads the last service of each customer
    // from an index of kinds and codes: in a new database, and added by the upgrade to a database
    // of the version before, its services kept. The embedded engine looks each customer up instead.
    void upgradeIndexesTheLastServices_data() { zu::test::addEngineRows(); }
    void upgradeIndexesTheLastServices()
    {
        ZU_TEST_DATABASE(db);
        Connection& c = db.dataModule().conn();
        const QStringList expected = indexNames(c.dialect().lastServiceIndexes());
        QCOMPARE(expected,
                 db.isServer() ? QStringList{QStringLiteral("ix_service_kindcode")} : QStringList());
        zu::test::addJournal(QStringLiteral("T_service"), QStringLiteral("C1"), QStringLiteral("甲客户"),
                             {{QStringLiteral("hitchName"), QStringLiteral("滤芯更换")}});
        checkStepAddsIndexes(c, expected, 14);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(zu::test::count(
                     QStringLiteral("select count(*) from T_service where CustCode = ? and hitchName = ?"),
                     {QStringLiteral("C1"), QStringLiteral("滤芯更换")}),
                 1);
    }

    // A database of the version before gets the repeat visits of the services it holds, counted
    // in calendar days across the parts the upgrade fills one at a time, their row versions kept;
    // the column is in both service lists, hidden; from then on the database keeps it.
    void upgradeMarksTheRepeatVisitsThereAre_data() { zu::test::addEngineRows(); }
    void upgradeMarksTheRepeatVisitsThereAre()
    {
        ZU_TEST_DATABASE(db);
        constexpr int kRepeatVisitsVersion = 12;
        ConnectionSettings settings;
        const QString error = makeRelease10Database(db, QStringLiteral("before12"), &settings);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const auto drop = qScopeGuard([&] {
            if (db.isServer())
                zu::test::dropServerDatabase(*db.server(), settings.database);
        });
        Connection c(db.dataModule().dialect(), settings);
        QVERIFY2(c.open(), qPrintable(c.lastError()));
        SchemaInstaller installer(c);
        QCOMPARE(installer.upgrade(kRepeatVisitsVersion - 1), kRepeatVisitsVersion - 2);

        const QDate first(2024, 1, 1);
        const struct
        {
            int id;
            QVariant body;
            QVariant when;
        } services[] = {
            {1, QStringLiteral("SN1"), QDateTime(first, QTime(23, 59, 59))},
            {100001, QStringLiteral("SN1"),
             QDateTime(first.addDays(30), QTime(0, 0))}, // 30 days, alone in the last part
            {2, QStringLiteral("SN2"), QDateTime(first, QTime(23, 59, 59))},
            {3, QStringLiteral("SN2"), QDateTime(first.addDays(31), QTime(0, 0))}, // 31 days
            {4, QStringLiteral("SN3"), QDateTime(first, QTime(8, 0))},
            {5, QStringLiteral("SN3"), QDateTime(first, QTime(17, 0))},             // the same day
            {6, QStringLiteral("SN3"), QDateTime(first.addDays(29), QTime(12, 0))}, // 29 days
            {7, QString(), QDateTime(first, QTime(9, 0))},
            {8, QString(), QDateTime(first.addDays(1), QTime(9, 0))}, // no body code
            {9, QVariant(), QDateTime(first.addDays(2), QTime(9, 0))},
            {10, QStringLiteral("SN4"), QVariant()},
            {11, QStringLiteral("SN4"),
             QDateTime(first.addDays(1), QTime(9, 0))}, // after a service without day
        };
        Query q(c);
        q.exec(QStringLiteral("delete from T_service")); // the release's sample records
        for (const auto& s : services)
            q.exec(QStringLiteral(
                       "insert into T_service (id, CustCode, GoodsCode, serviceDate) values (?, ?, ?, ?)"),
                   {s.id, QStringLiteral("C1"), s.body, s.when});
        q.exec(QStringLiteral("update T_service set Remark = ? where id in (2, 6)"),
               {QStringLiteral("改过")});
        const QString versions = QStringLiteral("select id || ':' || RowVersion from T_service order by id");
        const QStringList versionsBefore = rowsOf(c, versions);

        QCOMPARE(installer.upgrade(kRepeatVisitsVersion), 1);
        QCOMPARE(installer.version(), kRepeatVisitsVersion);
        const QString repeats = QStringLiteral("select id from T_service where %1 order by id")
                                    .arg(c.dialect().booleanEquals(QStringLiteral("RepeatVisit"), true));
        QCOMPARE(rowsOf(c, repeats), (QStringList{"6", "100001"}));
        QCOMPARE(rowsOf(c, versions), versionsBefore);
        for (const char* layout : {"T_serviceshow", "T_Serviceshowcust"})
            QCOMPARE(rowsOf(c, QStringLiteral("select Name from T_FieldShow where Field = 'RepeatVisit' and "
                                              "TableName = '%1' and show = %2")
                                   .arg(QLatin1String(layout), c.dialect().falseLiteral)),
                     QStringList{QStringLiteral("返修")});

        q.exec(
            QStringLiteral(
                "insert into T_service (id, CustCode, GoodsCode, serviceDate) values (?, ?, ?, ?)"),
            {200000, QStringLiteral("C1"), QStringLiteral("SN2"), QDateTime(first.addDays(61), QTime(9, 0))});
        q.exec(QStringLiteral("delete from T_service where id = 1"));
        QCOMPARE(rowsOf(c, repeats), (QStringList{"6", "200000"}));
    }

    void embeddedDatabaseIsNeverOverwritten()
    {
        zu::test::TestHome home;
        const QString file = home.file(QStringLiteral("Database/Service.db"));
        createEmbeddedDatabase(file);
        QVERIFY(QFileInfo(file).size() > 0);
        const QDateTime written = QFileInfo(file).lastModified();
        QVERIFY_THROWS_EXCEPTION(CommandError, createEmbeddedDatabase(file));
        QCOMPARE(QFileInfo(file).lastModified(), written);
    }

    void scriptSplitterRespectsQuotesAndComments()
    {
        const QStringList s = splitSqlScript(QStringLiteral("-- a comment; with a semicolon\n"
                                                            "insert into t values ('a;b', 'it''s; fine');\n"
                                                            "create table \"x;y\" (a int);  \n"
                                                            "select 1"));
        QCOMPARE(s.size(), 3);
        QCOMPARE(s[0], QStringLiteral("insert into t values ('a;b', 'it''s; fine')"));
        QCOMPARE(s[1], QStringLiteral("create table \"x;y\" (a int)"));
        QCOMPARE(s[2], QStringLiteral("select 1"));
        QVERIFY(splitSqlScript(QStringLiteral(" ;; \n")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
