#include "app/commands.h"
#include "app/entrysequence.h"
#include "app/tfrmlogin.h"
#include "app/tfrmmain.h"
#include "customers/tfrmcustom.h"
#include "output/reports/reportcommands.h"
#include "report/designer/designcanvas.h"
#include "report/designer/designermodel.h"
#include "report/designer/reportdesigner.h"
#include "report/shippedtemplates.h"
#include "report/templatefile.h"
#include "support/pdftext.h"
#include "support/records.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace zu;
using zu::test::printPreviewToText;
using zu::test::ScriptedDialogs;
using zu::test::whenModal;

namespace {

// The shipped templates into the test's program folder.
void installTemplates(const zu::test::TestHome& home)
{
    QString error;
    if (!installShippedTemplates(home.file(QStringLiteral("Reports")), nullptr, &error))
        qFatal("%s", qPrintable(error));
}

void addCustomer(zu::test::TestDatabase& db, const QString& name, const QString& code,
                 const QString& typeCode)
{
    zu::test::addCustomer(
        name, code,
        {{QStringLiteral("TypeCode"), typeCode}, {QStringLiteral("Address"), QStringLiteral("北京路1号")}});
}

// The designer a command opens: what it shows, then closed without changes.
struct DesignerSeen
{
    QString title;
    int bands = -1;
    bool modal = false;
};

} // namespace

class TestReports final : public QObject
{
    Q_OBJECT
private slots:
    void printCommandsPreviewTheirTemplates_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("file");
        QTest::newRow("detail") << QStringLiteral("actCustsheet") << QString::fromUtf8(kCustomerSheetReport);
        QTest::newRow("list") << QStringLiteral("actcensus") << QString::fromUtf8(kCustomerListReport);
        QTest::newRow("envelope") << QStringLiteral("actEnvelope") << QString::fromUtf8(kEnvelopeReport);
        QTest::newRow("labels") << QStringLiteral("actlabel") << QString::fromUtf8(kLabelReport);
    }
    void printCommandsPreviewTheirTemplates()
    {
        QFETCH(QString, action);
        QFETCH(QString, file);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        installTemplates(db.home());
        db.dataModule().T().exec(
            QStringLiteral("insert into T_Cust (CustName, IDCode, Address) values (?, ?, ?)"),
            {QStringLiteral("李建国"), QStringLiteral("KH1"), QStringLiteral("北京路1号")});
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        QVERIFY(main.action(action)->isEnabled());
        QString title;
        int pages = -1;
        QPageLayout::Orientation shown = QPageLayout::Portrait;
        whenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
            title = preview->windowTitle();
            QCoreApplication::processEvents();
            if (auto* widget = preview->findChild<QPrintPreviewWidget*>()) {
                pages = widget->pageCount();
                shown = widget->orientation();
            }
            preview->reject();
        });
        main.action(action)->trigger();
        QCOMPARE(title, QStringLiteral("打印预览 - ") + file);
        QVERIFY2(pages >= 1, qPrintable(QString::number(pages)));
        // The pages lie as the template has them (the list is landscape).
        ReportTemplate t;
        QString error;
        QVERIFY2(loadTemplate(reportTemplatePath(file), &t, &error), qPrintable(error));
        QCOMPARE(shown, t.page.orientation);
        QVERIFY2(dialogs.shown().isEmpty(), qPrintable(dialogs.messages().join(QLatin1Char('\n'))));
    }

    void eachCommandPrintsItsOwnTemplate()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        installTemplates(db.home());
        addCustomer(db, QStringLiteral("李建国"), QStringLiteral("KH1"), QString());
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        QTemporaryDir out;
        QStringList printed;
        for (const char* action : {"actCustsheet", "actcensus", "actCustsheet"}) {
            whenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
                printed << printPreviewToText(preview,
                                              out.filePath(QStringLiteral("%1.pdf").arg(printed.size())));
                preview->reject();
            });
            main.action(QString::fromLatin1(action))->trigger();
        }
        QCOMPARE(printed.size(), 3);
        QVERIFY2(printed[0].contains(QStringLiteral("客户详细资料")), qPrintable(printed[0]));
        QVERIFY2(printed[1].contains(QStringLiteral("客户统计列表")), qPrintable(printed[1]));
        QVERIFY2(!printed[1].contains(QStringLiteral("客户详细资料")), qPrintable(printed[1]));
        QVERIFY2(!printed[2].contains(QStringLiteral("客户统计列表")), qPrintable(printed[2]));
        QVERIFY2(printed[2].contains(QStringLiteral("李建国")), qPrintable(printed[2]));
        QVERIFY(dialogs.shown().isEmpty());
    }

    void missingTemplateEndsTheCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("file");
        QTest::newRow("preview") << QStringLiteral("actlabel") << QString::fromUtf8(kLabelReport);
        QTest::newRow("designer") << QStringLiteral("N32") << QString::fromUtf8(kWorkOrderReport);
    }
    void missingTemplateEndsTheCommand()
    {
        QFETCH(QString, command);
        QFETCH(QString, file);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        bool opened = false;
        QObject watch;
        auto close = [&opened](QDialog* dialog) {
            opened = true;
            dialog->reject();
        };
        whenModal<QPrintPreviewDialog>(close, &watch);
        whenModal<ReportDesigner>(close, &watch);
        main.action(command)->trigger();
        // A window opened modally would have been met and closed before trigger() returned.
        QCoreApplication::processEvents();
        QVERIFY(!opened);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY2(dialogs.last().text.contains(file), qPrintable(dialogs.last().text));
        QCOMPARE(dialogs.last().icon, QMessageBox::Critical);
    }

    void workOrderPrintsWithoutPrintRights()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        installTemplates(db.home());
        db.dataModule().setCurrentUserRights(QStringLiteral("'客户管理',"));
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        main.ApplyUserRights();
        QVERIFY(!main.action(QStringLiteral("actcensus"))->isEnabled());
        main.resize(1000, 700);
        main.show(); // opens the customer window
        TfrmCustom* customers = TfrmCustom::instance();
        QVERIFY(customers);
        auto* item = customers->findChild<QAction*>(QStringLiteral("N29"));
        QVERIFY(item->isEnabled());
        QString title;
        whenModal<QPrintPreviewDialog>([&title](QPrintPreviewDialog* preview) {
            title = preview->windowTitle();
            preview->reject();
        });
        item->trigger();
        QVERIFY2(dialogs.messages().isEmpty(), qPrintable(dialogs.messages().join(QLatin1Char('\n'))));
        QCOMPARE(title, QStringLiteral("打印预览 - ") + QString::fromUtf8(kWorkOrderReport));
        QVERIFY(dialogs.messages().isEmpty());
    }

    void designCommandsOpenTheirTemplates_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("file");
        QTest::newRow("detail") << QStringLiteral("N25") << QString::fromUtf8(kCustomerSheetReport);
        // "客户统计列表设置" designs the dispatch sheet, "客户列表设置" the customer list.
        QTest::newRow("statistics list") << QStringLiteral("N32") << QString::fromUtf8(kWorkOrderReport);
        QTest::newRow("envelope") << QStringLiteral("N33") << QString::fromUtf8(kEnvelopeReport);
        QTest::newRow("list") << QStringLiteral("N34") << QString::fromUtf8(kCustomerListReport);
        QTest::newRow("labels") << QStringLiteral("N35") << QString::fromUtf8(kLabelReport);
    }
    void designCommandsOpenTheirTemplates()
    {
        QFETCH(QString, item);
        QFETCH(QString, file);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        installTemplates(db.home());
        // A user without the four print rights designs every template all the same.
        db.dataModule().setCurrentUserRights(QStringLiteral("'客户管理',"));
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        main.ApplyUserRights();
        QVERIFY(!main.action(QStringLiteral("actCustsheet"))->isEnabled());
        QVERIFY(main.action(item)->isEnabled());
        ReportTemplate expected;
        QString error;
        QVERIFY2(loadTemplate(reportTemplatePath(file), &expected, &error), qPrintable(error));
        DesignerSeen seen;
        whenModal<ReportDesigner>([&seen](ReportDesigner* designer) {
            seen.title = designer->windowTitle();
            seen.bands = int(designer->model().report().bands.size());
            seen.modal = designer->isModal() && designer->isWindow();
            designer->reject();
        });
        main.action(item)->trigger();
        QVERIFY2(dialogs.shown().isEmpty(), qPrintable(dialogs.messages().join(QLatin1Char('\n'))));
        QCOMPARE(seen.title, QStringLiteral("报表设计 - ") + file);
        QCOMPARE(seen.bands, int(expected.bands.size()));
        QVERIFY(seen.modal);
    }

    void savedDesignIsPrintedByTheNextCommand()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        installTemplates(db.home());
        addCustomer(db, QStringLiteral("李建国"), QStringLiteral("KH1"), QString());
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        // "客户列表设置": the title of the list becomes another one and is saved.
        whenModal<ReportDesigner>([](ReportDesigner* designer) {
            DesignerModel& model = designer->model();
            const int title = 0;
            QCOMPARE(model.report().bands.value(title).type, ReportBand::Type::ReportTitle);
            ReportObject heading = model.report().bands[title].objects.value(0);
            heading.text = QStringLiteral("年度客户清单");
            model.updateObject(title, 0, heading, QStringLiteral("text"));
            designer->findChild<QAction*>(QStringLiteral("actSave"))->trigger();
            designer->reject();
        });
        main.action(QStringLiteral("N34"))->trigger();
        QVERIFY2(dialogs.shown().isEmpty(), qPrintable(dialogs.messages().join(QLatin1Char('\n'))));

        QTemporaryDir out;
        QString printed;
        whenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
            printed = printPreviewToText(preview, out.filePath(QStringLiteral("list.pdf")));
            preview->reject();
        });
        main.action(QStringLiteral("actcensus"))->trigger();
        QVERIFY2(printed.contains(QStringLiteral("年度客户清单")), qPrintable(printed));
        QVERIFY2(!printed.contains(QStringLiteral("客户统计列表")), qPrintable(printed));
        QVERIFY2(printed.contains(QStringLiteral("李建国")), qPrintable(printed));
    }

    void startingTheProgramPutsMissingTemplatesInPlace()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"), false);
        QVERIFY2(db.ok(), qPrintable(db.error()));
        const QDir reports(db.home().file(QStringLiteral("Reports")));
        QVERIFY(!reports.exists());
        ScriptedDialogs dialogs;
        auto startAndLeave = [&] {
            EntrySequence entry(db.home().path());
            whenModal<TfrmLogin>(
                [](TfrmLogin* login) { zu::test::control<QPushButton>(login, "Btn_Exit")->click(); });
            QVERIFY(!entry.start());
        };
        startAndLeave();
        QCOMPARE(reports.entryList({QStringLiteral("*.fr3")}, QDir::Files).size(), 5);
        // The user's own list stays; a deleted label template comes back.
        db.home().write(QStringLiteral("Reports/客户列表.fr3"), "<report version=\"1\" name=\"我的\"/>");
        QVERIFY(QFile::remove(reports.filePath(QStringLiteral("信封标签打印.fr3"))));
        startAndLeave();
        QFile own(reports.filePath(QStringLiteral("客户列表.fr3")));
        QVERIFY(own.open(QIODevice::ReadOnly));
        QCOMPARE(own.readAll(), QByteArray("<report version=\"1\" name=\"我的\"/>"));
        QVERIFY(QFile::exists(reports.filePath(QStringLiteral("信封标签打印.fr3"))));
        QVERIFY(dialogs.messages().isEmpty());
    }

    void listOfAnEmptyCategoryHasNoRows()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        installTemplates(db.home());
        for (const auto& [code, name] : {std::pair{"01", "家用空调"}, std::pair{"02", "冰箱"}})
            db.dataModule().T().exec(
                QStringLiteral("insert into T_Dict_cate (name, code, tableName) values (?, ?, ?)"),
                {QString::fromUtf8(name), QString::fromLatin1(code), QStringLiteral("用户类别")});
        addCustomer(db, QStringLiteral("李建国"), QStringLiteral("KH1"), QStringLiteral("01"));
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        main.resize(1000, 700);
        main.show(); // opens the customer window
        TfrmCustom* customers = TfrmCustom::instance();
        QVERIFY(customers);
        auto* tree = customers->findChild<QTreeWidget*>(QStringLiteral("tvCuston"));
        const auto found = tree->findItems(QStringLiteral("02-冰箱"), Qt::MatchExactly | Qt::MatchRecursive);
        QVERIFY(!found.isEmpty());
        tree->setCurrentItem(found.first());
        emit tree->itemClicked(found.first(), 0);
        QCOMPARE(db.dataModule().qryCustom().recordCount(), 0);

        QTemporaryDir out;
        QString printed;
        int pages = -1;
        whenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
            QCoreApplication::processEvents();
            pages = preview->findChild<QPrintPreviewWidget*>()->pageCount();
            printed = printPreviewToText(preview, out.filePath(QStringLiteral("empty.pdf")));
            preview->reject();
        });
        main.action(QStringLiteral("actcensus"))->trigger();
        QVERIFY(dialogs.shown().isEmpty());
        QCOMPARE(pages, 1);
        QVERIFY2(printed.contains(QStringLiteral("客户统计列表")), qPrintable(printed));
        QVERIFY2(printed.contains(QStringLiteral("客户名称")), qPrintable(printed)); // the column titles
        QVERIFY2(!printed.contains(QStringLiteral("李建国")), qPrintable(printed));
        QVERIFY2(printed.contains(QStringLiteral("共 0 位客户")), qPrintable(printed));
    }
};

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
