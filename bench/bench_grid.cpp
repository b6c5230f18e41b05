// Shows the customer list of a large database in a list grid (layout T_Cust_show) at 1200 x 800
// and scrolls through it; prints times and resident memory.
//
//   QT_QPA_PLATFORM=offscreen zu-bench-grid [--customers N] [--keep DIR] [--shot FILE.png]
//
// The database is built in a temporary program folder (or DIR, kept afterwards and reused).

#include "benchdata.h"
#include "columns/gridcolumns.h"
#include "columns/gridmodel.h"
#include "columns/listgrid.h"
#include "data/apphome.h"
#include "data/datamodule.h"
#include "data/schemainstaller.h"

#include <cstdio>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

using namespace zu;

namespace {

// Counts the paints of a widget.
class PaintCounter final : public QObject
{
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

struct Times
{
    double total = 0, max = 0;
    int n = 0;
    void add(double ms)
    {
        total += ms;
        max = qMax(max, ms);
        ++n;
    }
    double mean() const { return n ? total / n : 0; }
};

// Delivers pending events until the widget has been painted once more.
void paintOnce(QWidget* widget, PaintCounter& counter)
{
    const int before = counter.count;
    widget->update();
    while (counter.count == before)
        QApplication::processEvents();
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int customers = zu::bench::optionValue(args, QStringLiteral("customers"), 100000);
    const QString keep = zu::bench::optionValue(args, QStringLiteral("keep"));
    const QString shot = zu::bench::optionValue(args, QStringLiteral("shot"));
    const zu::bench::BenchHome benchHome(keep, customers);
    const QString home = benchHome.path();

    const long before = zu::bench::residentKiB();
    TfrmData module(home);
    if (!module.ConnectOK())
        qFatal("cannot connect");
    DataSet& list = module.qryCustom();

    ListGrid dgCustom;
    dgCustom.setObjectName(QStringLiteral("dgCustom"));
    QTableView* view = dgCustom.view();
    PaintCounter paints(view->viewport());
    dgCustom.resize(1200, 800);

    // What the customer window does when it opens, up to the first painted list.
    QElapsedTimer t;
    t.start();
    list.open();
    LoadGridColumns(&dgCustom, &list, QStringLiteral("T_Cust_show"));
    dgCustom.show();
    while (paints.count == 0)
        QApplication::processEvents();
    const double firstPaintMs = t.nsecsElapsed() / 1e6;
    const int n = list.recordCount();
    const int visibleRows = view->viewport()->height() / view->verticalHeader()->defaultSectionSize();
    if (!shot.isEmpty())
        dgCustom.grab().save(shot);

    // Jumps to random rows (a scroll bar dragged, a customer located).
    auto* rng = QRandomGenerator::global();
    Times jumps;
    for (int i = 0; i < 200; ++i) {
        const int row = static_cast<int>(rng->bounded(n));
        t.restart();
        view->scrollTo(dgCustom.model()->index(row, 0), QAbstractItemView::PositionAtCenter);
        paintOnce(view->viewport(), paints);
        jumps.add(t.nsecsElapsed() / 1e6);
    }

    // Paging down through the list by the scroll bar: the view alone moves.
    view->scrollToTop();
    QScrollBar* bar = view->verticalScrollBar();
    Times pages;
    t.restart();
    for (int i = 0; i < 2000 && bar->value() < bar->maximum(); ++i) {
        QElapsedTimer one;
        one.start();
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        paintOnce(view->viewport(), paints);
        pages.add(one.nsecsElapsed() / 1e6);
    }
    const double pagesMs = t.nsecsElapsed() / 1e6;
    const int rowAfterPages = view->rowAt(0);

    // Paging down by the keyboard: the current customer moves, and its three detail lists with it.
    view->scrollToTop();
    list.first();
    view->setFocus();
    Times keys;
    t.restart();
    for (int i = 0; i < 2000; ++i) {
        QElapsedTimer one;
        one.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(view, &press);
        paintOnce(view->viewport(), paints);
        keys.add(one.nsecsElapsed() / 1e6);
    }
    const double keysMs = t.nsecsElapsed() / 1e6;
    const int currentAfterKeys = list.currentRow();
    const long after = zu::bench::residentKiB();

    std::printf("customers in list:              %d (%d rows visible)\n", n, visibleRows);
    std::printf("open, load columns, first paint: %.1f ms\n", firstPaintMs);
    std::printf("random jumps (scroll + paint):  mean %.2f ms, max %.2f ms over %d jumps\n", jumps.mean(),
                jumps.max, jumps.n);
    std::printf(
        "page down by scroll bar:        %d pages in %.0f ms, mean %.2f ms, max %.2f ms, top row now %d\n",
        pages.n, pagesMs, pages.mean(), pages.max, rowAfterPages);
    std::printf(
        "page down by keyboard:          %d pages in %.0f ms, mean %.2f ms, max %.2f ms, current row now %d\n"
        "                                (each moves the current customer; 3 detail lists re-queried)\n",
        keys.n, keysMs, keys.mean(), keys.max, currentAfterKeys);
    std::printf("resident memory:                %.1f MB (%.1f MB before the data module)\n", after / 1024.0,
                before / 1024.0);
    return 0;
}
