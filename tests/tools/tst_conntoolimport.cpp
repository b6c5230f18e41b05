#include "data/query.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace zu;

namespace {

QString fixture(const QString& name)
{
    return QStringLiteral(ZU_IMPORT_FIXTURES "/") + name;
}

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

// zu-conntool import as an administrator runs it.
Run runImport(const QString& home, const QStringList& arguments)
{
    QProcess tool;
    tool.start(qEnvironmentVariable("ZU_CONNTOOL"), QStringList{QStringLiteral("import")} + arguments +
                                                        QStringList{QStringLiteral("--home"), home});
    Run run;
    if (!tool.waitForFinished(120000) || tool.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = tool.exitCode();
    run.out = QString::fromLocal8Bit(tool.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(tool.readAllStandardError());
    return run;
}

using zu::test::count;

} // namespace

class TestConnToolImport final : public QObject
{
    Q_OBJECT
private slots:
    // The same pairing and rules as the window; 1 when some rows did not land.
    void importsAsTheWindowDoes_data() { zu::test::addEngineRows(); }
    void importsAsTheWindowDoes()
    {
        ZU_TEST_DATABASE(db);
        data().T().exec(QStringLiteral("insert into T_Dict_cate (name, code, tableName) values (?, ?, ?)"),
                        {QStringLiteral("空调"), QStringLiteral("01"), QStringLiteral("用户类别")});
        const Run run = runImport(db.home().path(), {fixture(QStringLiteral("writeexcel.xls")),
                                                     QStringLiteral("--user"), QStringLiteral("管理员")});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.out.contains(QStringLiteral("工作表“客户资料”：共 4 条记录")), qPrintable(run.out));
        QVERIFY2(run.out.contains(QStringLiteral("客户名称 ← 客户名称")), qPrintable(run.out));
        QVERIFY2(run.out.contains(QStringLiteral("导入数据完成,导入成功 3 条,导入失败 1 条")),
                 qPrintable(run.out));
        QVERIFY2(run.out.contains(QStringLiteral("第 3 行：已导入，但没有名为“冰箱”的客户类别")),
                 qPrintable(run.out));
        QCOMPARE(run.err.trimmed(), QStringLiteral("第 5 行：客户名称不能为空"));
        QCOMPARE(
            count(QStringLiteral("select count(*) from T_Cust where exeMen = ?"), {QStringLiteral("管理员")}),
            3);
        QCOMPARE(
            count(QStringLiteral("select count(*) from T_Cust where TypeCode = ?"), {QStringLiteral("01")}),
            1);
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust where Phone = ?"),
                       {QStringLiteral("05718800123")}),
                 1);
        // The mapping table keeps no pairing from the command.
        QCOMPARE(count(QStringLiteral("select count(*) from t_Import where F_Field <> ?"),
                       {QString(QLatin1String(""))}),
                 0);
    }

    void everyRowLandedIsZero()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        const Run run = runImport(db.home().path(), {fixture(QStringLiteral("workbook.xlsx")),
                                                     QStringLiteral("--sheet"), QStringLiteral("2")});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 3);
    }

    // A dry run checks every row, a duplicate within the file too, and keeps nothing.
    void dryRunKeepsNothing_data() { zu::test::addEngineRows(); }
    void dryRunKeepsNothing()
    {
        ZU_TEST_DATABASE(db);
        const Run run = runImport(db.home().path(),
                                  {fixture(QStringLiteral("customers.csv")), QStringLiteral("--dry-run")});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.out.contains(QStringLiteral("试运行")), qPrintable(run.out));
        QVERIFY2(run.out.contains(QStringLiteral("导入成功 5 条,导入失败 1 条")), qPrintable(run.out));
        QVERIFY2(run.err.startsWith(QStringLiteral("第 4 行：客户编码“A001”已经存在，不能重复（")),
                 qPrintable(run.err));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 0);
    }

    void unreadableFileIsTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file")
            << QStringList{QStringLiteral("/没有/这个.xls")} << QStringLiteral("文件不存在");
        QTest::newRow("no such sheet") << QStringList{fixture(QStringLiteral("workbook.xls")),
                                                      QStringLiteral("--sheet"), QStringLiteral("9")}
                                       << QStringLiteral("没有第 9 个");
        QTest::newRow("sheet zero") << QStringList{fixture(QStringLiteral("workbook.xls")),
                                                   QStringLiteral("--sheet"), QStringLiteral("0")}
                                    << QStringLiteral("--sheet");
        QTest::newRow("no file named") << QStringList{} << QStringLiteral("用法");
    }
    void unreadableFileIsTwo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        const Run run = runImport(db.home().path(), arguments);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 0);
    }

    void damagedFileIsTwoNotACrash()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        QFile good(fixture(QStringLiteral("customers.xls")));
        QVERIFY(good.open(QIODevice::ReadOnly));
        QByteArray bytes = good.readAll();
        for (qsizetype i = 600; i < bytes.size(); i += 97)
            bytes[i] = static_cast<char>(~bytes[i]);
        QTemporaryDir dir;
        QFile damaged(dir.filePath(QStringLiteral("damaged.xls")));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(bytes);
        damaged.close();
        const Run run = runImport(db.home().path(), {damaged.fileName()});
        QVERIFY2(run.status == 2 || run.status == 1 || run.status == 0, qPrintable(run.err));
        if (run.status == 2)
            QVERIFY2(run.err.startsWith(QStringLiteral("无法读取文件")), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestConnToolImport)
#include "tst_conntoolimport.moc"
