// Pictures of the statistics window for the documentation: a small register of a year, the window
// drawn offscreen on two views and saved as PNG files.
//
//   zu-shots-statistics OUT_DIR      (QT_QPA_PLATFORM=offscreen)

#include "benchdata.h"
#include "data/datamodule.h"
#include "data/query.h"
#include "statistics/tfrmstatistics.h"

#include <QApplication>
#include <QRadioButton>

using namespace zu;

namespace {

void fill(Connection& c, const QDate& today)
{
    Query q(c);
    const QStringList engineers{"王工", "李工", "张工", "赵工", "陈工"};
    const QStringList models{"KFR-35GW", "KFR-26GW", "BCD-215", "XQB80",
                             "KFR-72LW", "BCD-470",  "JSQ25",   "CXW-200"};
    const QStringList faults{"不制冷", "漏水", "噪音大", "不通电", "显示故障", "异味", "遥控失灵"};
    TransactionGuard tx(c);
    for (int i = 0; i < 900; ++i) {
        const QDate day = QDate(today.year(), 1, 1).addDays((i * 37) % today.dayOfYear());
        const int month = day.month();
        if ((i * 7) % 12 >= 4 + month % 6)
            continue; // months of different weight
        q.exec(
            QStringLiteral(
                "insert into T_service (CustCode, CustName, serviceDate, Goodsunit, GoodsCode, hitchName, "
                "serviceMoney, servicedepartment, servicedeMen) values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {QStringLiteral("K%1").arg(i % 150), QStringLiteral("客户%1").arg(i % 150),
             QDateTime(day, QTime(9 + i % 8, 0)), models[(i * i) % models.size() % (1 + i % models.size())],
             QStringLiteral("SN%1").arg(i % 260), faults[(i / 3) % faults.size() % (1 + i % faults.size())],
             50.0 + (i % 7) * 30, i % 3 == 0 ? QStringLiteral("安装二部") : QStringLiteral("安装一部"),
             engineers[(i * 3) % engineers.size() % (1 + i % engineers.size())]});
    }
    tx.commit();
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString out = bench::shotFolder(app.arguments());
    bench::ShotRegister shots;
    TfrmData& module = shots.module();
    const QDate today = QDate::currentDate();
    fill(module.conn(), today);

    TfrmStatistics window;
    StatisticsCommands commands; // the buttons as the program shows them; not pressed here
    commands.exportList = [](QWidget*, const QAbstractItemModel&, const QString&) {};
    commands.printList = [](QWidget*, const QAbstractItemModel&, const QString&, const QImage&) {};
    window.setCommands(commands);
    window.resize(1100, 720);
    window.setToday(today);
    window.show();
    window.findChild<QRadioButton*>(QStringLiteral("rbThisYear"))->click();
    window.showView(StatisticsView::ServicesByMonth);
    app.processEvents();
    window.grab().save(out + QStringLiteral("/statistics-months.png"));
    window.showView(StatisticsView::Engineers);
    app.processEvents();
    window.grab().save(out + QStringLiteral("/statistics-engineers.png"));
    return 0;
}
