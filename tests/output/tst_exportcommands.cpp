#include "freexlbook.h"

#include "app/commands.h"
#include "app/tfrmmain.h"
#include "columns/listgrid.h"
#include "customers/tfrmcustom.h"
#include "journals/tfrmjournalqry.h"
#include "maintenance/import/tfrmimport.h"
#include "reminders/tfrmremind.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"

#include <QAbstractButton>
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QtTest>

using namespace zu;
using zu::test::control;
using zu::test::ScriptedDialogs;
using zu::test::whenModal;

namespace {

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

// The name a command proposed in the save dialog it showed; empty when it showed none.
template <typename F> QString proposedBy(ScriptedDialogs& dialogs, F command)
{
    dialogs.clear();
    command();
    for (const auto& shown : dialogs.shown())
        if (shown.kind == QLatin1String("save"))
            return shown.text;
    return dialogs.messages().join(QLatin1Char('|'));
}

// Runs a modal list window's command and has its export button pressed in it.
template <typename Window>
QString proposedByListWindow(ScriptedDialogs& dialogs, TfrmMain& main, const char* action)
{
    whenModal<Window>([](Window* window) {
        control<QAbstractButton>(window, "btndaochu")->click();
        window->reject();
    });
    return proposedBy(dialogs, [&] { main.action(QString::fromLatin1(action))->trigger(); });
}

void press(QWidget* window, const char* button)
{
    control<QAbstractButton>(window, button)->click();
}

} // namespace

class TestExportCommands final : public QObject
{
    Q_OBJECT
private slots:
    void everyListExportsWithItsName()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        Query& t = data().T();
        t.exec(QStringLiteral("insert into T_Cust (CustName, IDCode) values (?, ?)"),
               {QStringLiteral("甲"), QStringLiteral("K1")});
        for (const char* table : {"T_service", "T_call", "T_complain"})
            t.exec(
                QStringLiteral("insert into %1 (CustCode, CustName) values (?, ?)").arg(QLatin1String(table)),
                {QStringLiteral("K1"), QStringLiteral("甲")});
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        main.show();
        TfrmCustom* customers = TfrmCustom::instance();
        QVERIFY(customers);

        QCOMPARE(proposedBy(dialogs, [&] { main.action(QStringLiteral("actexport"))->trigger(); }),
                 QStringLiteral("客户信息") + today());
        QCOMPARE(proposedBy(dialogs, [&] { press(customers, "ToolButton4"); }),
                 QStringLiteral("客户信息") + today());
        QCOMPARE(proposedBy(dialogs, [&] { control<QAction>(customers, "Excel1")->trigger(); }),
                 QStringLiteral("客户信息") + today());
        QCOMPARE(proposedBy(dialogs, [&] { press(customers, "ToolButton11"); }),
                 QStringLiteral("维修记录") + today());
        QCOMPARE(proposedBy(dialogs, [&] { press(customers, "ToolButton15"); }),
                 QStringLiteral("回访信息") + today());
        QCOMPARE(proposedBy(dialogs, [&] { press(customers, "ToolButton19"); }),
                 QStringLiteral("投诉信息") + today());
        QCOMPARE(proposedByListWindow<TfrmServerqry>(dialogs, main, "actService"),
                 QStringLiteral("维护记录信息") + today());
        QCOMPARE(proposedByListWindow<TfrmCellqry>(dialogs, main, "actCall"),
                 QStringLiteral("回访记录信息") + today());
        QCOMPARE(proposedByListWindow<TfrmComplainqry>(dialogs, main, "actcomplain"),
                 QStringLiteral("投诉信息") + today());

        t.exec(QStringLiteral("update T_Cust set remind = ?"),
               {QDateTime(QDate::currentDate(), QTime(0, 0))});
        QCOMPARE(proposedByListWindow<TfrmRemind>(dialogs, main, "actremind"),
                 QStringLiteral("客户提醒") + today());
    }

    void mainWindowExportOpensTheCustomerWindowFirst()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        data().T().exec(QStringLiteral("insert into T_Cust (CustName, IDCode) values (?, ?)"),
                        {QStringLiteral("甲"), QStringLiteral("K1")});
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        main.show();
        main.mdiArea()->closeAllSubWindows();
        QTRY_VERIFY(!TfrmCustom::instance());

        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("客户.xls"));
        dialogs.answerFile(file);
        dialogs.answer(QMessageBox::Cancel);
        main.action(QStringLiteral("actexport"))->trigger();
        TfrmCustom* customers = TfrmCustom::instance();
        QVERIFY(customers);
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
        QCOMPARE(dialogs.shown().first().kind, QStringLiteral("save"));
        // The file holds what the new window's grid shows.
        FreexlBook book(file);
        QCOMPARE(book.openResult(), FREEXL_OK);
        unsigned int rows = 0;
        unsigned short columns = 0;
        QVERIFY(book.dimensions(&rows, &columns));
        QCOMPARE(rows, 3u);
        const QList<LayoutColumn> shown = customers->dgCustom()->visibleColumns();
        QCOMPARE(static_cast<int>(columns), shown.size());
        for (int c = 0; c < shown.size(); ++c)
            QCOMPARE(QString::fromUtf8(book.cell(0, static_cast<unsigned short>(c)).value.text_value),
                     shown[c].title);
    }

    void importOpensForTheCustomerTable()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        QVERIFY(main.action(QStringLiteral("actLead"))->isEnabled());
        dialogs.answerFile(QStringLiteral(ZU_IMPORT_FIXTURES "/titles-only.xls"));
        QString table;
        QString caption;
        whenModal<TfrmImport>([&](TfrmImport* window) {
            table = window->FTableName;
            caption = window->windowTitle();
            control<QAbstractButton>(window, "Btn_Exit")->click();
        });
        main.action(QStringLiteral("actLead"))->trigger();
        QCOMPARE(table, QStringLiteral("T_cust"));
        QCOMPARE(caption, QStringLiteral("字段映射"));
        QCOMPARE(dialogs.shown().first().title, QStringLiteral("Excel文件导入到数据库"));
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestExportCommands)
#include "tst_exportcommands.moc"
