#include "customers/categorycodes.h"
#include "customers/dicttree.h"
#include "data/datamodule.h"
#include "data/errors.h"
#include "data/query.h"
#include "support/testdatabase.h"

#include <QTreeWidget>
#include <QtTest>

using namespace zu;

namespace {

const QString kCustomerKind = QStringLiteral("用户类别");

struct Category
{
    QString code;
    QString name;
    QString kind = QStringLiteral("用户类别");
};

void insertCategories(const QList<Category>& rows)
{
    for (const Category& c : rows)
        data().T().exec(QStringLiteral("insert into T_Dict_cate (name, code, tableName) values (?, ?, ?)"),
                        {c.name, c.code, c.kind});
}

// `count` siblings under `prefix`, numbered from 01, in one statement.
void insertNumberedCategories(const QString& prefix, int count)
{
    QStringList rows;
    QVariantList values;
    for (int i = 1; i <= count; ++i) {
        rows << QStringLiteral("(?, ?, ?)");
        values << QStringLiteral("类别%1").arg(i)
               << prefix + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')) << kCustomerKind;
    }
    data().T().exec(
        QStringLiteral("insert into T_Dict_cate (name, code, tableName) values ") + rows.join(u','), values);
}

QStringList codesOfKind(const QString& kind)
{
    QStringList codes;
    Query& q = data().T();
    q.open(QStringLiteral("select code from T_Dict_cate where tableName = ? order by code"), {kind});
    for (; !q.eof(); q.next())
        codes << q.value(0).toString();
    q.close();
    return codes;
}

// The tree as indented lines of node text, in display order.
QStringList outline(const QTreeWidgetItem* item, int depth = 0)
{
    QStringList lines{QString(depth * 2, QLatin1Char(' ')) + item->text(0)};
    for (int i = 0; i < item->childCount(); ++i)
        lines += outline(item->child(i), depth + 1);
    return lines;
}

QString refusal(const QString& selectedCode, bool child)
{
    try {
        const QString code = proposeCategoryCode(kCustomerKind, selectedCode, child);
        return QStringLiteral("proposed ") + code;
    } catch (const CommandError& e) {
        return e.text();
    }
}

} // namespace

class TestCategories final : public QObject
{
    Q_OBJECT
private slots:
    void codeLevel_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("level");
        for (int length = 2; length <= 30; length += 2)
            QTest::addRow("length %d", length)
                << kLevelPattern << QString(length, QLatin1Char('1')) << length / 2;
        for (int length : {1, 3, 29, 31, 32})
            QTest::addRow("length %d", length) << kLevelPattern << QString(length, QLatin1Char('1')) << -1;
        QTest::newRow("empty code") << kLevelPattern << QString() << -1;
        QTest::newRow("empty pattern") << QString() << QStringLiteral("01") << -1;
        QTest::newRow("uneven pattern, first") << QStringLiteral("243") << QStringLiteral("01") << 1;
        QTest::newRow("uneven pattern, second") << QStringLiteral("243") << QStringLiteral("010203") << 2;
        QTest::newRow("uneven pattern, third") << QStringLiteral("243") << QStringLiteral("010203040") << 3;
        QTest::newRow("uneven pattern, between") << QStringLiteral("243") << QStringLiteral("0102") << -1;
    }
    void codeLevel()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, code);
        QFETCH(int, level);
        QCOMPARE(CodeLevel(pattern, code), level);
    }

    void padCode_data()
    {
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QString>("padded");
        QTest::newRow("1") << QStringLiteral("8") << QStringLiteral("08");
        QTest::newRow("2") << QStringLiteral("10") << QStringLiteral("10");
        QTest::newRow("3") << QStringLiteral("313") << QStringLiteral("0313");
        QTest::newRow("8") << QStringLiteral("12345678") << QStringLiteral("12345678");
        QTest::newRow("9") << QStringLiteral("123456789") << QStringLiteral("0123456789");
        QTest::newRow("11") << QStringLiteral("10203040506") << QStringLiteral("010203040506");
        QTest::newRow("empty") << QString() << QString();
    }
    void padCode()
    {
        QFETCH(QString, digits);
        QFETCH(QString, padded);
        QCOMPARE(PadCode(digits), padded);
    }

    void nodeTextReadsBack()
    {
        const QString text = categoryNodeText(QStringLiteral(" 05 "), QStringLiteral(" A-B "));
        QCOMPARE(text, QStringLiteral("05-A-B"));
        QCOMPARE(codeFromNodeText(text), QStringLiteral("05"));
        QCOMPARE(nameFromNodeText(text), QStringLiteral("A-B"));

        QCOMPARE(codeFromNodeText(categoryNodeText(QStringLiteral("0102"), QString())),
                 QStringLiteral("0102"));
        QCOMPARE(nameFromNodeText(categoryNodeText(QStringLiteral("0102"), QString())), QString());

        // The root carries no code.
        QCOMPARE(codeFromNodeText(kCustomerKind), QString());
        QCOMPARE(nameFromNodeText(kCustomerKind), kCustomerKind);
    }

    void proposals_data() { zu::test::addEngineRows(); }
    void proposals()
    {
        ZU_TEST_DATABASE(db);
        // An empty kind starts at 01, whether the root's child or sibling is asked for.
        QCOMPARE(proposeCategoryCode(kCustomerKind, QString(), true), QStringLiteral("01"));
        QCOMPARE(proposeCategoryCode(kCustomerKind, QString(), false), QStringLiteral("01"));

        insertNumberedCategories(QString(), 9);
        QCOMPARE(proposeCategoryCode(kCustomerKind, QString(), true), QStringLiteral("10"));
        QCOMPARE(proposeCategoryCode(kCustomerKind, QStringLiteral("05"), false), QStringLiteral("10"));
        QCOMPARE(proposeCategoryCode(kCustomerKind, QStringLiteral("03"), true), QStringLiteral("0301"));

        insertNumberedCategories(QStringLiteral("03"), 4);
        for (const char* selected : {"0301", "0302", "0303", "0304"})
            QCOMPARE(proposeCategoryCode(kCustomerKind, QString::fromLatin1(selected), false),
                     QStringLiteral("0305"));
        QCOMPARE(proposeCategoryCode(kCustomerKind, QStringLiteral("03"), true), QStringLiteral("0305"));
        QCOMPARE(proposeCategoryCode(kCustomerKind, QStringLiteral("0302"), true), QStringLiteral("030201"));
        // The top level is counted by its own width, not by the longer codes below it.
        QCOMPARE(proposeCategoryCode(kCustomerKind, QString(), true), QStringLiteral("10"));
    }

    // Codes are digits only: a code with any other character is refused, whether chosen, typed
    // or found stored as the highest of its level.
    void codesAreDigitsOnly()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        QCOMPARE(refusal(QStringLiteral("09"), true), QStringLiteral("proposed 0901"));
        for (const char* code : {"0A", "0/", "0:"})
            QCOMPARE(refusal(QString::fromLatin1(code), true),
                     QStringLiteral("类别编码“%1”无效，不能在此增加类别").arg(QString::fromLatin1(code)));
        QString refused;
        try {
            addCategory(data().T(), kCustomerKind, QStringLiteral("9:"), QStringLiteral("新类别"));
        } catch (const CommandError& e) {
            refused = e.text();
        }
        QCOMPARE(refused, QStringLiteral("类别编码“9:”无效，没有保存。"));
        addCategory(data().T(), kCustomerKind, QStringLiteral("90"), QStringLiteral("新类别"));
        QCOMPARE(refusal(QString(), true), QStringLiteral("proposed 91"));
        data().T().exec(QStringLiteral("insert into T_Dict_cate (name, code, tableName) values (?, ?, ?)"),
                        {QStringLiteral("旧类别"), QStringLiteral("9Z"), kCustomerKind});
        QCOMPARE(refusal(QString(), true), QStringLiteral("类别编码“9Z”不是数字编码，无法生成新编码"));
    }

    void longCodesArePossible_data() { zu::test::addEngineRows(); }
    void longCodesArePossible()
    {
        ZU_TEST_DATABASE(db);
        // Beyond what a 32-bit number holds, under a top-level category above 09.
        insertCategories({{QStringLiteral("1299999998"), QStringLiteral("十级")},
                          {QStringLiteral("129999999807"), QStringLiteral("十二级")}});
        QCOMPARE(proposeCategoryCode(kCustomerKind, QStringLiteral("1299999998"), true),
                 QStringLiteral("129999999808"));
        QCOMPARE(proposeCategoryCode(kCustomerKind, QStringLiteral("1299999998"), false),
                 QStringLiteral("1299999999"));

        const QString level14 = QStringLiteral("01").repeated(14);
        const QString level15 = level14 + QStringLiteral("41");
        insertCategories({{level14, QStringLiteral("十四级")}, {level15, QStringLiteral("十五级")}});
        QCOMPARE(proposeCategoryCode(kCustomerKind, level14, true), level14 + QStringLiteral("42"));
        QCOMPARE(proposeCategoryCode(kCustomerKind, level15, false), level14 + QStringLiteral("42"));
        QVERIFY_THROWS_EXCEPTION(CommandError, proposeCategoryCode(kCustomerKind, level15, true));
    }

    void fullParentIsRefused_data() { zu::test::addEngineRows(); }
    void fullParentIsRefused()
    {
        ZU_TEST_DATABASE(db);
        insertNumberedCategories(QString(), 99);
        insertNumberedCategories(QStringLiteral("01"), 99);

        const QString topLevel = refusal(QString(), true);
        QVERIFY2(topLevel.contains(QStringLiteral("99")) && !topLevel.startsWith(QStringLiteral("proposed")),
                 qPrintable(topLevel));
        QCOMPARE(refusal(QStringLiteral("42"), false), topLevel);

        const QString underParent = refusal(QStringLiteral("01"), true);
        QVERIFY2(underParent.contains(QStringLiteral("99")) &&
                     !underParent.startsWith(QStringLiteral("proposed")),
                 qPrintable(underParent));
        QCOMPARE(refusal(QStringLiteral("0150"), false), underParent);

        // A full neighbour does not block another parent.
        QCOMPARE(proposeCategoryCode(kCustomerKind, QStringLiteral("02"), true), QStringLiteral("0201"));
    }

    void otherKindsAreNotCounted_data() { zu::test::addEngineRows(); }
    void otherKindsAreNotCounted()
    {
        ZU_TEST_DATABASE(db);
        const QString other = QStringLiteral("公司类别");
        insertCategories({{QStringLiteral("01"), QStringLiteral("甲")},
                          {QStringLiteral("02"), QStringLiteral("乙")},
                          {QStringLiteral("05"), QStringLiteral("丙"), other},
                          {QStringLiteral("0101"), QStringLiteral("丁"), other}});
        QCOMPARE(proposeCategoryCode(kCustomerKind, QString(), true), QStringLiteral("03"));
        QCOMPARE(proposeCategoryCode(kCustomerKind, QStringLiteral("01"), true), QStringLiteral("0101"));
        QCOMPARE(proposeCategoryCode(other, QString(), true), QStringLiteral("06"));
    }

    void subtreeDeletion_data() { zu::test::addEngineRows(); }
    void subtreeDeletion()
    {
        ZU_TEST_DATABASE(db);
        const QString other = QStringLiteral("公司类别");
        insertCategories({{QStringLiteral("01"), QStringLiteral("甲")},
                          {QStringLiteral("0102"), QStringLiteral("甲二")},
                          {QStringLiteral("02"), QStringLiteral("乙")},
                          {QStringLiteral("0201"), QStringLiteral("乙一")},
                          {QStringLiteral("020305"), QStringLiteral("乙三五")},
                          {QStringLiteral("03"), QStringLiteral("丙")},
                          {QStringLiteral("02"), QStringLiteral("别的乙"), other},
                          {QStringLiteral("0201"), QStringLiteral("别的乙一"), other}});
        data().T().exec(
            QStringLiteral("insert into T_Cust (CustName, IDCode, TypeCode, classCode) values (?, ?, ?, ?)"),
            {QStringLiteral("张三"), QStringLiteral("K001"), QStringLiteral("0102"), QStringLiteral("甲二")});

        QCOMPARE(deleteCategorySubtree(kCustomerKind, QStringLiteral(" 02 ")), 3);
        QCOMPARE(codesOfKind(kCustomerKind),
                 (QStringList{QStringLiteral("01"), QStringLiteral("0102"), QStringLiteral("03")}));
        QCOMPARE(codesOfKind(other), (QStringList{QStringLiteral("02"), QStringLiteral("0201")}));

        Query& q = data().T();
        q.open(QStringLiteral("select TypeCode, classCode from T_Cust where IDCode = ?"),
               {QStringLiteral("K001")});
        QCOMPARE(q.value(0).toString(), QStringLiteral("0102"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("甲二"));
        q.close();

        // "%" and "_" in a code are no wildcards.
        QCOMPARE(deleteCategorySubtree(kCustomerKind, QStringLiteral("0_")), 0);
        QCOMPARE(deleteCategorySubtree(kCustomerKind, QStringLiteral("%")), 0);
        QCOMPARE(codesOfKind(kCustomerKind).size(), 3);

        // The root stands for every category: it is never deleted.
        QVERIFY_THROWS_EXCEPTION(CommandError, deleteCategorySubtree(kCustomerKind, QStringLiteral("  ")));
        QCOMPARE(codesOfKind(kCustomerKind).size(), 3);
    }

    void emptyKindGivesTheRootOnly_data() { zu::test::addEngineRows(); }
    void emptyKindGivesTheRootOnly()
    {
        ZU_TEST_DATABASE(db);
        insertCategories({{QStringLiteral("01"), QStringLiteral("别的"), QStringLiteral("公司类别")}});
        QTreeWidget tree;
        new QTreeWidgetItem(&tree, QStringList{QStringLiteral("旧节点")});
        LoadDictTree(&tree, kCustomerKind, kCustomerKind);
        QCOMPARE(tree.topLevelItemCount(), 1);
        QTreeWidgetItem* root = tree.topLevelItem(0);
        QCOMPARE(root->text(0), kCustomerKind);
        QCOMPARE(root->childCount(), 0);
        QCOMPARE(tree.currentItem(), root);
        QVERIFY(root->isSelected());
        QVERIFY(tree.updatesEnabled());
    }

    void treeFollowsTheCodes_data() { zu::test::addEngineRows(); }
    void treeFollowsTheCodes()
    {
        ZU_TEST_DATABASE(db);
        // Stored out of order, with rows that have no level between them.
        insertCategories({{QStringLiteral("03"), QStringLiteral(" 丙 ")},
                          {QStringLiteral("0102"), QStringLiteral("O'Brien")},
                          {QStringLiteral("1"), QStringLiteral("单位数")},
                          {QStringLiteral("01"), QStringLiteral("A-B")},
                          {QStringLiteral("010201"), QStringLiteral("深层")},
                          {QString(), QStringLiteral("无编码")},
                          {QStringLiteral("123"), QStringLiteral("三位数")},
                          {QStringLiteral("0101"), QStringLiteral("甲一")},
                          {QStringLiteral("02"), QStringLiteral("乙")},
                          {QStringLiteral("0201"), QStringLiteral("别的"), QStringLiteral("公司类别")}});
        QTreeWidget tree;
        for (int pass = 0; pass < 2; ++pass) { // loading again replaces the tree
            LoadDictTree(&tree, kCustomerKind, QStringLiteral("全部类别"));
            QCOMPARE(tree.topLevelItemCount(), 1);
            QTreeWidgetItem* root = tree.topLevelItem(0);
            QCOMPARE(outline(root),
                     (QStringList{QStringLiteral("全部类别"), QStringLiteral("  01-A-B"),
                                  QStringLiteral("    0101-甲一"), QStringLiteral("    0102-O'Brien"),
                                  QStringLiteral("      010201-深层"), QStringLiteral("  02-乙"),
                                  QStringLiteral("  03-丙")}));
            QCOMPARE(tree.currentItem(), root);
            QVERIFY(root->isExpanded());
            QVERIFY(!root->child(0)->isExpanded());
            QVERIFY(!root->child(0)->child(1)->isExpanded());
            QVERIFY(tree.updatesEnabled());
        }
        // A window that holds its repaint while it fills several controls gets the tree back held.
        tree.setUpdatesEnabled(false);
        LoadDictTree(&tree, kCustomerKind, QStringLiteral("全部类别"));
        QVERIFY(!tree.updatesEnabled());
        QCOMPARE(tree.topLevelItem(0)->childCount(), 3);
        tree.setUpdatesEnabled(true);
        const QTreeWidgetItem* ab = tree.topLevelItem(0)->child(0);
        QCOMPARE(codeFromNodeText(ab->text(0)), QStringLiteral("01"));
        QCOMPARE(nameFromNodeText(ab->text(0)), QStringLiteral("A-B"));
    }

    void rowsWithoutParentGoUnderTheirAncestor_data() { zu::test::addEngineRows(); }
    void rowsWithoutParentGoUnderTheirAncestor()
    {
        ZU_TEST_DATABASE(db);
        // 0102 and 02 are missing: their children must not land under 0101 or 01.
        insertCategories({{QStringLiteral("01"), QStringLiteral("甲")},
                          {QStringLiteral("0101"), QStringLiteral("甲一")},
                          {QStringLiteral("010201"), QStringLiteral("甲二一")},
                          {QStringLiteral("0201"), QStringLiteral("乙一")},
                          {QStringLiteral("020101"), QStringLiteral("乙一一")}});
        QTreeWidget tree;
        LoadDictTree(&tree, kCustomerKind, kCustomerKind);
        QCOMPARE(outline(tree.topLevelItem(0)),
                 (QStringList{kCustomerKind, QStringLiteral("  01-甲"), QStringLiteral("    0101-甲一"),
                              QStringLiteral("    010201-甲二一"), QStringLiteral("  0201-乙一"),
                              QStringLiteral("    020101-乙一一")}));
    }

    void treeIconsShowTheSelection()
    {
        const QIcon node = treeNodeIcon();
        QVERIFY(!treeRootIcon().isNull());
        QVERIFY(!node.isNull());
        const QImage normal = node.pixmap(QSize(16, 16), QIcon::Normal).toImage();
        const QImage selected = node.pixmap(QSize(16, 16), QIcon::Selected).toImage();
        QVERIFY(!normal.isNull() && !selected.isNull());
        QVERIFY(normal != selected);
    }
};

QTEST_MAIN(TestCategories)
#include "tst_categories.moc"
