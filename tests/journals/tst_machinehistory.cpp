// A machine's whole history by its body code: the purchase, the service records that name the
// code, the return visits and complaints of its buyers, across owners, newest first.

#include "data/datamodule.h"
#include "journals/machinehistory.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <QtTest>

using namespace zu;
using zu::test::addCustomer;
using zu::test::addJournal;

namespace {

QDateTime day(int y, int m, int d)
{
    return QDate(y, m, d).startOfDay();
}

// "kind|date|customer|person|detail" for each event.
QStringList lines(const QList<MachineEvent>& events)
{
    QStringList out;
    for (const MachineEvent& e : events)
        out << QStringList{e.kindText(),
                           e.date.isNull() ? QStringLiteral("-") : e.date.date().toString(Qt::ISODate),
                           e.customerCode, e.person, e.detail}
                   .join(QLatin1Char('|'));
    return out;
}

// An air conditioner bought by 张三 in 2022, sold on to 李四 in 2024; 王五 has another unit.
void addTwoOwners()
{
    addCustomer(QStringLiteral("张三"), QStringLiteral("KH0001"),
                {{QStringLiteral("GoodsCode"), QStringLiteral("SN-100")},
                 {QStringLiteral("Goodsunit"), QStringLiteral("KFR-35GW")},
                 {QStringLiteral("BusinessMen"), QStringLiteral("小王")},
                 {QStringLiteral("Emptionaddress"), QStringLiteral("一号店")},
                 {QStringLiteral("EmptionDate"), day(2022, 5, 1)}});
    addCustomer(QStringLiteral("李四"), QStringLiteral("KH0002"),
                {{QStringLiteral("GoodsCode"), QStringLiteral("sn-100 ")},
                 {QStringLiteral("Goodsunit"), QStringLiteral("KFR-35GW")},
                 {QStringLiteral("BusinessMen"), QStringLiteral("小李")},
                 {QStringLiteral("EmptionDate"), day(2024, 3, 1)}});
    addCustomer(QStringLiteral("王五"), QStringLiteral("KH0003"),
                {{QStringLiteral("GoodsCode"), QStringLiteral("SN-200")},
                 {QStringLiteral("EmptionDate"), day(2023, 1, 1)}});
    addJournal(QStringLiteral("T_service"), QStringLiteral("KH0001"), QStringLiteral("张三"),
               {{QStringLiteral("GoodsCode"), QStringLiteral("SN-100")},
                {QStringLiteral("serviceDate"), day(2023, 7, 10)},
                {QStringLiteral("hitchName"), QStringLiteral("不制冷")},
                {QStringLiteral("servicedeMen"), QStringLiteral("赵工")}});
    addJournal(QStringLiteral("T_service"), QStringLiteral("KH0002"), QStringLiteral("李四"),
               {{QStringLiteral("GoodsCode"), QStringLiteral("SN-100")},
                {QStringLiteral("serviceDate"), day(2024, 3, 1)},
                {QStringLiteral("servicedeMen"), QStringLiteral("钱工")},
                {QStringLiteral("Remark"), QStringLiteral("移机")}});
    addJournal(QStringLiteral("T_service"), QStringLiteral("KH0003"), QStringLiteral("王五"),
               {{QStringLiteral("GoodsCode"), QStringLiteral("SN-200")},
                {QStringLiteral("serviceDate"), day(2024, 6, 1)}});
    addJournal(QStringLiteral("T_call"), QStringLiteral("KH0001"), QStringLiteral("张三"),
               {{QStringLiteral("callDate"), day(2023, 7, 20)},
                {QStringLiteral("callMen"), QStringLiteral("小王")},
                {QStringLiteral("callRemark"), QStringLiteral("满意")}});
    addJournal(QStringLiteral("T_complain"), QStringLiteral("KH0002"), QStringLiteral("李四"),
               {{QStringLiteral("complainDate"), day(2024, 8, 8)},
                {QStringLiteral("complainMen"), QStringLiteral("操作员")},
                {QStringLiteral("complaincause"), QStringLiteral("噪音大")},
                {QStringLiteral("complainresult"), QStringLiteral("已处理")}});
    addJournal(QStringLiteral("T_complain"), QStringLiteral("KH0003"), QStringLiteral("王五"),
               {{QStringLiteral("complainDate"), day(2024, 9, 9)}});
}

} // namespace

class TestMachineHistory final : public QObject
{
    Q_OBJECT
private slots:
    void historyAcrossTwoOwners_data() { zu::test::addEngineRows(); }
    void historyAcrossTwoOwners()
    {
        ZU_TEST_DATABASE(db);
        addTwoOwners();
        const QList<MachineEvent> history = machineHistory(zu::data().conn(), QStringLiteral(" SN-100"));
        QCOMPARE(lines(history),
                 (QStringList{
                     QStringLiteral("投诉|2024-08-08|KH0002|操作员|原因：噪音大；结果：已处理"),
                     // The same day: the service after the sale comes first.
                     QStringLiteral("维修|2024-03-01|KH0002|钱工|备注：移机"),
                     QStringLiteral("购买|2024-03-01|KH0002|小李|"),
                     QStringLiteral("回访|2023-07-20|KH0001|小王|满意"),
                     QStringLiteral("维修|2023-07-10|KH0001|赵工|故障原因：不制冷"),
                     QStringLiteral("购买|2022-05-01|KH0001|小王|购买地点：一号店"),
                 }));
        QCOMPARE(history.last().model, QStringLiteral("KFR-35GW"));
        QCOMPARE(history.last().customerName, QStringLiteral("张三"));
        QCOMPARE(customersOf(history), (QStringList{QStringLiteral("KH0002"), QStringLiteral("KH0001")}));

        // The other unit has its own history only.
        QCOMPARE(lines(machineHistory(zu::data().conn(), QStringLiteral("SN-200"))),
                 (QStringList{QStringLiteral("投诉|2024-09-09|KH0003||"),
                              QStringLiteral("维修|2024-06-01|KH0003||"),
                              QStringLiteral("购买|2023-01-01|KH0003||")}));
    }

    void unknownOrEmptyCodeFindsNothing_data() { zu::test::addEngineRows(); }
    void unknownOrEmptyCodeFindsNothing()
    {
        ZU_TEST_DATABASE(db);
        addTwoOwners();
        addCustomer(QStringLiteral("无编码"), QStringLiteral("KH0009"));
        addJournal(QStringLiteral("T_call"), QStringLiteral("KH0009"), QStringLiteral("无编码"));
        QVERIFY(machineHistory(zu::data().conn(), QStringLiteral("SN-1")).isEmpty()); // no prefix match
        QVERIFY(machineHistory(zu::data().conn(), QStringLiteral("  ")).isEmpty());
    }

    // A unit serviced for a customer who did not buy it here: its service records, without that
    // customer's visits about other things; undated records last.
    void serviceOnlyMachine_data() { zu::test::addEngineRows(); }
    void serviceOnlyMachine()
    {
        ZU_TEST_DATABASE(db);
        addCustomer(QStringLiteral("赵六"), QStringLiteral("KH0004"),
                    {{QStringLiteral("GoodsCode"), QStringLiteral("OTHER")}});
        addJournal(QStringLiteral("T_call"), QStringLiteral("KH0004"), QStringLiteral("赵六"),
                   {{QStringLiteral("callDate"), day(2024, 1, 1)}});
        addJournal(QStringLiteral("T_service"), QStringLiteral("KH0004"), QStringLiteral("赵六"),
                   {{QStringLiteral("GoodsCode"), QStringLiteral("X9")}});
        addJournal(QStringLiteral("T_service"), QStringLiteral("KH0004"), QStringLiteral("赵六"),
                   {{QStringLiteral("GoodsCode"), QStringLiteral("X9")},
                    {QStringLiteral("serviceDate"), day(2020, 2, 29)}});
        QCOMPARE(
            lines(machineHistory(zu::data().conn(), QStringLiteral("x9"))),
            (QStringList{QStringLiteral("维修|2020-02-29|KH0004||"), QStringLiteral("维修|-|KH0004||")}));
    }
};

QTEST_GUILESS_MAIN(TestMachineHistory)
#include "tst_machinehistory.moc"
