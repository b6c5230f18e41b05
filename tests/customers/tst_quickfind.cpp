// Quick find: which customers a few typed characters find, in which order, and the pinyin
// initials and search text kept beside every customer.

#include "customers/quickfind.h"
#include "data/connection.h"
#include "data/datamodule.h"
#include "data/findcolumns.h"
#include "data/findtextparts.h"
#include "data/pinyininitials.h"
#include "data/query.h"
#include "data/schemainstaller.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace zu;
using zu::test::addCustomer;

namespace {

// The schema version whose upgrade step adds quick find's columns.
constexpr int kQuickFindVersion = 4;
// The step that indexes every part of FindText and adds the duplicate check's columns.
constexpr int kFindTextPartsVersion = 10;

QStringList codesFound(const QString& typed, int limit = 20, int scanned = kQuickFindScanned)
{
    QStringList codes;
    for (const QuickFindHit& hit : quickFind(zu::data().conn(), typed, limit, scanned))
        codes << hit.code;
    return codes;
}

// Found through the index of FindText's parts alone, no customer read in order.
QStringList codesIndexed(const QString& typed)
{
    return codesFound(typed, 20, 0);
}

// The database before the last step: without the index of FindText's parts and the columns of
// the duplicate check.
void dropFindTextPartsStep()
{
    Query q(zu::data().conn());
    for (const QString& statement : partIndexDropStatements(zu::data().dialect()))
        q.exec(statement);
    for (const char* column : {"PhoneDigits", "MobileDigits", "NameKey"}) {
        q.exec(QStringLiteral("drop index ix_cust_%1").arg(QString::fromLatin1(column).toLower()));
        q.exec(QStringLiteral("alter table T_Cust drop column %1").arg(QLatin1String(column)));
    }
}

QList<QuickFindHit::Rank> ranksFound(const QString& typed)
{
    QList<QuickFindHit::Rank> ranks;
    for (const QuickFindHit& hit : quickFind(zu::data().conn(), typed))
        ranks << hit.rank;
    return ranks;
}

void addPhoneBook()
{
    addCustomer(QStringLiteral("张三"), QStringLiteral("KH0001"),
                {{QStringLiteral("Phone"), QStringLiteral("0571-8888 6666")},
                 {QStringLiteral("Mobile"), QStringLiteral("13800138000")},
                 {QStringLiteral("GoodsCode"), QStringLiteral("SN-A100")}});
    addCustomer(QStringLiteral("张三丰"), QStringLiteral("KH0002"),
                {{QStringLiteral("Phone"), QStringLiteral("02166667777")},
                 {QStringLiteral("GoodsCode"), QStringLiteral("SN-B200")}});
    addCustomer(QStringLiteral("李四"), QStringLiteral("KH0003"),
                {{QStringLiteral("Mobile"), QStringLiteral("139 1234 5678")}});
}

} // namespace

class TestQuickFind final : public QObject
{
    Q_OBJECT
private slots:
    // Initials of every reading, most common first; Latin words by their first letter.
    void initials()
    {
        QCOMPARE(pinyinInitials(QStringLiteral("张三")), QStringList{QStringLiteral("zs")});
        QCOMPARE(pinyinInitials(QStringLiteral("张三丰")), QStringList{QStringLiteral("zsf")});
        // 单: dān, shàn, chán; 曾: céng, zēng.
        QCOMPARE(readingInitials(U'单'), QStringLiteral("dcs"));
        QCOMPARE(pinyinInitials(QStringLiteral("单田芳")),
                 (QStringList{QStringLiteral("dtf"), QStringLiteral("ctf"), QStringLiteral("stf")}));
        QCOMPARE(pinyinInitials(QStringLiteral("曾单")),
                 (QStringList{QStringLiteral("cd"), QStringLiteral("zd"), QStringLiteral("cc"),
                              QStringLiteral("zc"), QStringLiteral("cs"), QStringLiteral("zs")}));
        QCOMPARE(pinyinInitials(QStringLiteral("Tom Lee")), QStringList{QStringLiteral("tl")});
        // 号 is hào, and xiāo in the great dictionary.
        QCOMPARE(pinyinInitials(QStringLiteral("ABC电器 3号店")),
                 (QStringList{QStringLiteral("adq3hd"), QStringLiteral("adq3xd")}));
        QCOMPARE(pinyinInitials(QStringLiteral("（）、-")), QStringList());
        QCOMPARE(readingInitials(U'A'), QString());
        // Many polyphonic characters: the spellings stop at the limit, the common one first.
        const QStringList many = pinyinInitials(QStringLiteral("行行行行行行"), 16);
        QCOMPARE(many.size(), 16);
        QCOMPARE(many.first(), QStringLiteral("xxxxxx"));
    }

    void findColumnsOfACustomer()
    {
        const FindColumns c = findColumnsOf({.name = QStringLiteral("单 Tom"),
                                             .phone = QStringLiteral("0571-8888 6666"),
                                             .mobile = QString(),
                                             .code = QStringLiteral("KH01"),
                                             .goodsCode = QStringLiteral("SN-A")});
        QCOMPARE(c.nameInitials, QStringLiteral("dt ct st"));
        QCOMPARE(c.findText, QStringLiteral("单tom|057188886666||kh01|sn-a|dt|ct|st"));
        // The column holds whole spellings only, up to its size.
        QString longName;
        for (int i = 0; i < 60; ++i)
            longName += QStringLiteral("行");
        const QString initials =
            findColumnsOf({.name = longName, .phone = {}, .mobile = {}, .code = {}, .goodsCode = {}})
                .nameInitials;
        QVERIFY(initials.size() <= FindColumns::kInitialsLength);
        QVERIFY(initials.size() > FindColumns::kInitialsLength - 61);
        for (const QString& spelling : initials.split(QLatin1Char(' ')))
            QCOMPARE(spelling.size(), 60);
    }

    void everyKindOfMatch_data() { zu::test::addEngineRows(); }
    void everyKindOfMatch()
    {
        ZU_TEST_DATABASE(db);
        addPhoneBook();
        zu::test::addJournal(QStringLiteral("T_service"), QStringLiteral("KH0003"), QStringLiteral("李四"),
                             {{QStringLiteral("GoodsCode"), QStringLiteral("SN-C300")}});
        // Any part of a number, with or without its separators.
        QCOMPARE(codesFound(QStringLiteral("88886666")), QStringList{QStringLiteral("KH0001")});
        QCOMPARE(codesFound(QStringLiteral("0571-8888")), QStringList{QStringLiteral("KH0001")});
        QCOMPARE(codesFound(QStringLiteral("5678")), QStringList{QStringLiteral("KH0003")});
        QCOMPARE(codesFound(QStringLiteral("13912345678")), QStringList{QStringLiteral("KH0003")});
        // Any part of the name.
        QCOMPARE(codesFound(QStringLiteral("三")),
                 (QStringList{QStringLiteral("KH0001"), QStringLiteral("KH0002")}));
        QCOMPARE(codesFound(QStringLiteral("三丰")), QStringList{QStringLiteral("KH0002")});
        QCOMPARE(codesFound(QStringLiteral("四")), QStringList{QStringLiteral("KH0003")});
        // The customer code, in any letter case.
        QCOMPARE(codesFound(QStringLiteral("KH0002")), QStringList{QStringLiteral("KH0002")});
        QCOMPARE(codesFound(QStringLiteral("kh0002")), QStringList{QStringLiteral("KH0002")});
        // The body code of the customer and of a service record.
        QCOMPARE(codesFound(QStringLiteral("SN-B200")), QStringList{QStringLiteral("KH0002")});
        QCOMPARE(codesFound(QStringLiteral("SN-C3")), QStringList{QStringLiteral("KH0003")});
        // Pinyin initials.
        QCOMPARE(codesFound(QStringLiteral("zs")),
                 (QStringList{QStringLiteral("KH0001"), QStringLiteral("KH0002")}));
        QCOMPARE(codesFound(QStringLiteral("zsf")), QStringList{QStringLiteral("KH0002")});
        QCOMPARE(codesFound(QStringLiteral("ZSF")), QStringList{QStringLiteral("KH0002")});
        QCOMPARE(codesFound(QStringLiteral("ls")), QStringList{QStringLiteral("KH0003")});
        // Nothing, and nothing typed.
        QVERIFY(codesFound(QStringLiteral("王")).isEmpty());
        QVERIFY(codesFound(QStringLiteral("zx")).isEmpty());
        QVERIFY(codesFound(QStringLiteral("  ")).isEmpty());
        QVERIFY(codesFound(QStringLiteral("%")).isEmpty());
        QVERIFY(codesFound(QStringLiteral("_")).isEmpty());
    }

    // Every reading of a polyphonic character finds the name; names without Chinese too.
    void polyphonicAndLatinNames_data() { zu::test::addEngineRows(); }
    void polyphonicAndLatinNames()
    {
        ZU_TEST_DATABASE(db);
        addCustomer(QStringLiteral("单田芳"), QStringLiteral("A1"));
        addCustomer(QStringLiteral("曾小明"), QStringLiteral("A2"));
        addCustomer(QStringLiteral("Tom Lee"), QStringLiteral("A3"));
        addCustomer(QStringLiteral("ABC电器"), QStringLiteral("A4"));
        for (const char* typed : {"dtf", "stf", "ctf", "st"})
            QCOMPARE(codesFound(QString::fromLatin1(typed)), QStringList{QStringLiteral("A1")});
        for (const char* typed : {"zxm", "cxm"})
            QCOMPARE(codesFound(QString::fromLatin1(typed)), QStringList{QStringLiteral("A2")});
        QCOMPARE(codesFound(QStringLiteral("tl")), QStringList{QStringLiteral("A3")});
        QCOMPARE(codesFound(QStringLiteral("tom")), QStringList{QStringLiteral("A3")});
        QCOMPARE(codesFound(QStringLiteral("tom lee")), QStringList{QStringLiteral("A3")});
        QCOMPARE(codesFound(QStringLiteral("adq")), QStringList{QStringLiteral("A4")});
        QCOMPARE(codesFound(QStringLiteral("abc")), QStringList{QStringLiteral("A4")});
        QVERIFY(codesFound(QStringLiteral("xtf")).isEmpty());
    }

    // Initials typed in either letter case find the name even when the list has room for only
    // one, and other customers merely holding the letters were entered before it.
    void initialsBeforeWhatMerelyHoldsThem_data() { zu::test::addEngineRows(); }
    void initialsBeforeWhatMerelyHoldsThem()
    {
        ZU_TEST_DATABASE(db);
        addCustomer(QStringLiteral("甲"), QStringLiteral("XAZ"));
        addCustomer(QStringLiteral("安装"), QStringLiteral("B2"));
        for (const char* typed : {"az", "AZ", "Az", "aZ"})
            QCOMPARE(codesFound(QString::fromLatin1(typed), 1), QStringList{QStringLiteral("B2")});
        QCOMPARE(codesFound(QStringLiteral("az")),
                 (QStringList{QStringLiteral("B2"), QStringLiteral("XAZ")}));
    }

    // Exact codes and numbers first, then beginnings, then the rest; by code within each.
    void bestMatchesFirst_data() { zu::test::addEngineRows(); }
    void bestMatchesFirst()
    {
        ZU_TEST_DATABASE(db);
        addCustomer(QStringLiteral("甲"), QStringLiteral("C3"),
                    {{QStringLiteral("Phone"), QStringLiteral("99123")}});
        addCustomer(QStringLiteral("乙"), QStringLiteral("C2"),
                    {{QStringLiteral("Mobile"), QStringLiteral("12399")}});
        addCustomer(QStringLiteral("丙"), QStringLiteral("123"));
        addCustomer(QStringLiteral("丁"), QStringLiteral("C1"),
                    {{QStringLiteral("GoodsCode"), QStringLiteral("9123")}});
        addCustomer(QStringLiteral("戊"), QStringLiteral("C0"),
                    {{QStringLiteral("Phone"), QStringLiteral("123")}});
        QCOMPARE(codesFound(QStringLiteral("123")),
                 (QStringList{QStringLiteral("123"), QStringLiteral("C0"), QStringLiteral("C2"),
                              QStringLiteral("C1"), QStringLiteral("C3")}));
        QCOMPARE(ranksFound(QStringLiteral("123")),
                 (QList{QuickFindHit::Exact, QuickFindHit::Exact, QuickFindHit::Beginning,
                        QuickFindHit::Contained, QuickFindHit::Contained}));
        // A number typed with other separators is the same number.
        QCOMPARE(ranksFound(QStringLiteral("1-2-3")).first(), QuickFindHit::Exact);
        // One letter more and the exact ones only begin with it.
        QCOMPARE(codesFound(QStringLiteral("12")).mid(0, 3),
                 (QStringList{QStringLiteral("123"), QStringLiteral("C0"), QStringLiteral("C2")}));
        QCOMPARE(ranksFound(QStringLiteral("12")).first(), QuickFindHit::Beginning);
    }

    // Twenty customers at most: the best ones, exact before beginning before contained.
    void twentyAtMost_data() { zu::test::addEngineRows(); }
    void twentyAtMost()
    {
        ZU_TEST_DATABASE(db);
        for (int i = 0; i < 25; ++i)
            addCustomer(
                QStringLiteral("客户%1").arg(i), QStringLiteral("X%1").arg(i, 2, 10, QLatin1Char('0')),
                {{QStringLiteral("Phone"), QStringLiteral("0571%1").arg(i, 4, 10, QLatin1Char('0'))}});
        addCustomer(QStringLiteral("号码正好"), QStringLiteral("Z9"),
                    {{QStringLiteral("Phone"), QStringLiteral("0571")}});
        QCOMPARE(quickFind(zu::data().conn(), QStringLiteral("0571")).size(), 20);
        QCOMPARE(codesFound(QStringLiteral("0571")).first(), QStringLiteral("Z9"));
        QCOMPARE(quickFind(zu::data().conn(), QStringLiteral("0571"), 5).size(), 5);
        QCOMPARE(quickFind(zu::data().conn(), QStringLiteral("0571"), 26).size(), 26);
        QCOMPARE(quickFind(zu::data().conn(), QStringLiteral("0571"), 27).size(), 26);
        // Contained matches fill what the better ones leave: 客户1x found by "户1".
        QCOMPARE(codesFound(QStringLiteral("户1")),
                 (QStringList{QStringLiteral("X01"), QStringLiteral("X10"), QStringLiteral("X11"),
                              QStringLiteral("X12"), QStringLiteral("X13"), QStringLiteral("X14"),
                              QStringLiteral("X15"), QStringLiteral("X16"), QStringLiteral("X17"),
                              QStringLiteral("X18"), QStringLiteral("X19")}));
    }

    // The drop-down's line names the customer, its code and what there is of numbers and codes.
    void hitText()
    {
        const QuickFindHit hit{.id = 1,
                               .name = QStringLiteral("张三"),
                               .code = QStringLiteral("KH1"),
                               .phone = QStringLiteral("0571-1"),
                               .mobile = QString(),
                               .goodsCode = QStringLiteral("SN1"),
                               .rank = QuickFindHit::Exact,
                               .machineCode = QString()};
        QCOMPARE(hit.text(), QStringLiteral("张三  KH1  0571-1  SN1"));
    }

    // A customer found by a body code, its own (as typed or in other letter case) or that of one
    // of its service records, names the machine; found by anything else, none.
    void machineCodeOfTheHit_data() { zu::test::addEngineRows(); }
    void machineCodeOfTheHit()
    {
        ZU_TEST_DATABASE(db);
        addPhoneBook();
        zu::test::addJournal(QStringLiteral("T_service"), QStringLiteral("KH0003"), QStringLiteral("李四"),
                             {{QStringLiteral("GoodsCode"), QStringLiteral("SN-C300")}});
        zu::test::addJournal(QStringLiteral("T_service"), QStringLiteral("KH0003"), QStringLiteral("李四"),
                             {{QStringLiteral("GoodsCode"), QStringLiteral("SN-C")}});
        auto machines = [](const char* typed) {
            QStringList found;
            for (const QuickFindHit& hit : quickFind(zu::data().conn(), QString::fromUtf8(typed)))
                found << hit.code + QLatin1Char(':') + hit.machineCode;
            found.sort();
            return found;
        };
        QCOMPARE(machines("SN-A1"), QStringList{QStringLiteral("KH0001:SN-A100")});
        QCOMPARE(machines("sn-b2"), QStringList{QStringLiteral("KH0002:SN-B200")});
        QCOMPARE(machines("SN-C"), QStringList{QStringLiteral("KH0003:SN-C")}); // the whole code first
        QCOMPARE(machines("SN-C3"), QStringList{QStringLiteral("KH0003:SN-C300")});
        QCOMPARE(machines("zs"), (QStringList{QStringLiteral("KH0001:"), QStringLiteral("KH0002:")}));
        const QList<QuickFindHit> all = quickFind(zu::data().conn(), QStringLiteral("SN-"));
        QCOMPARE(all.size(), 3);
        QCOMPARE(machineCodesOf(all, 2).size(), 2);
        QCOMPARE(machineCodesOf(quickFind(zu::data().conn(), QStringLiteral("张")), 3), QStringList());
    }

    // Any part of what quick find looks into, of one, two or more characters, is found through the
    // index as by reading the customers in order: the same customers, in the same order.
    void indexFindsWhatReadingFinds_data() { zu::test::addEngineRows(); }
    void indexFindsWhatReadingFinds()
    {
        ZU_TEST_DATABASE(db);
        addPhoneBook();
        addCustomer(QStringLiteral("王\"引号\"%店"), QStringLiteral("KH0004"),
                    {{QStringLiteral("Phone"), QStringLiteral("0571-5555")}});
        for (int i = 0; i < 30; ++i)
            addCustomer(
                QStringLiteral("客户%1").arg(i), QStringLiteral("Y%1").arg(i, 2, 10, QLatin1Char('0')),
                {{QStringLiteral("Mobile"), QStringLiteral("1390000%1").arg(i, 4, 10, QLatin1Char('0'))}});
        QCOMPARE(codesIndexed(QStringLiteral("丰")), QStringList{QStringLiteral("KH0002")});
        QCOMPARE(codesIndexed(QStringLiteral("三丰")), QStringList{QStringLiteral("KH0002")});
        QCOMPARE(codesIndexed(QStringLiteral("8886")), QStringList{QStringLiteral("KH0001")});
        QCOMPARE(codesIndexed(QStringLiteral("66")),
                 (QStringList{QStringLiteral("KH0001"), QStringLiteral("KH0002")}));
        // The last characters of FindText and its first.
        QCOMPARE(codesIndexed(QStringLiteral("f")), QStringList{QStringLiteral("KH0002")});
        QCOMPARE(codesIndexed(QStringLiteral("李")), QStringList{QStringLiteral("KH0003")});
        QCOMPARE(codesIndexed(QStringLiteral("\"引号\"")), QStringList{QStringLiteral("KH0004")});
        QCOMPARE(codesIndexed(QStringLiteral("\"")), QStringList{QStringLiteral("KH0004")});
        QCOMPARE(codesIndexed(QStringLiteral("%店")), QStringList{QStringLiteral("KH0004")});
        for (const char* nothing : {"鑫", "x7", "无此客户", "_", "店%"})
            QVERIFY2(codesIndexed(QString::fromUtf8(nothing)).isEmpty(), nothing);
        for (const char* typed :
             {"丰",    "三丰", "8886",    "66", "f",  "0",   "00", "000",      "户",  "户1",
              "客户2", "3900", "1390000", "y1", "\"", "%店", "鑫", "无此客户", "1-3", "sn-b"}) {
            const QString text = QString::fromUtf8(typed);
            const QStringList read = codesFound(text);
            QCOMPARE(codesIndexed(text), read);
            QCOMPARE(codesFound(text, 20, 3), read); // the first few read, the rest looked up
            QCOMPARE(codesFound(text, 20, 1000), read);
        }
        // More customers hold it than there is room for: those with the lowest keys.
        QCOMPARE(codesIndexed(QStringLiteral("户")).size(), 20);
        QCOMPARE(codesIndexed(QStringLiteral("户")).first(), QStringLiteral("Y00"));
        QCOMPARE(codesIndexed(QStringLiteral("户")).last(), QStringLiteral("Y19"));
    }

    // A few of the first customers hold the text: reading on in key order, or looking the rest up
    // when reading on promises too little, offers the same customers as the index alone.
    void readingOnFindsWhatTheIndexFinds_data() { zu::test::addEngineRows(); }
    void readingOnFindsWhatTheIndexFinds()
    {
        ZU_TEST_DATABASE(db);
        // Every other of the first 60 holds 甲 (the 20th of them is the 39th customer); every
        // other of the first 16 holds 乙, eight in all; one of the first ten holds 丙, and the 100th.
        for (int i = 0; i < 100; ++i) {
            QString name = QStringLiteral("客户%1").arg(i);
            if (i < 60 && i % 2 == 0)
                name += QStringLiteral("甲");
            if (i < 16 && i % 2 == 1)
                name += QStringLiteral("乙");
            if (i == 3 || i == 99)
                name += QStringLiteral("丙");
            addCustomer(name, QStringLiteral("C%1").arg(i, 3, 10, QLatin1Char('0')));
        }
        QStringList even;
        for (int i = 0; i < 40; i += 2)
            even << QStringLiteral("C%1").arg(i, 3, 10, QLatin1Char('0'));
        QCOMPARE(codesIndexed(QStringLiteral("甲")), even);
        QStringList odd;
        for (int i = 1; i < 16; i += 2)
            odd << QStringLiteral("C%1").arg(i, 3, 10, QLatin1Char('0'));
        QCOMPARE(codesIndexed(QStringLiteral("乙")), odd);
        const QStringList both{QStringLiteral("C003"), QStringLiteral("C099")};
        QCOMPARE(codesIndexed(QStringLiteral("丙")), both);
        // 5 of the first 10 hold 甲: reading on to the 80th finds all 20 (to the 39th).
        QCOMPARE(codesFound(QStringLiteral("甲"), 20, 10), even);
        // 5 of the first 10 hold 乙: reading on finds only 8, the index the same 8.
        QCOMPARE(codesFound(QStringLiteral("乙"), 20, 10), odd);
        // 1 of the first 10 holds 丙: too few to read on, the index finds the 100th too.
        QCOMPARE(codesFound(QStringLiteral("丙"), 20, 10), both);
        // 2 of the first 4 hold 甲: too few to read on as far as needed; the index answers.
        QCOMPARE(codesFound(QStringLiteral("甲"), 20, 4), even);
    }

    // A customer added, changed or deleted is found by what it holds now at once.
    void changesFoundAtOnce_data() { zu::test::addEngineRows(); }
    void changesFoundAtOnce()
    {
        ZU_TEST_DATABASE(db);
        addPhoneBook();
        zu::test::changeCustomer(QStringLiteral("KH0003"),
                                 {{QStringLiteral("CustName"), QStringLiteral("欧阳锋")},
                                  {QStringLiteral("Mobile"), QStringLiteral("18612345678")}});
        for (const char* typed : {"锋", "阳锋", "欧阳锋", "yf", "86123", "4567"})
            QVERIFY2(codesIndexed(QString::fromUtf8(typed)) == QStringList{QStringLiteral("KH0003")}, typed);
        for (const char* typed : {"四", "李四", "1391234"})
            QVERIFY2(codesIndexed(QString::fromUtf8(typed)).isEmpty(), typed);
        addCustomer(QStringLiteral("新客户"), QStringLiteral("KH0009"));
        QCOMPARE(codesIndexed(QStringLiteral("新")), QStringList{QStringLiteral("KH0009")});
        Query q(zu::data().conn());
        QCOMPARE(q.exec(QStringLiteral("delete from T_Cust where IDCode = ?"), {QStringLiteral("KH0002")}),
                 1);
        QCOMPARE(codesIndexed(QStringLiteral("丰")), QStringList());
        QCOMPARE(codesIndexed(QStringLiteral("三")), QStringList{QStringLiteral("KH0001")});
    }

    // A database of the release before the index of FindText's parts: the upgrade fills it and
    // the duplicate check's columns for every customer there is.
    void upgradeIndexesEveryPart_data() { zu::test::addEngineRows(); }
    void upgradeIndexesEveryPart()
    {
        ZU_TEST_DATABASE(db);
        dropFindTextPartsStep();
        Query q(zu::data().conn());
        q.exec(QStringLiteral("delete from zu_schema"));
        q.exec(QStringLiteral("insert into zu_schema (version) values (?)"), {kFindTextPartsVersion - 1});
        const CustomerKeys keys[] = {
            {.name = QStringLiteral("张 三"),
             .phone = QStringLiteral("0571-8888 6666"),
             .mobile = {},
             .code = QStringLiteral("KH0001"),
             .goodsCode = QStringLiteral("SN-A1")},
            {.name = QStringLiteral("李四"),
             .phone = {},
             .mobile = QStringLiteral("139 1234 5678"),
             .code = QStringLiteral("KH0002"),
             .goodsCode = {}},
        };
        for (const CustomerKeys& k : keys) {
            const FindColumns f = findColumnsOf(k);
            q.exec(QStringLiteral("insert into T_Cust (CustName, IDCode, Phone, Mobile, GoodsCode, Address, "
                                  "NameInitials, FindText) values (?, ?, ?, ?, ?, ?, ?, ?)"),
                   {k.name, k.code, k.phone, k.mobile, k.goodsCode, QStringLiteral("西湖路1号"),
                    f.nameInitials, f.findText});
        }
        // More customers than the upgrade writes at once.
        constexpr int kMore = 1200;
        {
            TransactionGuard tx(zu::data().conn());
            for (int i = 0; i < kMore; ++i) {
                const CustomerKeys more{.name = QStringLiteral("客户"),
                                        .phone = QStringLiteral("0571-%1").arg(i),
                                        .mobile = {},
                                        .code = QStringLiteral("M%1").arg(i),
                                        .goodsCode = {}};
                const FindColumns f = findColumnsOf(more);
                q.exec(QStringLiteral("insert into T_Cust (CustName, IDCode, Phone, NameInitials, FindText) "
                                      "values (?, ?, ?, ?, ?)"),
                       {more.name, more.code, more.phone, f.nameInitials, f.findText});
            }
            tx.commit();
        }
        SchemaInstaller installer(zu::data().conn());
        QCOMPARE(installer.upgrade(kFindTextPartsVersion), 1);
        QCOMPARE(installer.version(), kFindTextPartsVersion);
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_Cust where PhoneDigits like ?"),
                                 {QStringLiteral("0571%")}),
                 kMore + 1);
        QCOMPARE(zu::test::column(QStringLiteral("select IDCode from T_Cust where PhoneDigits = ?"),
                                  {QStringLiteral("05711199")}),
                 QStringList{QStringLiteral("M1199")});
        QCOMPARE(codesIndexed(QStringLiteral("客户")).size(), 20);
        QCOMPARE(codesIndexed(QStringLiteral("三")), QStringList{QStringLiteral("KH0001")});
        QCOMPARE(codesIndexed(QStringLiteral("8888")), QStringList{QStringLiteral("KH0001")});
        QCOMPARE(codesIndexed(QStringLiteral("a1")), QStringList{QStringLiteral("KH0001")});
        QCOMPARE(codesIndexed(QStringLiteral("12345")), QStringList{QStringLiteral("KH0002")});
        QCOMPARE(zu::test::column(QStringLiteral("select coalesce(PhoneDigits, '') || ':' || "
                                                 "coalesce(MobileDigits, '') || ':' || NameKey from T_Cust "
                                                 "where IDCode like 'KH%' order by IDCode")),
                 (QStringList{QStringLiteral("057188886666::张三"), QStringLiteral(":13912345678:李四")}));
        // Later writes keep the index without the upgrade.
        zu::test::changeCustomer(QStringLiteral("KH0002"),
                                 {{QStringLiteral("CustName"), QStringLiteral("王五")}});
        QCOMPARE(codesIndexed(QStringLiteral("五")), QStringList{QStringLiteral("KH0002")});
        QCOMPARE(codesIndexed(QStringLiteral("四")), QStringList());
    }

    // The database file release 1.0 made: upgraded, its customers are found by initials,
    // numbers and body codes.
    void releaseOneDatabaseUpgraded()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Service.db"));
        QVERIFY(QFile::copy(QString::fromUtf8(ZU_DATA_FIXTURES "/release-1.0.db"), file));
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        ConnectionSettings settings;
        settings.filePath = file;
        Connection c(SqlDialect::sqlite(), settings);
        QVERIFY2(c.open(), qPrintable(c.lastError()));
        QCOMPARE(SchemaInstaller(c).upgrade(), SchemaInstaller::kCurrentVersion - 1);
        auto codes = [&c](const char* typed) {
            QStringList found;
            for (const QuickFindHit& hit : quickFind(c, QString::fromUtf8(typed)))
                found << hit.code;
            return found;
        };
        QCOMPARE(codes("ljg"), QStringList{QStringLiteral("KH0001")});
        QCOMPARE(codes("zxl"), QStringList{QStringLiteral("KH0002")});
        QCOMPARE(codes("65001234"), QStringList{QStringLiteral("KH0001")});
        QCOMPARE(codes("SN2024"), QStringList{QStringLiteral("KH0001")});
        QCOMPARE(codes("芳"), QStringList{QStringLiteral("KH0003")});
    }

    // A database of the release before: the upgrade adds the columns and fills them for every
    // customer, so quick find finds them by their initials.
    void upgradeFillsTheInitials_data() { zu::test::addEngineRows(); }
    void upgradeFillsTheInitials()
    {
        ZU_TEST_DATABASE(db);
        dropFindTextPartsStep();
        Query q(zu::data().conn());
        for (const QString& index : zu::data().dialect().quickFindIndexes())
            q.exec(QStringLiteral("drop index %1").arg(index.section(QLatin1Char(' '), 2, 2)));
        q.exec(QStringLiteral("drop index ix_cust_findtext"));
        q.exec(QStringLiteral("alter table T_Cust drop column NameInitials"));
        q.exec(QStringLiteral("alter table T_Cust drop column FindText"));
        q.exec(QStringLiteral("delete from zu_schema"));
        q.exec(QStringLiteral("insert into zu_schema (version) values (?)"), {kQuickFindVersion - 1});
        for (const char* name : {"张三", "单田芳", "Tom Lee"})
            q.exec(QStringLiteral("insert into T_Cust (CustName, IDCode, Phone) values (?, ?, ?)"),
                   {QString::fromUtf8(name), QString::fromUtf8(name), QStringLiteral("0571-1234")});

        SchemaInstaller installer(zu::data().conn());
        QCOMPARE(installer.version(), kQuickFindVersion - 1);
        QCOMPARE(installer.upgrade(kQuickFindVersion), 1);
        QCOMPARE(installer.version(), kQuickFindVersion);
        QCOMPARE(installer.upgrade(kQuickFindVersion), 0);
        // The steps between are in place already.
        q.exec(QStringLiteral("delete from zu_schema"));
        q.exec(QStringLiteral("insert into zu_schema (version) values (?)"), {kFindTextPartsVersion - 1});
        QCOMPARE(installer.upgrade(kFindTextPartsVersion), 1);
        QCOMPARE(codesFound(QStringLiteral("zs")), QStringList{QStringLiteral("张三")});
        QCOMPARE(codesFound(QStringLiteral("stf")), QStringList{QStringLiteral("单田芳")});
        QCOMPARE(codesFound(QStringLiteral("tl")), QStringList{QStringLiteral("Tom Lee")});
        QCOMPARE(codesFound(QStringLiteral("05711234")).size(), 3);
        q.open(QStringLiteral("select NameInitials from T_Cust where IDCode = ?"),
               {QStringLiteral("单田芳")});
        QCOMPARE(q.value(0).toString(), QStringLiteral("dtf ctf stf"));
    }
};

QTEST_GUILESS_MAIN(TestQuickFind)
#include "tst_quickfind.moc"
