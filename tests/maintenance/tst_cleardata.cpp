#include "customers/tfrmcustom.h"
#include "data/datamodule.h"
#include "data/query.h"
#include "maintenance/backupnames.h"
#include "maintenance/cleardata.h"
#include "maintenance/embeddedbackup.h"
#include "maintenance/tfrmcleardata.h"
#include "support/records.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"
#include "users/permissions.h"
#include "widgets/mdichild.h"

#include <QDir>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest>

using namespace zu;
using zu::test::control;
using zu::test::ScriptedDialogs;

namespace {

const QString kCatalogue = QStringLiteral("数据初始化");

int count(const QString& sql, const QVariantList& values = {})
{
    Query q(data().conn());
    q.open(sql, values);
    return q.value(0).toInt();
}

// Replaces the delivered entries by the test's own.
void setCatalogue(const QList<QStringList>& rows)
{
    data().T().exec(QStringLiteral("delete from T_popedom where tablename = ?"), {kCatalogue});
    for (const QStringList& row : rows)
        data().T().exec(
            QStringLiteral("insert into T_popedom (tablename, code, name, qxName) values (?, ?, ?, ?)"),
            {kCatalogue, row[0], row[1], row[2]});
}

// A statement that leaves a trace of having run.
QString mark(const char* what)
{
    return QStringLiteral("insert into T_Dict_cate (name, tableName) values ('%1', 'log')")
        .arg(QString::fromUtf8(what));
}

QStringList marks()
{
    QStringList out;
    Query q(data().conn());
    q.open(QStringLiteral("select name from T_Dict_cate where tableName = 'log' order by id"));
    for (; !q.eof(); q.next())
        out << q.value(0).toString();
    return out;
}

using zu::test::addCustomer;

// What the window said after its question: the first line of each message (the success message
// goes on to name the copy taken before clearing).
QStringList said(const ScriptedDialogs& dialogs)
{
    QStringList out;
    for (const QString& text : dialogs.messages())
        if (text != clearDataQuestion())
            out << text.section(QLatin1Char('\n'), 0, 0);
    return out;
}

struct ClearWindow
{
    TfrmClearData window;
    ClearWindow() { window.show(); }
    QTreeWidget* tree() { return control<QTreeWidget>(&window, "RzCheckTree1"); }
    void check(const QString& caption)
    {
        const auto found = tree()->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
        QVERIFY2(found.size() == 1, qPrintable(caption));
        found.first()->setCheckState(0, Qt::Checked);
    }
    // 初始化, answering the question before anything is cleared with Yes.
    void run(ScriptedDialogs& dialogs)
    {
        dialogs.answer(QMessageBox::Yes);
        control<QPushButton>(&window, "btnPost")->click();
    }
};

} // namespace

class TestClearData final : public QObject
{
    Q_OBJECT
private slots:
    void splitsAtEverySemicolon()
    {
        QCOMPARE(splitClearStatements(QStringLiteral("a;b;")),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
        // Text after the last ";" is no statement.
        QCOMPARE(splitClearStatements(QStringLiteral("a;b")), QStringList{QStringLiteral("a")});
        QCOMPARE(splitClearStatements(QStringLiteral("no semicolon")), QStringList());
        QCOMPARE(splitClearStatements(QStringLiteral("a;;b;")),
                 (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
        // Quotes are not looked at.
        QCOMPARE(splitClearStatements(QStringLiteral("x='1;2';")),
                 (QStringList{QStringLiteral("x='1"), QStringLiteral("2'")}));
    }

    void windowShowsTheWholeTree()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        ClearWindow w;
        QCOMPARE(w.window.windowTitle(), QStringLiteral("数据初始化"));
        QCOMPARE(control<QPlainTextEdit>(&w.window, "mmNotice")->toPlainText(),
                 QStringLiteral("友情提示：若您有重要数据，请事先最好备份！"));
        QVERIFY(control<QPlainTextEdit>(&w.window, "mmNotice")->isReadOnly());
        QCOMPARE(control<QPushButton>(&w.window, "btnPost")->text(), QStringLiteral("初始化&S"));
        QCOMPARE(control<QPushButton>(&w.window, "btnClose")->text(), QStringLiteral("关闭&C"));
        QCOMPARE(w.window.minimumSize(), w.window.maximumSize());
        QTreeWidgetItem* root = w.tree()->topLevelItem(0);
        QCOMPARE(root->text(0), QStringLiteral("数据初始化"));
        int nodes = 0;
        for (QTreeWidgetItemIterator it(w.tree()); *it; ++it, ++nodes)
            if ((*it)->childCount() > 0)
                QVERIFY2((*it)->isExpanded(), qPrintable((*it)->text(0)));
        QCOMPARE(nodes, 8);
        QVERIFY(root->child(0)->isExpanded());

        // Nothing checked: told so, nothing runs.
        addCustomer(QStringLiteral("甲"));
        w.run(dialogs);
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("请您至少选择一个表进行清除！")});
        QCOMPARE(dialogs.last().title, QStringLiteral("提示"));
        QCOMPARE(dialogs.last().icon, QMessageBox::Question);
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 1);
    }

    void parentRunsItsOwnAndItsChildrensStatementsOnce_data() { zu::test::addEngineRows(); }
    void parentRunsItsOwnAndItsChildrensStatementsOnce()
    {
        ZU_TEST_DATABASE(db);
        setCatalogue({{QStringLiteral("01"), QStringLiteral("父"), mark("父") + QLatin1Char(';')},
                      {QStringLiteral("0101"), QStringLiteral("子一"), mark("子一") + QLatin1Char(';')},
                      {QStringLiteral("0102"), QStringLiteral("子二"),
                       mark("子二") + QLatin1Char(';') + mark("子二又") + QLatin1Char(';')},
                      {QStringLiteral("0103"), QStringLiteral("空"), QString()},
                      {QStringLiteral("02"), QStringLiteral("其他"), mark("其他") + QLatin1Char(';')}});
        ScriptedDialogs dialogs;
        {
            ClearWindow w;
            w.check(QStringLiteral("父"));
            w.run(dialogs);
            QCOMPARE(said(dialogs), QStringList{QStringLiteral("初始化成功！")});
            QCOMPARE(dialogs.last().title, QStringLiteral("提示"));
            QCOMPARE(marks(), (QStringList{QStringLiteral("父"), QStringLiteral("子一"),
                                           QStringLiteral("子二"), QStringLiteral("子二又")}));
        }
        // A partly checked parent runs too, with only the checked child.
        data().T().exec(QStringLiteral("delete from T_Dict_cate where tableName = 'log'"));
        dialogs.clear();
        ClearWindow w;
        w.check(QStringLiteral("子二"));
        QCOMPARE(w.tree()
                     ->findItems(QStringLiteral("父"), Qt::MatchExactly | Qt::MatchRecursive)
                     .first()
                     ->checkState(0),
                 Qt::PartiallyChecked);
        w.run(dialogs);
        QCOMPARE(marks(),
                 (QStringList{QStringLiteral("父"), QStringLiteral("子二"), QStringLiteral("子二又")}));
        QCOMPARE(said(dialogs), QStringList{QStringLiteral("初始化成功！")});
    }

    void textAfterTheLastSemicolonRunsOnIntoTheNextRow_data() { zu::test::addEngineRows(); }
    void textAfterTheLastSemicolonRunsOnIntoTheNextRow()
    {
        ZU_TEST_DATABASE(db);
        const QString full = mark("乙");
        const int cut = full.indexOf(QStringLiteral("values"));
        setCatalogue(
            {{QStringLiteral("01"), QStringLiteral("甲"), mark("甲") + QLatin1Char(';') + full.left(cut)},
             {QStringLiteral("02"), QStringLiteral("乙"), full.mid(cut) + QLatin1Char(';') + mark("丙")}});
        ScriptedDialogs dialogs;
        ClearWindow w;
        w.check(QStringLiteral("甲"));
        w.check(QStringLiteral("乙"));
        w.run(dialogs);
        QCOMPARE(said(dialogs), QStringList{QStringLiteral("初始化成功！")});
        // 乙's statement was joined from both rows; 丙's, without a final ";", was not run.
        QCOMPARE(marks(), (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
    }

    void aFailingStatementUndoesEverything_data() { zu::test::addEngineRows(); }
    void aFailingStatementUndoesEverything()
    {
        ZU_TEST_DATABASE(db);
        addCustomer(QStringLiteral("甲"));
        addCustomer(QStringLiteral("乙"));
        data().T().exec(QStringLiteral("insert into T_service (CustCode, CustName) values (?, ?)"),
                        {QStringLiteral("甲"), QStringLiteral("甲")});
        setCatalogue(
            {{QStringLiteral("01"), QStringLiteral("全部"), QString()},
             {QStringLiteral("0101"), QStringLiteral("客户"),
              QStringLiteral("delete from T_Cust;delete from T_service;")},
             {QStringLiteral("0102"), QStringLiteral("坏的"), QStringLiteral("delete from no_such_table;")}});
        ScriptedDialogs dialogs;
        ClearWindow w;
        w.check(QStringLiteral("全部"));
        w.run(dialogs);
        QCOMPARE(dialogs.shown().size(), 2); // the question, then the error
        QCOMPARE(dialogs.last().title, QStringLiteral("错误"));
        QVERIFY2(dialogs.last().text.contains(QStringLiteral("no_such_table")),
                 qPrintable(dialogs.last().text));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 2);
        QCOMPARE(count(QStringLiteral("select count(*) from T_service")), 1);
        // The connection stays usable.
        addCustomer(QStringLiteral("丙"));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 3);
    }

    void clearingReconnectsAndRefreshesTheCustomerWindow_data() { zu::test::addEngineRows(); }
    void clearingReconnectsAndRefreshesTheCustomerWindow()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addCustomer(QStringLiteral("甲"));
        addCustomer(QStringLiteral("乙"));
        d.T().exec(QStringLiteral("insert into T_Dict_cate (name, code, tableName) values (?, ?, ?)"),
                   {QStringLiteral("空调"), QStringLiteral("01"), QStringLiteral("用户类别")});
        d.T().exec(QStringLiteral("insert into T_type (caption) values (?)"), {QStringLiteral("保留")});
        QMdiArea area;
        area.show();
        TfrmCustom* customers = ShowMdiChild(&area, TfrmCustom::reference());
        auto* categories = control<QTreeWidget>(customers, "tvCuston");
        QCOMPARE(categories->topLevelItem(0)->childCount(), 1);
        QCOMPARE(d.qryCustom().recordCount(), 2);

        ScriptedDialogs dialogs;
        ClearWindow w;
        w.check(QStringLiteral("客户资料"));
        w.check(QStringLiteral("客户类别"));
        w.run(dialogs);
        QCOMPARE(said(dialogs), QStringList{QStringLiteral("初始化成功！")});
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from T_Dict_cate where tableName = ?"),
                       {QStringLiteral("用户类别")}),
                 0);
        // What was not checked stays.
        QCOMPARE(count(QStringLiteral("select count(*) from T_type")), 1);
        // The customer window shows what is left: its tree reloaded, its list open again.
        QCOMPARE(categories->topLevelItem(0)->childCount(), 0);
        QCOMPARE(categories->currentItem(), categories->topLevelItem(0));
        QVERIFY(d.qryCustom().isOpen());
        QCOMPARE(d.qryCustom().recordCount(), 0);
        QVERIFY(d.conn().isOpen());
    }

    void embeddedDatabaseIsBackedUpFirst()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addCustomer(QStringLiteral("甲"));
        addCustomer(QStringLiteral("乙"));
        ScriptedDialogs dialogs;
        ClearWindow w;
        w.check(QStringLiteral("客户资料"));
        w.run(dialogs);
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 0);
        const QString folder = db.home().file(QStringLiteral("Backup"));
        const QStringList copies =
            QDir(folder).entryList({QString::fromLatin1(kBeforeClearing) + QLatin1Char('*')}, QDir::Files);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(QDir::toNativeSeparators(folder + QLatin1Char('/') + copies.first()),
                 w.window.lastSafetyCopy());
        QVERIFY(copies.first().endsWith(QStringLiteral(".db")));
        QCOMPARE(embeddedDatabaseFault(w.window.lastSafetyCopy()), QString());
        {
            QSqlDatabase copy = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("copy"));
            copy.setDatabaseName(w.window.lastSafetyCopy());
            QVERIFY(copy.open());
            QSqlQuery q(copy);
            QVERIFY(q.exec(QStringLiteral("select count(*) from T_Cust")) && q.next());
            QCOMPARE(q.value(0).toInt(), 2);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("copy"));
    }

    void refusedWithoutTheRightOfBackupAndRestore()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addCustomer(QStringLiteral("甲"));
        applyUserRights(data().F(), QStringLiteral("'客户管理',"));
        ScriptedDialogs dialogs;
        ClearWindow w;
        QVERIFY(!control<QPushButton>(&w.window, "btnPost")->isEnabled());
        w.check(QStringLiteral("客户资料"));
        w.run(dialogs);
        QVERIFY(dialogs.shown().isEmpty());
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 1);
    }

    void askedFirstAndToldWhereTheCopyIs_data() { zu::test::addEngineRows(); }
    void askedFirstAndToldWhereTheCopyIs()
    {
        ZU_TEST_DATABASE(db);
        addCustomer(QStringLiteral("甲"));
        applyUserRights(data().F(), QStringLiteral("'数据备份及还原',"));
        ScriptedDialogs dialogs;
        ClearWindow w;
        QVERIFY(control<QPushButton>(&w.window, "btnPost")->isEnabled());
        w.check(QStringLiteral("客户资料"));
        // No (also what Enter gives): nothing cleared, no copy taken.
        dialogs.answer(QMessageBox::No);
        control<QPushButton>(&w.window, "btnPost")->click();
        QCOMPARE(dialogs.messages(),
                 QStringList{QStringLiteral("此操作将删除所选的全部数据，且不可恢复。确定要继续吗？")});
        QCOMPARE(dialogs.last().title, QStringLiteral("警告"));
        QCOMPARE(dialogs.last().buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 1);
        QVERIFY(w.window.lastSafetyCopy().isEmpty());

        dialogs.clear();
        w.run(dialogs);
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 0);
        QCOMPARE(dialogs.messages().size(), 2);
        if (db.isServer()) {
            QCOMPARE(dialogs.messages().last(), QStringLiteral("初始化成功！"));
        } else {
            QVERIFY(QFileInfo::exists(w.window.lastSafetyCopy()));
            QCOMPARE(dialogs.messages().last(),
                     QStringLiteral("初始化成功！\n初始化前的数据已备份在:") + w.window.lastSafetyCopy());
        }
    }
};

QTEST_MAIN(TestClearData)
#include "tst_cleardata.moc"
