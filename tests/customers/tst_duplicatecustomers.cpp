// Which existing customers a new one looks like: telephone and mobile numbers compared by their
// digits, name and address compared without blanks, and the question the editor asks.

#include "customers/duplicatecustomers.h"
#include "data/datamodule.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <QtTest>

using namespace zu;
using zu::test::addCustomer;

namespace {

const CustomerMatch kZhang{QStringLiteral("张三"), QStringLiteral("KH0001")};
const CustomerMatch kLi{QStringLiteral("李四"), QStringLiteral("KH0002")};

void addKnownCustomers()
{
    addCustomer(kZhang.name, kZhang.code,
                {{QStringLiteral("Phone"), QStringLiteral("0571-8888 6666")},
                 {QStringLiteral("Mobile"), QStringLiteral("138 0013 8000")},
                 {QStringLiteral("Address"), QStringLiteral("杭州市 西湖路 1 号")}});
    addCustomer(kLi.name, kLi.code,
                {{QStringLiteral("Phone"), QStringLiteral("(0571)77776666")},
                 {QStringLiteral("Address"), QStringLiteral("杭州市西湖路2号")}});
}

bool operator==(const DuplicateCustomers& a, const DuplicateCustomers& b)
{
    return a.samePhone == b.samePhone && a.sameMobile == b.sameMobile &&
           a.sameNameAddress == b.sameNameAddress;
}

// The search of the table, which the index of an import must agree with on every case.
DuplicateCustomers find(const NewCustomer& c)
{
    const DuplicateCustomers searched = findDuplicateCustomers(zu::data().conn(), c);
    if (!(DuplicateCustomerIndex(zu::data().conn()).find(c) == searched))
        QTest::qFail("the index of the customers finds other matches than the search", __FILE__, __LINE__);
    return searched;
}

} // namespace

class TestDuplicateCustomers final : public QObject
{
    Q_OBJECT
private slots:
    void digitsOnly()
    {
        QCOMPARE(phoneDigits(QStringLiteral("0571-8888 6666")), QStringLiteral("057188886666"));
        QCOMPARE(phoneDigits(QStringLiteral("(0571) 7777-6666 转 8")), QStringLiteral("0571777766668"));
        QCOMPARE(phoneDigits(QStringLiteral("１３８")), QStringLiteral("138")); // full-width digits
        QCOMPARE(phoneDigits(QStringLiteral("无")), QString());
    }

    void phoneMatchesWhateverItsSeparators_data() { zu::test::addEngineRows(); }
    void phoneMatchesWhateverItsSeparators()
    {
        ZU_TEST_DATABASE(db);
        addKnownCustomers();
        // The same digits, typed differently.
        QCOMPARE(find({.phone = QStringLiteral("057188886666")}).samePhone, QList{kZhang});
        QCOMPARE(find({.phone = QStringLiteral("0571 - 8888-6666")}).samePhone, QList{kZhang});
        QCOMPARE(find({.phone = QStringLiteral("0571.7777.6666")}).samePhone, QList{kLi});
        // A new phone that is an existing customer's mobile is a match of the phone.
        const DuplicateCustomers viaMobile = find({.phone = QStringLiteral("13800138000")});
        QCOMPARE(viaMobile.samePhone, QList{kZhang});
        QVERIFY(viaMobile.sameMobile.isEmpty());
    }

    void mobileMatches_data() { zu::test::addEngineRows(); }
    void mobileMatches()
    {
        ZU_TEST_DATABASE(db);
        addKnownCustomers();
        const DuplicateCustomers d = find({.mobile = QStringLiteral("138-0013-8000")});
        QCOMPARE(d.sameMobile, QList{kZhang});
        QVERIFY(d.samePhone.isEmpty());
        QVERIFY(d.sameNameAddress.isEmpty());
        QCOMPARE(d.question(), QStringLiteral("已有相同手机的客户：张三 (KH0001)，仍然保存吗？"));
    }

    void differentNumbersDoNotMatch_data() { zu::test::addEngineRows(); }
    void differentNumbersDoNotMatch()
    {
        ZU_TEST_DATABASE(db);
        addKnownCustomers();
        // One digit more, one less, one other, or the digits of a number in another order.
        for (const char* number :
             {"0571888866661", "05718888666", "057188886667", "0571-6666-8888", "8888"}) {
            const DuplicateCustomers d =
                find({.phone = QString::fromUtf8(number), .mobile = QString::fromUtf8(number)});
            QVERIFY2(d.isEmpty(), number);
        }
        // A number without digits is no number.
        QVERIFY(find({.phone = QStringLiteral("无"), .mobile = QStringLiteral("-")}).isEmpty());
    }

    void nameAndAddressMatchTogether_data() { zu::test::addEngineRows(); }
    void nameAndAddressMatchTogether()
    {
        ZU_TEST_DATABASE(db);
        addKnownCustomers();
        // Blanks do not count.
        const DuplicateCustomers d =
            find({.name = QStringLiteral("张 三"), .address = QStringLiteral("杭州市西湖路1号 ")});
        QCOMPARE(d.sameNameAddress, QList{kZhang});
        QCOMPARE(d.question(), QStringLiteral("已有相同名称和地址的客户：张三 (KH0001)，仍然保存吗？"));
        // The name at another address, another name at the address, or no address at all.
        QVERIFY(
            find({.name = QStringLiteral("张三"), .address = QStringLiteral("杭州市西湖路2号")}).isEmpty());
        QVERIFY(
            find({.name = QStringLiteral("王五"), .address = QStringLiteral("杭州市西湖路1号")}).isEmpty());
        QVERIFY(find({.name = QStringLiteral("张三")}).isEmpty());
    }

    // A customer changed is compared by its numbers, name and address as they are now, at once.
    void changedCustomerComparedAsItIsNow_data() { zu::test::addEngineRows(); }
    void changedCustomerComparedAsItIsNow()
    {
        ZU_TEST_DATABASE(db);
        addKnownCustomers();
        zu::test::changeCustomer(kLi.code,
                                 {{QStringLiteral("CustName"), QStringLiteral("李 小四")},
                                  {QStringLiteral("Phone"), QStringLiteral("021-6666 7777")},
                                  {QStringLiteral("Mobile"), QStringLiteral("186 1234 5678")},
                                  {QStringLiteral("Address"), QStringLiteral("上海市 南京路 3 号")}});
        const CustomerMatch renamed{QStringLiteral("李 小四"), kLi.code};
        QCOMPARE(find({.phone = QStringLiteral("02166667777")}).samePhone, QList{renamed});
        QCOMPARE(find({.mobile = QStringLiteral("18612345678")}).sameMobile, QList{renamed});
        QCOMPARE(find({.phone = QStringLiteral("18612345678")}).samePhone, QList{renamed});
        QCOMPARE(find({.name = QStringLiteral("李小四"), .address = QStringLiteral("上海市南京路3号")})
                     .sameNameAddress,
                 QList{renamed});
        // What it was before matches no one any more.
        QVERIFY(find({.phone = QStringLiteral("057177776666")}).isEmpty());
        QVERIFY(
            find({.name = QStringLiteral("李四"), .address = QStringLiteral("杭州市西湖路2号")}).isEmpty());
        QVERIFY(find({.name = QStringLiteral("李 小四"), .address = QStringLiteral("杭州市西湖路2号")})
                    .isEmpty());
        // Letter case of a Latin name does not count either.
        zu::test::changeCustomer(kZhang.code, {{QStringLiteral("CustName"), QStringLiteral("Tom Lee")}});
        QCOMPARE(find({.name = QStringLiteral("TOMLEE"), .address = QStringLiteral("杭州市西湖路1号")})
                     .sameNameAddress,
                 (QList{CustomerMatch{QStringLiteral("Tom Lee"), kZhang.code}}));
    }

    void everyMatchIsNamed_data() { zu::test::addEngineRows(); }
    void everyMatchIsNamed()
    {
        ZU_TEST_DATABASE(db);
        addKnownCustomers();
        addCustomer(QStringLiteral("张三丰"), QStringLiteral("KH0003"),
                    {{QStringLiteral("Mobile"), QStringLiteral("057188886666")}});
        const DuplicateCustomers d = find({.name = QStringLiteral("李四"),
                                           .address = QStringLiteral("杭州市西湖路2号"),
                                           .phone = QStringLiteral("0571-88886666"),
                                           .mobile = QStringLiteral("057188886666")});
        const QList<CustomerMatch> both{kZhang, {QStringLiteral("张三丰"), QStringLiteral("KH0003")}};
        QCOMPARE(d.samePhone, both);
        QCOMPARE(d.sameMobile, both);
        QCOMPARE(d.question(), QStringLiteral("已有相同电话的客户：张三 (KH0001)、张三丰 (KH0003)\n"
                                              "已有相同手机的客户：张三 (KH0001)、张三丰 (KH0003)\n"
                                              "已有相同名称和地址的客户：李四 (KH0002)，仍然保存吗？"));
    }

    // The index of an import knows the customers added after it was read.
    void indexLearnsAddedCustomers_data() { zu::test::addEngineRows(); }
    void indexLearnsAddedCustomers()
    {
        ZU_TEST_DATABASE(db);
        addKnownCustomers();
        DuplicateCustomerIndex index(zu::data().conn());
        const NewCustomer wang{.name = QStringLiteral("王五"),
                               .address = QStringLiteral("西湖路3号"),
                               .phone = QStringLiteral("0571-1234 5678"),
                               .mobile = QStringLiteral("13900001111")};
        QVERIFY(index.find(wang).isEmpty());
        index.add(wang, QStringLiteral("KH0009"));
        const QList<CustomerMatch> added{{QStringLiteral("王五"), QStringLiteral("KH0009")}};
        QCOMPARE(index.find({.phone = QStringLiteral("139 0000 1111")}).samePhone, added);
        QCOMPARE(index.find({.mobile = QStringLiteral("057112345678")}).sameMobile, added);
        QCOMPARE(index.find({.name = QStringLiteral("王 五"), .address = QStringLiteral("西湖路 3 号")})
                     .sameNameAddress,
                 added);
        QVERIFY(index.find({.name = QStringLiteral("王五")}).isEmpty());
        // The one already there stays first.
        index.add({.name = QStringLiteral("赵六"), .mobile = QStringLiteral("057188886666")},
                  QStringLiteral("KH0010"));
        QCOMPARE(index.find({.phone = QStringLiteral("057188886666")}).samePhone,
                 (QList<CustomerMatch>{kZhang, {QStringLiteral("赵六"), QStringLiteral("KH0010")}}));
    }

    void longListsAreCut()
    {
        DuplicateCustomers d;
        for (int i = 1; i <= 7; ++i)
            d.samePhone << CustomerMatch{QStringLiteral("客户%1").arg(i), QString::number(i)};
        QCOMPARE(d.description(),
                 QStringLiteral("已有相同电话的客户：客户1 (1)、客户2 (2)、客户3 (3)、客户4 (4)、"
                                "客户5 (5) 等 7 位"));
    }
};

QTEST_GUILESS_MAIN(TestDuplicateCustomers)
#include "tst_duplicatecustomers.moc"
