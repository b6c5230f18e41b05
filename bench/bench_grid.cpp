// Shows the customer list of a large database in a list grid (layout T_Cust_show) at 1200 x 800
// and scrolls through it; prints times and resident memory.
//
//   QT_QPA_PLATFORM=offscreen zu-bench-grid [--customers N] [--keep DIR] [--shot FILE.png]
//
// The database is built in a temporary program folder (or DIR, kept afterwards and reused).

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

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

void fill(Connection& c, int customers)
{
    TransactionGuard tx(c);
    QSqlQuery q(c.database());
    q.prepare(QStringLiteral("insert into T_Cust (CustName, IDCode, Address, Phone, Mobile, classCode, "
                             "GoodsCode, Goodsunit, Number, Price, "
                             "Money, gathering, Emptionaddress, EmptionDate, Install, BusinessMen, Remark, "
                             "CharA, intA, remind, exeMen, "
                             "TypeCode) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    auto* rng = QRandomGenerator::global();
    for (int i = 0; i < customers; ++i) {
        const QString n = QString::number(i);
        const QVariantList values{
            QStringLiteral("客户") + n,
            QStringLiteral("KH") + n,
            QStringLiteral("北京市朝阳区建国路 %1 号").arg(i),
            QStringLiteral("010-6%1").arg(i, 7, 10, QLatin1Char('0')),
            QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')),
            QStringLiteral("家用电器"),
            QStringLiteral("SN%1").arg(rng->bounded(1000000)),
            QStringLiteral("KFR-35GW"),
            1 + i % 3,
            2999.0,
            2999.0 * (1 + i % 3),
            2999.0,
            QStringLiteral("总店"),
            QStringLiteral("2024-%1-%2 00:00:00")
                .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                .arg(1 + i % 28, 2, 10, QLatin1Char('0')),
            QStringLiteral("安装一部"),
            QStringLiteral("业务员%1").arg(i % 20),
            QStringLiteral("备注 %1").arg(i),
            QStringLiteral("A"),
            i,
            QStringLiteral("2026-12-%1 00:00:00").arg(1 + i % 28, 2, 10, QLatin1Char('0')),
            QStringLiteral("Admin"),
            QStringLiteral("01%1").arg(1 + i % 9, 2, 10, QLatin1Char('0'))};
        for (int v = 0; v < values.size(); ++v)
            q.bindValue(v, values[v]);
        if (!q.exec())
            qFatal("insert failed");
    }
    for (const char* table : {"T_service", "T_call", "T_complain"}) {
        QSqlQuery j(c.database());
        j.prepare(
            QStringLiteral("insert into %1 (CustCode, CustName) values (?, ?)").arg(QLatin1String(table)));
        for (int i = 0; i < customers; ++i) {
            const int owner = static_cast<int>(rng->bounded(customers));
            j.bindValue(0, QStringLiteral("KH%1").arg(owner));
            j.bindValue(1, QStringLiteral("客户%1").arg(owner));
            if (!j.exec())
                qFatal("insert failed");
        }
    }
    tx.commit();
}

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
    int customers = 100000;
    QString keep, shot;
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--customers"))
            customers = args[i + 1].toInt();
        if (args[i] == QLatin1String("--keep"))
            keep = args[i + 1];
        if (args[i] == QLatin1String("--shot"))
            shot = args[i + 1];
    }
    QTemporaryDir temp;
    const QString home = keep.isEmpty() ? temp.path() : keep;
    const QString file = homeFile(home, QLatin1String(kEmbeddedDatabaseFile));
    if (!QFileInfo::exists(file)) {
        QElapsedTimer t;
        t.start();
        createEmbeddedDatabase(file);
        ConnectionSettings s;
        s.filePath = file;
        Connection c(SqlDialect::sqlite(), s);
        if (!c.open())
            qFatal("cannot open %s", qPrintable(c.lastError()));
        fill(c, customers);
        std::printf("filled %d customers and %d journal rows in %.1f s\n", customers, 3 * customers,
                    t.elapsed() / 1000.0);
    }

    const long before = residentKiB();
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
    const long after = residentKiB();

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
