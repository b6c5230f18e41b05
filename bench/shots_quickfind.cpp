// Pictures of the service desk for the documentation: quick find with its drop-down open after a
// body code was typed, and the history of that machine, drawn offscreen from a small register.
//
//   zu-shots-quickfind OUT_DIR      (QT_QPA_PLATFORM=offscreen)

#include "benchdata.h"
#include "customers/quickfindbox.h"
#include "data/datamodule.h"
#include "data/findcolumns.h"
#include "data/query.h"
#include "journals/tfrmmachinehistory.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QToolBar>

using namespace zu;

namespace {

void insert(Connection& c, const QString& table, QVariantMap row)
{
    if (table == QLatin1String("T_Cust"))
        addFindColumns(row);
    QStringList marks;
    for (qsizetype i = 0; i < row.size(); ++i)
        marks << QStringLiteral("?");
    Query(c).exec(QStringLiteral("insert into %1 (%2) values (%3)")
                      .arg(table, row.keys().join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                  row.values());
}

QDateTime at(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm"));
}

// Customers of one street, some with air conditioners of one series (body codes SN2024…), one of
// which changed hands, with their service records, return visits and a complaint.
void fill(Connection& c)
{
    TransactionGuard tx(c);
    struct Customer
    {
        const char *name, *code, *phone, *mobile, *goods, *model, *bought, *seller;
    };
    const Customer customers[] = {
        {"张建国", "KH0001", "0571-8888 6666", "13800138000", "SN2024-0815", "KFR-35GW", "2024-05-18 10:00",
         "王丽"},
        {"李秀英", "KH0002", "0571-8765 4321", "13900001111", "SN2024-1102", "KFR-26GW", "2024-07-02 15:30",
         "王丽"},
        {"王海波", "KH0003", "", "13712345678", "SN2024-0815", "KFR-35GW", "2025-09-20 09:00", "赵强"},
        {"赵晓东", "KH0004", "0571-8123 4567", "", "SN2024-2210", "KFR-72LW", "2024-11-11 11:00", "王丽"},
        {"陈志强", "KH0005", "", "18657101234", "SN2023-0420", "BCD-215", "2023-04-20 14:00", "赵强"},
        {"杭州文三路电器店", "KH0006", "0571-8555 0000", "", "SN2024-0099", "XQB80", "2024-01-05 09:30",
         "赵强"},
    };
    for (const Customer& k : customers)
        insert(c, QStringLiteral("T_Cust"),
               {{QStringLiteral("CustName"), QString::fromUtf8(k.name)},
                {QStringLiteral("IDCode"), QString::fromLatin1(k.code)},
                {QStringLiteral("Phone"), QString::fromLatin1(k.phone)},
                {QStringLiteral("Mobile"), QString::fromLatin1(k.mobile)},
                {QStringLiteral("GoodsCode"), QString::fromLatin1(k.goods)},
                {QStringLiteral("Goodsunit"), QString::fromLatin1(k.model)},
                {QStringLiteral("EmptionDate"), at(k.bought)},
                {QStringLiteral("BusinessMen"), QString::fromUtf8(k.seller)},
                {QStringLiteral("Address"),
                 QStringLiteral("杭州市西湖区文三路 %1 号").arg(QString::fromLatin1(k.code + 4))}});
    struct Service
    {
        const char *code, *name, *goods, *model, *date, *fault, *engineer;
    };
    const Service services[] = {
        {"KH0001", "张建国", "SN2024-0815", "KFR-35GW", "2024-05-19 09:00", "安装", "李工"},
        {"KH0001", "张建国", "SN2024-0815", "KFR-35GW", "2025-07-12 14:00", "不制冷", "王工"},
        {"KH0003", "王海波", "SN2024-0815", "KFR-35GW", "2025-09-21 10:00", "移机", "王工"},
        {"KH0003", "王海波", "SN2024-0815", "KFR-35GW", "2026-06-30 16:00", "漏水", "张工"},
        {"KH0002", "李秀英", "SN2024-1102", "KFR-26GW", "2025-08-03 11:00", "噪音大", "李工"},
        {"KH0004", "赵晓东", "SN2024-2210", "KFR-72LW", "2026-07-15 09:30", "遥控失灵", "张工"},
    };
    for (const Service& s : services)
        insert(c, QStringLiteral("T_service"),
               {{QStringLiteral("CustCode"), QString::fromLatin1(s.code)},
                {QStringLiteral("CustName"), QString::fromUtf8(s.name)},
                {QStringLiteral("GoodsCode"), QString::fromLatin1(s.goods)},
                {QStringLiteral("Goodsunit"), QString::fromLatin1(s.model)},
                {QStringLiteral("serviceDate"), at(s.date)},
                {QStringLiteral("hitchName"), QString::fromUtf8(s.fault)},
                {QStringLiteral("servicedeMen"), QString::fromUtf8(s.engineer)}});
    insert(c, QStringLiteral("T_call"),
           {{QStringLiteral("CustCode"), QStringLiteral("KH0001")},
            {QStringLiteral("CustName"), QStringLiteral("张建国")},
            {QStringLiteral("callDate"), at("2025-07-15 10:00")},
            {QStringLiteral("callMen"), QStringLiteral("刘敏")},
            {QStringLiteral("callRemark"), QStringLiteral("制冷正常，对服务满意")}});
    insert(c, QStringLiteral("T_complain"),
           {{QStringLiteral("CustCode"), QStringLiteral("KH0003")},
            {QStringLiteral("CustName"), QStringLiteral("王海波")},
            {QStringLiteral("complainDate"), at("2026-07-01 09:00")},
            {QStringLiteral("complainMen"), QStringLiteral("刘敏")},
            {QStringLiteral("complaincause"), QStringLiteral("维修后仍有滴水")}});
    tx.commit();
}

void type(QWidget* box, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &release);
    }
}

// The window with the drop-down where it shows on the screen, in one picture.
QImage withPopup(QWidget* window, QWidget* popup)
{
    const QRect windowArea(window->mapToGlobal(QPoint(0, 0)), window->size());
    const QRect popupArea(popup->mapToGlobal(QPoint(0, 0)), popup->size());
    const QRect all = windowArea.united(popupArea);
    QImage image(all.size() * window->devicePixelRatio(), QImage::Format_ARGB32);
    image.setDevicePixelRatio(window->devicePixelRatio());
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawPixmap(windowArea.topLeft() - all.topLeft(), window->grab());
    painter.drawPixmap(popupArea.topLeft() - all.topLeft(), popup->grab());
    return image;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString out = bench::shotFolder(app.arguments());
    bench::ShotRegister shots;
    TfrmData& module = shots.module();
    fill(module.conn());

    // The tool bar as the main window holds it.
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("家电售后服务管理"));
    auto* bar = window.addToolBar(QStringLiteral("工具栏"));
    auto* box = new QuickFindBox(bar);
    bar->addWidget(box);
    auto* body = new QLabel(&window);
    body->setMinimumSize(760, 420);
    window.setCentralWidget(body);
    window.move(40, 40);
    window.show();
    app.processEvents();
    box->setFocus();
    type(box, QStringLiteral("SN2024"));
    app.processEvents();
    QWidget* popup = nullptr;
    for (QCompleter* completer : box->findChildren<QCompleter*>())
        popup = completer->popup();
    if (popup == nullptr || !popup->isVisible())
        qFatal("the drop-down did not open");
    withPopup(&window, popup).save(out + QStringLiteral("/quick-find.png"));

    const QString machine = QStringLiteral("SN2024-0815");
    TfrmMachineHistory history(nullptr, machine);
    history.show();
    app.processEvents();
    history.grab().save(out + QStringLiteral("/machine-history.png"));
    return 0;
}
