#include "data/datamodule.h"
#include "data/query.h"
#include "support/testdatabase.h"
#include "users/actionrights.h"
#include "users/checktree.h"
#include "users/permissions.h"

#include <QAction>
#include <QMap>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest>

using namespace zu;

namespace {

const QString kRights = QStringLiteral("用户权限");
const QString kClearData = QStringLiteral("数据初始化");

struct CatalogueRow
{
    QString code;
    QString name;
    QString qxName;
};

QList<CatalogueRow> catalogueRows(const QString& catalogue)
{
    QList<CatalogueRow> rows;
    Query& q = data().T();
    q.open(QStringLiteral("select code, name, qxName from T_popedom where tablename = ? order by code"),
           {catalogue});
    for (; !q.eof(); q.next())
        rows.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
    q.close();
    return rows;
}

void insertCatalogueRow(const QString& catalogue, const CatalogueRow& row)
{
    data().T().exec(
        QStringLiteral("insert into T_popedom (tablename, code, name, qxName) values (?, ?, ?, ?)"),
        {catalogue, row.code, row.name, row.qxName});
}

QString adminRights()
{
    Query& q = data().T();
    q.open(QStringLiteral("select qxList from T_user where UserName = ?"), {QStringLiteral("Admin")});
    const QString rights = q.value(0).toString();
    q.close();
    return rights;
}

QTreeWidgetItem* find(QTreeWidget& tree, const QString& caption)
{
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        if ((*it)->text(0) == caption)
            return *it;
    qFatal("no node %s", qPrintable(caption));
}

QStringList outline(const QTreeWidgetItem* item, int depth = 0)
{
    QStringList lines{QString(depth * 2, QLatin1Char(' ')) + item->text(0)};
    for (int i = 0; i < item->childCount(); ++i)
        lines += outline(item->child(i), depth + 1);
    return lines;
}

// A check tree built by hand:
//   根
//     A: A1, A2
//     B: B1 (B1x, B1y), B2
struct HandTree
{
    QTreeWidget tree;
    QTreeWidgetItem* root;

    HandTree()
    {
        root = node(nullptr, QStringLiteral("根"));
        QTreeWidgetItem* a = node(root, QStringLiteral("A"));
        node(a, QStringLiteral("A1"));
        node(a, QStringLiteral("A2"));
        QTreeWidgetItem* b = node(root, QStringLiteral("B"));
        QTreeWidgetItem* b1 = node(b, QStringLiteral("B1"));
        node(b1, QStringLiteral("B1x"));
        node(b1, QStringLiteral("B1y"));
        node(b, QStringLiteral("B2"));
        tree.expandAll();
    }
    QTreeWidgetItem* node(QTreeWidgetItem* parent, const QString& caption)
    {
        auto* item = parent ? new QTreeWidgetItem(parent, QStringList{caption})
                            : new QTreeWidgetItem(&tree, QStringList{caption});
        makeCheckNode(item);
        return item;
    }
    Qt::CheckState state(const char* caption)
    {
        return find(tree, QString::fromUtf8(caption))->checkState(0);
    }
    void set(const char* caption, Qt::CheckState s)
    {
        find(tree, QString::fromUtf8(caption))->setCheckState(0, s);
    }

    // A click on the node's check box, as the user does it.
    void click(const char* caption)
    {
        QTreeWidgetItem* item = find(tree, QString::fromUtf8(caption));
        tree.scrollToItem(item);
        QStyleOptionViewItem option;
        option.initFrom(tree.viewport());
        option.rect = tree.visualItemRect(item);
        option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        const QRect box = tree.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &tree);
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, box.center());
    }
};

} // namespace

class TestPermissions final : public QObject
{
    Q_OBJECT
private slots:
    void rightsStringForm()
    {
        QCOMPARE(rightsString({}), QString());
        QCOMPARE(rightsString({QStringLiteral("客户管理")}), QStringLiteral("'客户管理',"));
        QCOMPARE(rightsString({QStringLiteral("A"), QStringLiteral("B")}), QStringLiteral("'A','B',"));
    }

    void grantedNamesMatchExactly_data()
    {
        QTest::addColumn<QString>("rights");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("granted");
        const QString two = QStringLiteral("'客户管理','导出Excel',");
        QTest::newRow("first") << two << QStringLiteral("客户管理") << true;
        QTest::newRow("last") << two << QStringLiteral("导出Excel") << true;
        QTest::newRow("contained in a granted name") << two << QStringLiteral("客户") << false;
        QTest::newRow("tail of a granted name") << two << QStringLiteral("管理") << false;
        QTest::newRow("letter case") << two << QStringLiteral("导出excel") << false;
        QTest::newRow("empty rights") << QString() << QStringLiteral("客户管理") << false;
        QTest::newRow("longer than granted") << two << QStringLiteral("客户管理员") << false;
    }
    void grantedNamesMatchExactly()
    {
        QFETCH(QString, rights);
        QFETCH(QString, name);
        QFETCH(bool, granted);
        QCOMPARE(isGranted(rights, name), granted);
    }

    void deliveredCatalogueTree_data() { zu::test::addEngineRows(); }
    void deliveredCatalogueTree()
    {
        ZU_TEST_DATABASE(db);
        const QList<CatalogueRow> rows = catalogueRows(kRights);
        QVERIFY(rows.size() > 2);
        QTreeWidget tree;
        LoadPopedomTree(&tree, kRights, kRights);

        QCOMPARE(tree.topLevelItemCount(), 1);
        QTreeWidgetItem* root = tree.topLevelItem(0);
        QCOMPARE(root->text(0), kRights);
        QCOMPARE(tree.currentItem(), root);
        QVERIFY(root->isExpanded());
        QVERIFY(!root->child(0)->isExpanded());
        QVERIFY(tree.updatesEnabled());

        // Display order is code order; each row hangs under the longest code that begins its own.
        QStringList captions;
        QMap<QString, QString> parentOf;
        for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
            QCOMPARE((*it)->checkState(0), Qt::Unchecked);
            QVERIFY((*it)->flags() & Qt::ItemIsUserCheckable);
            if (*it != root) {
                captions << (*it)->text(0);
                parentOf.insert((*it)->text(0), (*it)->parent()->text(0));
            }
        }
        QStringList expectedCaptions;
        QMap<QString, QString> expectedParent;
        for (const CatalogueRow& row : rows) {
            expectedCaptions << row.name;
            QString parent = kRights;
            for (const CatalogueRow& other : rows)
                if (other.code.size() < row.code.size() && row.code.startsWith(other.code))
                    parent = other.name;
            expectedParent.insert(row.name, parent);
        }
        QCOMPARE(captions, expectedCaptions);
        QCOMPARE(parentOf, expectedParent);
        QCOMPARE(checkedNamesList(&tree, 0), QString());

        LoadPopedomTree(&tree, kClearData, kClearData);
        QCOMPARE(tree.topLevelItemCount(), 1);
        int nodes = 0;
        for (QTreeWidgetItemIterator it(&tree); *it; ++it)
            ++nodes;
        QCOMPARE(nodes, catalogueRows(kClearData).size() + 1);
    }

    void rowsWithoutLevelAreLeftOut_data() { zu::test::addEngineRows(); }
    void rowsWithoutLevelAreLeftOut()
    {
        ZU_TEST_DATABASE(db);
        const QString catalogue = QStringLiteral("测试目录");
        for (const CatalogueRow& row : {CatalogueRow{QStringLiteral("01"), QStringLiteral(" 甲 "), {}},
                                        CatalogueRow{QStringLiteral("1"), QStringLiteral("一位"), {}},
                                        CatalogueRow{QStringLiteral("010"), QStringLiteral("三位"), {}},
                                        CatalogueRow{QString(), QStringLiteral("无编码"), {}},
                                        CatalogueRow{QStringLiteral("0101"), QStringLiteral("甲一"), {}},
                                        CatalogueRow{QStringLiteral("010201"), QStringLiteral("无父"), {}},
                                        CatalogueRow{QStringLiteral("02"), QStringLiteral("乙"), {}}})
            insertCatalogueRow(catalogue, row);
        QTreeWidget tree;
        LoadPopedomTree(&tree, catalogue, QStringLiteral("根"));
        QCOMPARE(outline(tree.topLevelItem(0)),
                 (QStringList{QStringLiteral("根"), QStringLiteral("  甲"), QStringLiteral("    甲一"),
                              QStringLiteral("    无父"), QStringLiteral("  乙")}));
    }

    void checkingCascadesDown()
    {
        HandTree t;
        t.set("B", Qt::Checked);
        for (const char* below : {"B", "B1", "B1x", "B1y", "B2"})
            QCOMPARE(t.state(below), Qt::Checked);
        for (const char* other : {"A", "A1", "A2"})
            QCOMPARE(t.state(other), Qt::Unchecked);
        QCOMPARE(t.state("根"), Qt::PartiallyChecked);

        t.set("根", Qt::Checked);
        for (QTreeWidgetItemIterator it(&t.tree); *it; ++it)
            QCOMPARE((*it)->checkState(0), Qt::Checked);
        t.set("B", Qt::Unchecked);
        for (const char* below : {"B", "B1", "B1x", "B1y", "B2"})
            QCOMPARE(t.state(below), Qt::Unchecked);
        QCOMPARE(t.state("A2"), Qt::Checked);
    }

    void ancestorsFollowTheirChildren()
    {
        HandTree t;
        t.set("根", Qt::Checked);
        t.set("B1x", Qt::Unchecked);
        QCOMPARE(t.state("B1"), Qt::PartiallyChecked);
        QCOMPARE(t.state("B"), Qt::PartiallyChecked);
        QCOMPARE(t.state("根"), Qt::PartiallyChecked);
        QCOMPARE(t.state("A"), Qt::Checked);

        t.set("B1y", Qt::Unchecked);
        QCOMPARE(t.state("B1"), Qt::Unchecked);
        QCOMPARE(t.state("B"), Qt::PartiallyChecked); // B2 is still checked
        t.set("B2", Qt::Unchecked);
        QCOMPARE(t.state("B"), Qt::Unchecked);
        QCOMPARE(t.state("根"), Qt::PartiallyChecked);
        t.set("A1", Qt::Unchecked);
        t.set("A2", Qt::Unchecked);
        QCOMPARE(t.state("根"), Qt::Unchecked);
    }

    void clicksCascadeToo()
    {
        HandTree t;
        t.tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.tree));
        QSignalSpy changes(&t.tree, &QTreeWidget::itemChanged);

        t.click("A1");
        QCOMPARE(t.state("A1"), Qt::Checked);
        QVERIFY(changes.count() > 0);
        QCOMPARE(t.state("A"), Qt::PartiallyChecked);
        QCOMPARE(t.state("根"), Qt::PartiallyChecked);
        t.click("A2");
        QCOMPARE(t.state("A"), Qt::Checked);
        QCOMPARE(t.state("根"), Qt::PartiallyChecked);

        t.click("B");
        for (QTreeWidgetItemIterator it(&t.tree); *it; ++it)
            QCOMPARE((*it)->checkState(0), Qt::Checked);

        t.click("B1"); // a checked parent unchecks its branch
        QCOMPARE(t.state("B1x"), Qt::Unchecked);
        QCOMPARE(t.state("B1y"), Qt::Unchecked);
        QCOMPARE(t.state("B"), Qt::PartiallyChecked);

        t.click("B"); // a partly checked parent becomes checked with everything below
        QCOMPARE(t.state("B1x"), Qt::Checked);
        QCOMPARE(t.state("根"), Qt::Checked);
    }

    void checkedNamesListFromAPosition()
    {
        HandTree t;
        QCOMPARE(nodeAt(&t.tree, 0), t.root);
        QCOMPARE(nodeAt(&t.tree, 2)->text(0), QStringLiteral("A1"));
        QCOMPARE(nodeAt(&t.tree, 9), nullptr);
        QCOMPARE(checkedNamesList(&t.tree, kClearDataFirstNode), QString());

        t.set("B1x", Qt::Checked);
        t.set("A1", Qt::Checked);
        // Partly checked parents count; display order is parents before children.
        QCOMPARE(checkedNamesList(&t.tree, kClearDataFirstNode), QStringLiteral("'A','A1','B','B1','B1x',"));
        QCOMPARE(checkedNamesList(&t.tree, kRightsFirstNode), QStringLiteral("'A1','B','B1','B1x',"));
        QCOMPARE(checkedNamesList(&t.tree, 0), QStringLiteral("'根','A','A1','B','B1','B1x',"));

        // The first node beneath the root is never written from the third node on, checked or not.
        t.set("A", Qt::Checked);
        QVERIFY(!checkedNamesList(&t.tree, kRightsFirstNode).contains(QStringLiteral("'A',")));
        QVERIFY(checkedNamesList(&t.tree, kRightsFirstNode).startsWith(QStringLiteral("'A1','A2',")));
    }

    void rightsRoundTrip_data() { zu::test::addEngineRows(); }
    void rightsRoundTrip()
    {
        ZU_TEST_DATABASE(db);
        QTreeWidget tree;
        LoadPopedomTree(&tree, kRights, kRights);
        const QString admin = adminRights();
        QVERIFY(!admin.isEmpty());

        setTreeFromRights(&tree, admin);
        for (QTreeWidgetItemIterator it(&tree); *it; ++it)
            QCOMPARE((*it)->checkState(0), Qt::Checked);
        QCOMPARE(checkedNamesList(&tree, kRightsFirstNode), admin);

        const QString some = rightsString({QStringLiteral("客户管理"), QStringLiteral("导出Excel")});
        setTreeFromRights(&tree, some);
        QCOMPARE(find(tree, QStringLiteral("客户管理"))->checkState(0), Qt::Checked);
        QCOMPARE(find(tree, QStringLiteral("回访管理"))->checkState(0), Qt::Unchecked);
        QCOMPARE(find(tree, QStringLiteral("基础信息"))->checkState(0), Qt::PartiallyChecked);
        QCOMPARE(find(tree, QStringLiteral("系统设置"))->checkState(0), Qt::Unchecked);
        QCOMPARE(nodeAt(&tree, 1)->checkState(0), Qt::PartiallyChecked);
        QCOMPARE(checkedNamesList(&tree, kRightsFirstNode),
                 rightsString({QStringLiteral("基础信息"), QStringLiteral("客户管理"),
                               QStringLiteral("报表中心"), QStringLiteral("导出Excel")}));
        setTreeFromRights(&tree, checkedNamesList(&tree, kRightsFirstNode));
        QCOMPARE(checkedNamesList(&tree, kRightsFirstNode),
                 rightsString({QStringLiteral("基础信息"), QStringLiteral("客户管理"),
                               QStringLiteral("报表中心"), QStringLiteral("导出Excel")}));

        // A granted parent alone checks nothing: its state comes from its children.
        setTreeFromRights(&tree, rightsString({QStringLiteral("基础信息")}));
        QCOMPARE(find(tree, QStringLiteral("基础信息"))->checkState(0), Qt::Unchecked);

        // Names are matched whole, and an empty string clears everything, the top nodes included.
        setTreeFromRights(&tree, QStringLiteral("'客户管理员','导出Excel2',"));
        QCOMPARE(checkedNamesList(&tree, 0), QString());
        setTreeFromRights(&tree, admin);
        setTreeFromRights(&tree, QString());
        for (QTreeWidgetItemIterator it(&tree); *it; ++it)
            QCOMPARE((*it)->checkState(0), Qt::Unchecked);
    }

    void clearDataList_data() { zu::test::addEngineRows(); }
    void clearDataList()
    {
        ZU_TEST_DATABASE(db);
        QTreeWidget tree;
        LoadPopedomTree(&tree, kClearData, kClearData);
        tree.expandAll();
        const QList<CatalogueRow> rows = catalogueRows(kClearData);
        QVERIFY(rows.size() >= 3);
        find(tree, rows[1].name.trimmed())->setCheckState(0, Qt::Checked);
        QCOMPARE(checkedNamesList(&tree, kClearDataFirstNode),
                 rightsString({rows[0].name.trimmed(), rows[1].name.trimmed()}));
    }

    void permissionTest_data() { zu::test::addEngineRows(); }
    void permissionTest()
    {
        ZU_TEST_DATABASE(db);
        insertCatalogueRow(kRights,
                           {QStringLiteral("010208"), QStringLiteral("客户"), QStringLiteral("actCust")});
        insertCatalogueRow(kRights, {QStringLiteral("010209"), QStringLiteral("打印"), QString()});

        QObject mainWindow;
        QMap<QString, QAction*> governed;
        for (const CatalogueRow& row : catalogueRows(kRights)) {
            if (row.qxName.isEmpty())
                continue;
            auto* action = new QAction(row.name, &mainWindow);
            action->setObjectName(row.qxName);
            governed.insert(row.qxName, action);
        }
        QVERIFY(governed.contains(QStringLiteral("actCustM")) &&
                governed.contains(QStringLiteral("actCust")));
        auto* other = new QAction(QStringLiteral("公司信息"), &mainWindow);
        other->setObjectName(QStringLiteral("actCompany"));
        auto* unnamed = new QAction(QStringLiteral("退出程序"), &mainWindow);
        auto* unnamedDisabled = new QAction(QStringLiteral("帮助"), &mainWindow);
        unnamedDisabled->setEnabled(false);
        auto enabledActions = [&] {
            QStringList names;
            for (auto it = governed.cbegin(); it != governed.cend(); ++it)
                if (it.value()->isEnabled())
                    names << it.key();
            return names;
        };

        ApplyRights(evaluateRights(QString()), &mainWindow);
        QCOMPARE(enabledActions(), QStringList());
        QVERIFY(other->isEnabled());
        QVERIFY(unnamed->isEnabled());
        QVERIFY(!unnamedDisabled->isEnabled());

        ApplyRights(evaluateRights(adminRights()), &mainWindow);
        QStringList all = governed.keys();
        all.removeOne(QStringLiteral("actCust")); // added above, not in Admin's rights
        QCOMPARE(enabledActions(), all);
        QVERIFY(!unnamedDisabled->isEnabled());

        ApplyRights(evaluateRights(rightsString({QStringLiteral("客户管理")})), &mainWindow);
        QCOMPARE(enabledActions(), QStringList{QStringLiteral("actCustM")});
        ApplyRights(evaluateRights(rightsString({QStringLiteral("客户")})), &mainWindow);
        QCOMPARE(enabledActions(), QStringList{QStringLiteral("actCust")});

        // Rows without an action: granting them enables nothing, and nothing unnamed is touched.
        const QList<ActionRight> groupsOnly = evaluateRights(
            rightsString({QStringLiteral("系统设置"), QStringLiteral("打印"), QStringLiteral("全部权限")}));
        for (const ActionRight& right : groupsOnly)
            QVERIFY(!right.action.isEmpty());
        ApplyRights(groupsOnly, &mainWindow);
        QCOMPARE(enabledActions(), QStringList());
        ApplyRights({{QString(), false}}, mainWindow.findChildren<QAction*>());
        QVERIFY(unnamed->isEnabled());
    }
};

QTEST_MAIN(TestPermissions)
#include "tst_permissions.moc"
