// Pictures of the reminder centre and of the reminder pop-up for the documentation: a small
// register with reminders of every kind, the windows drawn offscreen and saved as PNG files.
//
//   zu-shots-reminders OUT_DIR      (QT_QPA_PLATFORM=offscreen)

#include "benchdata.h"
#include "data/datamodule.h"
#include "data/query.h"
#include "data/warrantyterms.h"
#include "reminders/remindercentre.h"
#include "reminders/tfrmremind.h"
#include "reminders/tfrmremindcenter.h"

#include <QAbstractButton>
#include <QApplication>

#include <optional>

using namespace zu;

namespace {

struct Customer
{
    const char* name;
    const char* phone;
    const char* mobile;
    const char* model;
    int boughtDaysAgo;
    std::optional<int> remindInDays;
};

void fill(Connection& c, const QDate& today)
{
    const SqlDialect& d = c.dialect();
    const Customer customers[] = {
        {"陈静", "022-23456789", "13512345678", "KFR-35GW", 400, 0},
        {"刘洋", "010-87654321", "13698761234", "KFR-72LW", 200, -4},
        {"孙丽", "010-66668888", "13711112222", "KFR-35GW", 358, -2},
        {"周强", "010-61234567", "13822223333", "KFR-72LW", 183, 1},
        {"王芳", "021-55501234", "13900001111", "JSQ25", 1085, {}},
        {"李明", "020-38765432", "13611112233", "RO-400G", 182, {}},
        {"赵磊", "0571-8866123", "13755556666", "RO-400G", 190, 3},
        {"吴敏", "010-82223344", "13566667777", "BCD-215", 120, 0},
        {"郑伟", "028-66778899", "13877778888", "XQB80", 364, -6},
        {"冯雪", "027-87651234", "13988889999", "RO-400G", 175, {}},
        {"何军", "0755-2666888", "13433334444", "KFR-26GW", 30, 5},
        {"高静", "0532-8899001", "13322225555", "BCD-470", 700, -1},
    };
    TransactionGuard tx(c);
    Query q(c);
    const QDateTime since = today.addDays(-30).startOfDay();
    q.exec(QStringLiteral(
               "update T_remind set RemindSince = ?, PlanSince = ?, CallSince = ?, WarrantySince = ?, %1 = 7")
               .arg(d.quote(QStringLiteral("Day"))),
           {d.toDb(since), d.toDb(since), d.toDb(since), d.toDb(since)});
    int code = 1;
    for (const Customer& k : customers) {
        q.exec(QStringLiteral(
                   "insert into T_Cust (CustName, IDCode, Phone, Mobile, Goodsunit, EmptionDate, remind, "
                   "exeMen) values (?, ?, ?, ?, ?, ?, ?, ?)"),
               {QString::fromUtf8(k.name), QStringLiteral("KH%1").arg(code++, 4, 10, QLatin1Char('0')),
                QLatin1String(k.phone), QLatin1String(k.mobile), QLatin1String(k.model),
                d.toDb(today.addDays(-k.boughtDaysAgo).startOfDay()),
                k.remindInDays ? d.toDb(today.addDays(*k.remindInDays).startOfDay())
                               : QVariant(QMetaType::fromType<QString>()),
                QStringLiteral("Admin")});
    }
    const struct
    {
        int customer;
        int daysAgo;
        const char* fault;
    } services[] = {
        {5, 3, "不制冷"}, {8, 5, "漏水"}, {1, 2, "噪音大"}, {12, 1, "不通电"}, {10, 4, "滤芯更换"}};
    for (const auto& s : services)
        q.exec(QStringLiteral(
                   "insert into T_service (CustCode, CustName, serviceDate, hitchName) select IDCode, "
                   "CustName, ?, ? from T_Cust where IDCode = ?"),
               {d.toDb(QDateTime(today.addDays(-s.daysAgo), QTime(10, 0))), QString::fromUtf8(s.fault),
                QStringLiteral("KH%1").arg(s.customer, 4, 10, QLatin1Char('0'))});
    q.exec(QStringLiteral("insert into T_plan (Goodsunit, hitchName, Months) values (?, ?, ?)"),
           {QStringLiteral("RO-400G"), QStringLiteral("滤芯更换"), 6});
    q.exec(QStringLiteral("insert into T_plan (Goodsunit, hitchName, Months) values (?, ?, ?)"),
           {QStringLiteral("KFR-72LW"), QStringLiteral("清洗"), 6});
    tx.commit();
    WarrantyTerms terms(12);
    terms.setMonths(QStringLiteral("JSQ25"), 36);
    terms.setMonths(QStringLiteral("BCD-470"), 24);
    terms.save(c);

    // One reminder done, one put off.
    ReminderCentre centre(c, today);
    for (const Reminder& r : centre.list(ReminderFilter::Overdue)) {
        if (r.customerName == QStringLiteral("刘洋") && r.kind == ReminderKind::CustomerDate)
            centre.markDone(r, QStringLiteral("Admin"));
        if (r.customerName == QStringLiteral("郑伟") && r.kind == ReminderKind::CustomerDate)
            centre.snooze(r, today.addDays(2), QStringLiteral("Admin"));
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString out = bench::shotFolder(app.arguments());
    bench::ShotRegister shots;
    TfrmData& module = shots.module();
    module.setCurrentUserName(QStringLiteral("Admin"));
    const QDate today = QDate::currentDate();
    fill(module.conn(), today);

    TfrmRemindCenter centre;
    RemindCenterCommands commands; // the buttons as the program shows them; not pressed here
    commands.openCustomer = [](QWidget*, qint64) {};
    commands.returnVisit = [](QWidget*, const Reminder&) { return false; };
    commands.exportList = [](QWidget*, const QAbstractItemModel&, const QString&) {};
    commands.printList = [](QWidget*, const QAbstractItemModel&, const QString&) {};
    centre.setCommands(commands);
    centre.resize(1000, 640);
    centre.show();
    app.processEvents();
    centre.grab().save(out + QStringLiteral("/reminder-centre.png"));
    centre.findChild<QAbstractButton*>(QStringLiteral("btnOverdue"))->click();
    app.processEvents();
    centre.grab().save(out + QStringLiteral("/reminder-centre-overdue.png"));
    centre.close();

    TfrmRemind popUp;
    popUp.show();
    app.processEvents();
    popUp.grab().save(out + QStringLiteral("/reminder-popup.png"));
    return 0;
}
