// The statistics window headless: the period chooser and the views it computes, each view's
// chart beside its table, the export of a view read back from the .xls file and its printout in a
// PDF.

#include "output/gridexport.h"
#include "output/tableprint.h"
#include "statistics/tfrmstatistics.h"
#include "support/pdftext.h"
#include "support/records.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"

#include "freexlbook.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineSeries>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace zu;
using zu::test::control;

namespace {

const QDate kToday(2024, 2, 15);

void addService(const QDateTime& when, const QString& model, double fee)
{
    zu::test::addJournal(QStringLiteral("T_service"), QStringLiteral("C1"), QStringLiteral("甲客户"),
                         {{QStringLiteral("serviceDate"), when},
                          {QStringLiteral("Goodsunit"), model},
                          {QStringLiteral("serviceMoney"), fee}});
}

// The register of every test: two services in February, one on the last second of January.
void addServices()
{
    addService(QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59)), QStringLiteral("KFR-35"), 20);
    addService(QDateTime(QDate(2024, 2, 1), QTime(0, 0)), QStringLiteral("KFR-35"), 30);
    addService(QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59)), QStringLiteral("BCD-200"), 12.5);
}

QStringList shownColumn(const TfrmStatistics& w, int column)
{
    QStringList out;
    for (int r = 0; r < w.table().rowCount(); ++r)
        out << w.table().index(r, column).data().toString();
    return out;
}

QList<qreal> barValues(const TfrmStatistics& w, int set)
{
    const auto series = w.chartView()->chart()->series();
    auto* bars = qobject_cast<QBarSeries*>(series.value(0));
    QList<qreal> out;
    if (!bars || set >= bars->count())
        return out;
    for (int i = 0; i < bars->barSets()[set]->count(); ++i)
        out << bars->barSets()[set]->at(i);
    return out;
}

// Whether a picture holds anything but its white ground.
bool drawn(const QImage& image)
{
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return true;
    return false;
}

} // namespace

class TestStatisticsWindow final : public QObject
{
    Q_OBJECT
private slots:
    void periodsAndViews_data() { zu::test::addEngineRows(); }
    void periodsAndViews()
    {
        ZU_TEST_DATABASE(db);
        addServices();
        zu::test::addCategory(QStringLiteral("01"), QStringLiteral("空调"));
        zu::test::addCategory(QStringLiteral("02"), QStringLiteral("冰箱"));
        zu::test::addCustomer(QStringLiteral("甲"), QStringLiteral("K1"),
                              {{QStringLiteral("TypeCode"), QStringLiteral("01")},
                               {QStringLiteral("EmptionDate"), QDate(2024, 2, 3).startOfDay()},
                               {QStringLiteral("Number"), 2}});
        zu::test::addCustomer(QStringLiteral("乙"), QStringLiteral("K2"),
                              {{QStringLiteral("TypeCode"), QStringLiteral("02")},
                               {QStringLiteral("EmptionDate"), QDate(2024, 2, 4).startOfDay()},
                               {QStringLiteral("Number"), 5}});
        zu::test::ScriptedDialogs dialogs;
        TfrmStatistics w;
        w.setToday(kToday);
        w.show();

        // This month: the two February services, counted and added up, as bars and as a line.
        QCOMPARE(shownColumn(w, 0), QStringList{"2024-02"});
        QCOMPARE(shownColumn(w, 1), QStringList{"2"});
        QCOMPARE(shownColumn(w, 2), QStringList{"42.50"});
        QCOMPARE(barValues(w, 0), QList<qreal>{2});
        auto* fees = qobject_cast<QLineSeries*>(w.chartView()->chart()->series().value(1));
        QVERIFY(fees);
        QCOMPARE(fees->at(0).y(), 42.5);
        QCOMPARE(control<QLabel>(&w, "lblPeriod")->text(),
                 QStringLiteral("统计期间：2024-02-01 至 2024-02-29"));

        control<QRadioButton>(&w, "rbLastMonth")->click();
        QCOMPARE(shownColumn(w, 0), QStringList{"2024-01"});
        QCOMPARE(shownColumn(w, 2), QStringList{"20.00"});
        control<QRadioButton>(&w, "rbThisYear")->click();
        QCOMPARE(w.table().rowCount(), 12);
        QCOMPARE(barValues(w, 0).mid(0, 3), (QList<qreal>{1, 2, 0}));
        QVERIFY(!control<QDateEdit>(&w, "dtpFrom")->isEnabled());
        control<QRadioButton>(&w, "rbCustom")->click();
        control<QDateEdit>(&w, "dtpFrom")->setDate(QDate(2024, 2, 29));
        control<QDateEdit>(&w, "dtpTo")->setDate(QDate(2024, 1, 31)); // the wrong way round
        QCOMPARE(w.period(), (StatisticsPeriod{QDate(2024, 1, 31), QDate(2024, 2, 29)}));
        QCOMPARE(shownColumn(w, 1), (QStringList{"1", "2"}));

        // The daily view: a day per row of the chosen month.
        w.showView(StatisticsView::ServicesByDay);
        auto* month = control<QComboBox>(&w, "cmbMonth");
        QVERIFY(month->isVisible());
        QCOMPARE(month->currentText(), QStringLiteral("2024-02"));
        QCOMPARE(w.table().rowCount(), 29);
        QCOMPARE(w.figure().value(QStringLiteral("2024-02-01"), 1).toInt(), 1);
        month->setCurrentIndex(0);
        emit month->activated(0);
        QCOMPARE(shownColumn(w, 0), QStringList{"2024-01-31"});
        // A period without the month shown shows this month, though it be the period's first;
        // one that still holds the month shown keeps it.
        control<QDateEdit>(&w, "dtpTo")->setDate(QDate(2024, 3, 31));
        QCOMPARE(month->count(), 2);
        QCOMPARE(month->currentText(), QStringLiteral("2024-02"));
        QCOMPARE(shownColumn(w, 0), QStringList{"2024-02-29"}); // the period's only day of it
        month->setCurrentIndex(1);
        emit month->activated(1);
        control<QDateEdit>(&w, "dtpTo")->setDate(QDate(2024, 4, 30));
        QCOMPARE(month->count(), 3);
        QCOMPARE(month->currentText(), QStringLiteral("2024-03"));
        QCOMPARE(w.table().rowCount(), 31);
        control<QDateEdit>(&w, "dtpTo")->setDate(QDate(2024, 1, 31));

        w.showView(StatisticsView::TopModels);
        QVERIFY(!month->isVisible());
        QCOMPARE(shownColumn(w, 0), (QStringList{"KFR-35", "BCD-200"}));
        QCOMPARE(barValues(w, 0), (QList<qreal>{2, 1}));

        // Sales of one category.
        w.showView(StatisticsView::SalesByMonth);
        auto* category = control<QComboBox>(&w, "cmbCategory");
        QVERIFY(category->isVisible());
        QCOMPARE(category->itemText(0), QStringLiteral("全部客户"));
        QCOMPARE(shownColumn(w, 2), (QStringList{"0", "7"}));
        QCOMPARE(w.figure().title, QStringLiteral("每月销售")); // all customers: no category named
        category->setCurrentIndex(category->findText(QStringLiteral("02-冰箱")));
        emit category->activated(category->currentIndex());
        QCOMPARE(shownColumn(w, 2), (QStringList{"0", "5"}));
        QCOMPARE(w.figure().title, QStringLiteral("每月销售（02-冰箱）"));
        QCOMPARE(w.chartView()->chart()->title(), QStringLiteral("每月销售（02-冰箱）"));
        // A view of all customers names no category, though one stays chosen for sales.
        w.showView(StatisticsView::TopModels);
        QVERIFY(!category->isVisible());
        QVERIFY2(!w.figure().title.contains(QStringLiteral("冰箱")), qPrintable(w.figure().title));
        QVERIFY(dialogs.messages().isEmpty());
    }

    // One view written to an .xls file and read back, and printed into a PDF with its chart.
    void exportAndPrintAView_data() { zu::test::addEngineRows(); }
    void exportAndPrintAView()
    {
        ZU_TEST_DATABASE(db);
        addServices();
        zu::test::ScriptedDialogs dialogs;
        const QString pdf = db.home().file(QStringLiteral("统计.pdf"));
        QImage printedChart;
        StatisticsCommands c;
        c.exportList = &ExportTableToXls;
        c.printList = [&](QWidget*, const QAbstractItemModel& table, const QString& title,
                          const QImage& chart) {
            printedChart = chart;
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPageOrientation(QPageLayout::Landscape);
            printTable(printer, table, title, chart);
        };
        TfrmStatistics w;
        w.setCommands(c);
        w.setToday(kToday);
        w.show();
        w.showView(StatisticsView::TopModels);

        const QString file = db.home().file(QStringLiteral("型号"));
        dialogs.answerFile(file);
        dialogs.answer(QMessageBox::Cancel);
        control<QPushButton>(&w, "btnExport")->click();
        QCOMPARE(dialogs.shown().first().kind, QStringLiteral("save"));
        QCOMPARE(dialogs.shown().first().text, QStringLiteral("维修最多的型号2024-02-01至2024-02-29"));
        FreexlBook book(file + QStringLiteral(".xls"));
        QCOMPARE(book.openResult(), FREEXL_OK);
        unsigned int rows = 0;
        unsigned short columns = 0;
        QVERIFY(book.dimensions(&rows, &columns));
        QCOMPARE(rows, 3u);
        QCOMPARE(columns, 2);
        auto text = [&book](unsigned int r, unsigned short col) {
            const FreeXL_CellValue v = book.cell(r, col);
            if (v.type == FREEXL_CELL_INT)
                return QString::number(v.value.int_value);
            return v.type == FREEXL_CELL_SST_TEXT || v.type == FREEXL_CELL_TEXT
                       ? QString::fromUtf8(v.value.text_value)
                       : QString();
        };
        QCOMPARE((QStringList{text(0, 0), text(0, 1), text(1, 0), text(1, 1), text(2, 0), text(2, 1)}),
                 (QStringList{"型号", "维修次数", "BCD-200", "1", "KFR-35", "1"}));

        control<QPushButton>(&w, "btnPrint")->click();
        QVERIFY(drawn(printedChart));
        const QString printed = zu::test::pdfPages(pdf).join(QLatin1Char('\n'));
        for (const QString& expected :
             {QStringLiteral("维修最多的型号2024-02-01至2024-02-29"), QStringLiteral("型号"),
              QStringLiteral("维修次数"), QStringLiteral("BCD-200"), QStringLiteral("KFR-35")})
            QVERIFY2(printed.contains(expected), qPrintable(expected + QStringLiteral(" in ") + printed));
        // The chart is a picture on the page, above the table.
        QProcess images;
        images.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
        QVERIFY(images.waitForFinished());
        QVERIFY2(images.readAllStandardOutput().count('\n') >= 3, "no picture in the PDF");

        // A view without rows is neither written nor printed.
        dialogs.clear();
        control<QRadioButton>(&w, "rbCustom")->click();
        control<QDateEdit>(&w, "dtpFrom")->setDate(QDate(2030, 1, 1));
        control<QDateEdit>(&w, "dtpTo")->setDate(QDate(2030, 1, 31));
        w.showView(StatisticsView::Engineers);
        QCOMPARE(w.table().rowCount(), 0);
        control<QPushButton>(&w, "btnExport")->click();
        QCOMPARE(dialogs.messages(), QStringList{"没有数据,不能导出成Excel文件!"});
    }
};

QTEST_MAIN(TestStatisticsWindow)
#include "tst_statisticswindow.moc"
