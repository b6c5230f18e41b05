// Times what a user waits for in the customer window and the service list with a large
// database: opening the customer window, a category click, a customer search with three
// conditions, and a month's and a keyword search over the service records.
//
//   QT_QPA_PLATFORM=offscreen zu-bench-windows [--customers N] [--services-per-customer K] [--keep DIR]

#include "benchdata.h"

#include "columns/listgrid.h"
#include "customers/tfrmcustom.h"
#include "customers/tfrmselect.h"
#include "data/datamodule.h"
#include "journals/journallist.h"
#include "journals/tfrmjournalqry.h"
#include "widgets/mdichild.h"

#include <cstdio>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTreeWidget>

using namespace zu;

namespace {

double timed(const std::function<void()>& step)
{
    QElapsedTimer t;
    t.start();
    step();
    QApplication::processEvents();
    return t.nsecsElapsed() / 1e6;
}

template <typename T> T* control(QObject* window, const char* name)
{
    T* c = window->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int customers = bench::optionValue(args, QStringLiteral("customers"), 100000);
    const int services = bench::optionValue(args, QStringLiteral("services-per-customer"), 3);
    const QString keep = bench::optionValue(args, QStringLiteral("keep"));
    const bench::BenchHome home(keep, customers, services);
    TfrmData module(home.path());
    if (!module.ConnectOK())
        qFatal("cannot connect");
    module.F().exec(
        QStringLiteral("insert into T_Dict_cate (name, code, tableName) select ?, ?, ? where not exists "
                       "(select 1 from T_Dict_cate where code = ?)"),
        {QStringLiteral("空调"), QStringLiteral("0105"), QStringLiteral("用户类别"), QStringLiteral("0105")});

    QMdiArea area;
    area.resize(1280, 800);
    area.show();
    TfrmCustom* window = nullptr;
    const double open = timed([&] { window = ShowMdiChild(&area, TfrmCustom::reference()); });
    auto* tree = control<QTreeWidget>(window, "tvCuston");
    const auto nodes = tree->findItems(QStringLiteral("0105-空调"), Qt::MatchExactly | Qt::MatchRecursive);
    const double click = timed([&] {
        tree->setCurrentItem(nodes.value(0));
        emit tree->itemClicked(nodes.value(0), 0);
    });
    const int inCategory = module.qryCustom().recordCount();

    TfrmSelect search(window);
    search.show();
    control<QLineEdit>(&search, "edtName")->setText(QStringLiteral("客户1"));
    control<QLineEdit>(&search, "edtAddress")->setText(QStringLiteral("建国路"));
    control<QCheckBox>(&search, "goumai")->setChecked(true);
    control<QDateEdit>(&search, "goumaiA")->setDate(QDate(2024, 3, 1));
    control<QDateEdit>(&search, "goumaiB")->setDate(QDate(2024, 6, 30));
    const double searched = timed([&] { control<QPushButton>(&search, "BitBtn1")->click(); });
    const int found = module.qryCustom().recordCount();

    TfrmServerqry list;
    const double listOpen = timed([&] { list.show(); });
    const QDate today = QDate::currentDate();
    control<QDateEdit>(&list, "edtBeginDate")->setDate(today.addMonths(-1));
    control<QDateEdit>(&list, "edtEndDate")->setDate(today);
    const double month = timed([&] { control<QPushButton>(&list, "btn1")->click(); });
    const int inMonth = list.list().recordCount();
    control<QComboBox>(&list, "CmbFiled")->setCurrentText(QStringLiteral("客户名称"));
    control<QLineEdit>(&list, "edtKey")->setText(QStringLiteral("客户777"));
    const double keyword = timed([&] { control<QPushButton>(&list, "btn1")->click(); });
    const int byKeyword = list.list().recordCount();

    std::printf("customers %d, service records %d\n", customers, customers * services);
    std::printf("open customer window (tree, list, footer): %.1f ms (target < 500 ms)\n", open);
    std::printf("category click (%d customers):           %.1f ms (target < 500 ms)\n", inCategory, click);
    std::printf("search, three conditions (%d found):      %.1f ms (target < 300 ms)\n", found, searched);
    std::printf("open service list (all records):          %.1f ms\n", listOpen);
    std::printf("service records of one month (%d):        %.1f ms (target < 300 ms)\n", inMonth, month);
    std::printf("service keyword search (%d):              %.1f ms (target < 300 ms)\n", byKeyword, keyword);
    std::printf("resident memory:                          %.1f MB\n", bench::residentKiB() / 1024.0);
    return 0;
}
