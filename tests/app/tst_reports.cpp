#include "app/commands.h"
#include "app/tfrmmain.h"
#include "customers/tfrmcustom.h"
#include "output/reports/reportpreview.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QtTest>

using namespace zu;
using zu::test::ScriptedDialogs;
using zu::test::whenModal;

namespace {

// The shipped templates into the test's program folder.
void installTemplates(const zu::test::TestHome& home)
{
    const QDir shipped(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/Reports"));
    QDir().mkpath(home.file(QStringLiteral("Reports")));
    for (const QString& name : shipped.entryList({QStringLiteral("*.fr3")}, QDir::Files))
        QFile::copy(shipped.filePath(name), home.file(QStringLiteral("Reports/") + name));
}

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
        db.dataModule().T().exec(QStringLiteral("insert into T_Cust (CustName, IDCode, Address) values (?, ?, ?)"),
                                 {QStringLiteral("李建国"), QStringLiteral("KH1"), QStringLiteral("北京路1号")});
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        QVERIFY(main.action(action)->isEnabled());
        QString title;
        int pages = -1;
        whenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
            title = preview->windowTitle();
            QCoreApplication::processEvents();
            if (auto* widget = preview->findChild<QPrintPreviewWidget*>())
                pages = widget->pageCount();
            preview->reject();
        });
        main.action(action)->trigger();
        QCOMPARE(title, QStringLiteral("打印预览 - ") + file);
        QVERIFY2(pages >= 1, qPrintable(QString::number(pages)));
        QVERIFY2(dialogs.shown().isEmpty(), qPrintable(dialogs.messages().join(QLatin1Char('\n'))));
    }

    void missingTemplateEndsTheCommand()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        bool previewed = false;
        QObject watch;
        whenModal<QPrintPreviewDialog>(
            [&previewed](QPrintPreviewDialog* preview) {
                previewed = true;
                preview->reject();
            },
            &watch);
        main.action(QStringLiteral("actlabel"))->trigger();
        QTest::qWait(50);
        QVERIFY(!previewed);
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY2(dialogs.last().text.contains(QString::fromUtf8(kLabelReport)), qPrintable(dialogs.last().text));
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
};

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
