#include "columns/columnlayout.h"
#include "columns/gridcolumns.h"
#include "columns/gridfooter.h"
#include "columns/gridmodel.h"
#include "columns/listgrid.h"
#include "data/connection.h"
#include "data/datamodule.h"
#include "data/query.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

using namespace zu;

namespace {

const QString kCustomerLayout = QStringLiteral("T_Cust_show");

struct LayoutRow
{
    int id;
    QString name;
    QString field;
    int width;
    bool show;
    int showId;
    int sumField = 0;
    int dotsize = 0;
};

void insertLayout(const QString& layout, const QList<LayoutRow>& rows)
{
    for (const LayoutRow& r : rows)
        data().T().exec(
            QStringLiteral("insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, "
                           "SumField, dotsize) values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {r.id, layout, r.name, r.field, r.width, r.show, r.showId, r.sumField, r.dotsize});
}

void setShown(const QString& layout, const QString& field, bool show)
{
    const SqlDialect& d = data().dialect();
    data().T().exec(
        QStringLiteral("update T_FieldShow set show = ? where %1 and %2")
            .arg(d.textEquals(QStringLiteral("TableName")), d.textEquals(QStringLiteral("Field"))),
        {show, layout, field});
}

struct Stored
{
    int showId;
    int width;
    bool shown;
    bool operator==(const Stored&) const = default;
};

// Every row of a layout as the database holds it, by field.
QHash<QString, Stored> stored(const QString& layout)
{
    QHash<QString, Stored> rows;
    Query& q = data().T();
    q.open(QStringLiteral("select * from T_FieldShow where %1")
               .arg(data().dialect().textEquals(QStringLiteral("TableName"))),
           {layout});
    for (; !q.eof(); q.next())
        rows.insert(q.asString(QStringLiteral("Field")),
                    {q.asInteger(QStringLiteral("ShowID")), q.asInteger(QStringLiteral("Width")),
                     q.asBoolean(QStringLiteral("show"))});
    q.close();
    return rows;
}

void addCustomers(DataSet& c, int count)
{
    for (int i = 0; i < count; ++i) {
        c.append();
        c.setField(QStringLiteral("CustName"), QStringLiteral("客户%1").arg(i));
        c.setField(QStringLiteral("IDCode"), QStringLiteral("KH%1").arg(i));
        c.setField(QStringLiteral("Phone"), QStringLiteral("010-%1").arg(i));
        c.setField(QStringLiteral("Number"), i);
        c.setField(QStringLiteral("Price"), i + 0.5);
        c.post();
    }
}

QStringList fieldsOf(const QList<LayoutColumn>& columns)
{
    QStringList fields;
    for (const LayoutColumn& c : columns)
        fields << c.field;
    return fields;
}

QStringList titlesOf(const ListGrid& grid)
{
    QStringList titles;
    const QHeaderView* h = grid.view()->horizontalHeader();
    for (int v = 0; v < h->count(); ++v)
        titles << grid.model()->headerData(h->logicalIndex(v), Qt::Horizontal).toString();
    return titles;
}

int positionOf(const ListGrid& grid, const QString& field)
{
    return static_cast<int>(fieldsOf(grid.visibleColumns()).indexOf(field));
}

void showGrid(ListGrid& grid, QSize size = {800, 400})
{
    grid.resize(size);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
}

QPoint rowCentre(const ListGrid& grid, int row)
{
    return grid.view()
        ->visualRect(grid.model()->index(row, grid.view()->horizontalHeader()->logicalIndex(0)))
        .center();
}

} // namespace

class TestColumns final : public QObject
{
    Q_OBJECT
private slots:
    void readsShownRowsInDisplayOrder_data() { zu::test::addEngineRows(); }
    void readsShownRowsInDisplayOrder()
    {
        ZU_TEST_DATABASE(db);
        insertLayout(QStringLiteral("T_Test_show"),
                     {{901, QStringLiteral("名称"), QStringLiteral("CustName"), 120, true, 2, 2, 0},
                      {902, QStringLiteral("编码"), QStringLiteral("IDCode"), 90, true, 0, 0, 0},
                      {903, QStringLiteral("隐藏"), QStringLiteral("Phone"), 70, false, 1, 0, 0},
                      {904, QStringLiteral("数量"), QStringLiteral("Number"), 60, true, 1, 1, 2}});
        insertLayout(QStringLiteral("T_Test_showX"),
                     {{905, QStringLiteral("别的"), QStringLiteral("Price"), 60, true, 0, 0, 0}});

        const QList<LayoutColumn> expected{{QStringLiteral("IDCode"), QStringLiteral("编码"), 90, 0, 0},
                                           {QStringLiteral("Number"), QStringLiteral("数量"), 60, 1, 2},
                                           {QStringLiteral("CustName"), QStringLiteral("名称"), 120, 2, 0}};
        QCOMPARE(readLayout(data().F(), QStringLiteral("T_Test_show")), expected);
        QCOMPARE(readLayout(data().F(), QStringLiteral("t_test_SHOW")), expected);
        QVERIFY(!data().F().isOpen());

        // The delivered layout under its other spellings.
        const QList<LayoutColumn> customers = readLayout(data().F(), kCustomerLayout);
        QVERIFY(customers.size() > 2);
        QCOMPARE(readLayout(data().F(), QStringLiteral("T_CUST_Show")), customers);
        QCOMPARE(readLayout(data().F(), QStringLiteral("T_cust_show")), customers);

        ListGrid upper, lower;
        LoadGridColumns(&upper, &data().qryCustom(), QStringLiteral("T_CUST_Show"));
        LoadGridColumns(&lower, &data().qryCustom(), kCustomerLayout);
        QCOMPARE(upper.visibleColumns(), customers);
        QCOMPARE(titlesOf(upper), titlesOf(lower));
        QCOMPARE(upper.dataSet(), &data().qryCustom());
        QVERIFY(!data().qryCustom().isOpen()); // loading columns does not open the data set
    }

    void hiddenOrUnknownLayoutsGiveNoColumns_data() { zu::test::addEngineRows(); }
    void hiddenOrUnknownLayoutsGiveNoColumns()
    {
        ZU_TEST_DATABASE(db);
        insertLayout(QStringLiteral("T_Test_hidden"),
                     {{901, QStringLiteral("名称"), QStringLiteral("CustName"), 120, false, 0},
                      {902, QStringLiteral("编码"), QStringLiteral("IDCode"), 90, false, 1}});
        DataSet& c = data().qryCustom();
        c.open();
        addCustomers(c, 2);
        ListGrid grid;
        LoadGridColumns(&grid, &c, kCustomerLayout);
        QVERIFY(grid.columnCount() > 0);

        LoadGridColumns(&grid, &c, QStringLiteral("T_Test_hidden"));
        QCOMPARE(grid.columnCount(), 0);
        QCOMPARE(grid.view()->horizontalHeader()->count(), 0);
        QVERIFY(grid.visibleColumns().isEmpty());

        LoadGridColumns(&grid, &c, kCustomerLayout);
        LoadGridColumns(&grid, &c, QStringLiteral("no such layout"));
        QCOMPARE(grid.columnCount(), 0);
        QCOMPARE(grid.model()->rowCount(), 2); // the rows are still there, without columns
        QCOMPARE(c.recordCount(), 2);
    }

    void cellAlignmentFollowsDotsize_data() { zu::test::addEngineRows(); }
    void cellAlignmentFollowsDotsize()
    {
        ZU_TEST_DATABASE(db);
        insertLayout(QStringLiteral("T_Test_align"),
                     {{901, QStringLiteral("数量"), QStringLiteral("Number"), 60, true, 0, 0, 2},
                      {902, QStringLiteral("单价"), QStringLiteral("Price"), 60, true, 1, 0, 1},
                      {903, QStringLiteral("名称"), QStringLiteral("CustName"), 90, true, 2, 0, 0}});
        DataSet& c = data().qryCustom();
        c.open();
        addCustomers(c, 1);
        ListGrid grid;
        LoadGridColumns(&grid, &c, QStringLiteral("T_Test_align"));
        const GridModel* m = grid.model();
        const auto alignment = [&](int column) {
            return Qt::Alignment(m->index(0, column).data(Qt::TextAlignmentRole).toInt());
        };
        QCOMPARE(alignment(0), Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(alignment(1), Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(alignment(2), Qt::AlignLeft | Qt::AlignVCenter);
        for (int column = 0; column < 3; ++column)
            QCOMPARE(Qt::Alignment(m->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt()),
                     Qt::AlignCenter);
        QCOMPARE(grid.cellText(0, 1), QStringLiteral("0.5"));
        // The grid's cells and the record set's fields are one another's, column for column.
        const QModelIndex price = c.index(0, c.fieldIndex(QStringLiteral("Price")));
        QCOMPARE(m->mapFromSource(price), m->index(0, 1));
        QCOMPARE(m->mapToSource(m->index(0, 1)), price);
        QCOMPARE(m->mapFromSource(c.index(0, c.fieldIndex(QStringLiteral("Number")))), m->index(0, 0));
        QVERIFY(!m->mapFromSource(c.index(0, c.fieldIndex(QStringLiteral("IDCode")))).isValid());
        QVERIFY(!m->mapFromSource(m->index(0, 1)).isValid()); // not a field of the record set
        QVERIFY(!m->mapFromSource({}).isValid());
    }

    void countFooterFollowsTheDataSet_data() { zu::test::addEngineRows(); }
    void countFooterFollowsTheDataSet()
    {
        ZU_TEST_DATABASE(db);
        insertLayout(QStringLiteral("T_Test_footer"),
                     {{901, QStringLiteral("编码"), QStringLiteral("IDCode"), 90, true, 0, 1, 0},
                      {902, QStringLiteral("名称"), QStringLiteral("CustName"), 120, true, 1, 2, 0},
                      {903, QStringLiteral("电话"), QStringLiteral("Phone"), 90, true, 2, 0, 0}});
        DataSet& c = data().qryCustom();
        c.open();
        ListGrid grid;
        LoadGridColumns(&grid, &c, QStringLiteral("T_Test_footer"));
        QVERIFY(grid.hasFooter());
        QCOMPARE(grid.footerText(1), QStringLiteral("共 0 条"));

        addCustomers(c, 3);
        QCOMPARE(grid.footerText(1), QStringLiteral("共 3 条"));
        QCOMPARE(grid.footerText(0), QString()); // SumField 1
        QCOMPARE(grid.footerText(2), QString()); // SumField 0

        c.setCurrentRow(1);
        c.deleteCurrent();
        QCOMPARE(grid.footerText(1), QStringLiteral("共 2 条"));

        c.open(QStringLiteral("CustName = ?"), {QStringLiteral("客户2")});
        QCOMPARE(grid.footerText(1), QStringLiteral("共 1 条"));
        c.close();
        QCOMPARE(grid.footerText(1), QStringLiteral("共 0 条"));
        c.open();
        QCOMPARE(grid.footerText(1), QStringLiteral("共 2 条"));

        // The count goes with its column.
        grid.view()->horizontalHeader()->moveSection(1, 2);
        QCOMPARE(grid.footerText(2), QStringLiteral("共 2 条"));
        QCOMPARE(grid.footerText(1), QString());
    }

    void footerCellsStayUnderTheirColumns_data() { zu::test::addEngineRows(); }
    void footerCellsStayUnderTheirColumns()
    {
        ZU_TEST_DATABASE(db);
        DataSet& c = data().qryCustom();
        c.open();
        addCustomers(c, 3);
        ListGrid grid;
        LoadGridColumns(&grid, &c, kCustomerLayout);
        showGrid(grid, {400, 300});
        QHeaderView* header = grid.view()->horizontalHeader();
        const GridFooter* footer = grid.footer();
        QVERIFY(footer->isVisible());
        QVERIFY(footer->geometry().top() >= grid.view()->geometry().bottom());

        const auto checkAligned = [&] {
            for (int column = 0; column < grid.columnCount(); ++column) {
                const QRect cell = footer->cellRect(column);
                const QPoint title = header->mapToGlobal(QPoint(header->sectionViewportPosition(column), 0));
                QCOMPARE(footer->mapToGlobal(cell.topLeft()).x(), title.x());
                QCOMPARE(cell.width(), header->sectionSize(column));
            }
        };
        checkAligned();
        if (QTest::currentTestFailed())
            return;
        header->moveSection(header->count() - 1, 0);
        checkAligned();
        if (QTest::currentTestFailed())
            return;
        header->resizeSection(header->logicalIndex(1), 211);
        checkAligned();
        if (QTest::currentTestFailed())
            return;
        QScrollBar* bar = grid.view()->horizontalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum() / 2);
        QVERIFY(header->sectionViewportPosition(header->logicalIndex(0)) < 0);
        checkAligned();
        if (QTest::currentTestFailed())
            return;
    }

    void gridWithoutFooter_data() { zu::test::addEngineRows(); }
    void gridWithoutFooter()
    {
        ZU_TEST_DATABASE(db);
        DataSet& c = data().qryCustom();
        c.open();
        addCustomers(c, 2);
        ListGrid grid;
        grid.setHasFooter(false);
        LoadGridColumns(&grid, &c, kCustomerLayout);
        showGrid(grid);
        const QList<LayoutColumn> columns = grid.visibleColumns();
        const int countColumn =
            static_cast<int>(std::find_if(columns.cbegin(), columns.cend(),
                                          [](const LayoutColumn& col) { return col.sumField == 2; }) -
                             columns.cbegin());
        QVERIFY(countColumn < grid.columnCount());
        QVERIFY(!grid.hasFooter());
        QVERIFY(!grid.footer()->isVisible());
        QCOMPARE(grid.footerText(countColumn), QString());
        QCOMPARE(grid.view()->height(), grid.height());

        grid.setHasFooter(true);
        QCOMPARE(grid.footerText(countColumn), QStringLiteral("共 2 条"));
        QVERIFY(grid.footer()->isVisible());
    }

    void savingStoresDisplayOrderAndWidths_data() { zu::test::addEngineRows(); }
    void savingStoresDisplayOrderAndWidths()
    {
        ZU_TEST_DATABASE(db);
        DataSet& c = data().qryCustom();
        c.open();
        addCustomers(c, 2);
        const QHash<QString, Stored> before = stored(kCustomerLayout);
        ListGrid grid;
        LoadGridColumns(&grid, &c, kCustomerLayout);
        QStringList order = fieldsOf(grid.visibleColumns());
        QVERIFY(order.size() > 5);
        const QString moved = order[5];
        const QString widened = order[2];

        // The user drags the sixth title to the front and widens another column.
        QHeaderView* header = grid.view()->horizontalHeader();
        header->moveSection(5, 0);
        header->resizeSection(header->logicalIndex(3), 177);
        order.move(5, 0);
        QCOMPARE(fieldsOf(grid.visibleColumns()), order);
        QCOMPARE(grid.visibleColumns().first().title,
                 grid.model()->headerData(header->logicalIndex(0), Qt::Horizontal).toString());
        QCOMPARE(grid.cellText(1, 0), c.value(1, c.fieldIndex(moved)).toString());

        SaveGridColumns(&grid, QStringLiteral("T_CUST_Show"));

        const QHash<QString, Stored> after = stored(kCustomerLayout);
        QCOMPARE(after.size(), before.size());
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            const QString& field = it.key();
            const Stored now = after.value(field);
            if (!it->shown) {
                QCOMPARE(now, it.value()); // hidden rows keep position and width
                continue;
            }
            QCOMPARE(now.showId, static_cast<int>(order.indexOf(field)));
            QCOMPARE(now.width, field == widened ? 177 : it->width);
        }
        QCOMPARE(after.value(moved).showId, 0);

        ListGrid again;
        LoadGridColumns(&again, &c, kCustomerLayout);
        QCOMPARE(fieldsOf(again.visibleColumns()), order);
        QCOMPARE(again.visibleColumns().at(3).width, 177);
    }

    void oneColumnSavesNothing_data() { zu::test::addEngineRows(); }
    void oneColumnSavesNothing()
    {
        ZU_TEST_DATABASE(db);
        insertLayout(QStringLiteral("T_Test_one"),
                     {{901, QStringLiteral("名称"), QStringLiteral("CustName"), 120, true, 5},
                      {902, QStringLiteral("编码"), QStringLiteral("IDCode"), 90, false, 7}});
        const QHash<QString, Stored> before = stored(QStringLiteral("T_Test_one"));
        ListGrid grid;
        LoadGridColumns(&grid, &data().qryCustom(), QStringLiteral("T_Test_one"));
        QCOMPARE(grid.columnCount(), 1);
        grid.view()->horizontalHeader()->resizeSection(0, 300);
        SaveGridColumns(&grid, QStringLiteral("T_Test_one"));
        QCOMPARE(stored(QStringLiteral("T_Test_one")), before);

        saveLayout(data().F(), QStringLiteral("T_Test_one"), {{QStringLiteral("CustName"), 10}});
        QCOMPARE(stored(QStringLiteral("T_Test_one")), before);
        saveLayout(data().F(), QStringLiteral("t_test_ONE"),
                   {{QStringLiteral("IDCode"), 10}, {QStringLiteral("custname"), 20}});
        QCOMPARE(stored(QStringLiteral("T_Test_one")).value(QStringLiteral("IDCode")),
                 (Stored{0, 10, false}));
        QCOMPARE(stored(QStringLiteral("T_Test_one")).value(QStringLiteral("CustName")),
                 (Stored{1, 20, true}));
    }

    void hiddenColumnReturnsAtItsOldPosition_data() { zu::test::addEngineRows(); }
    void hiddenColumnReturnsAtItsOldPosition()
    {
        ZU_TEST_DATABASE(db);
        DataSet& c = data().qryCustom();
        ListGrid grid;
        LoadGridColumns(&grid, &c, kCustomerLayout);
        const QStringList original = fieldsOf(grid.visibleColumns());
        const QString hidden = original[3];
        const Stored hiddenBefore = stored(kCustomerLayout).value(hidden);
        QCOMPARE(hiddenBefore.showId, 3);

        setShown(kCustomerLayout, hidden, false);
        LoadGridColumns(&grid, &c, kCustomerLayout);
        QVERIFY(!fieldsOf(grid.visibleColumns()).contains(hidden));
        QHeaderView* header = grid.view()->horizontalHeader();
        header->moveSection(header->count() - 1, 0);
        const QStringList saved = fieldsOf(grid.visibleColumns());
        SaveGridColumns(&grid, kCustomerLayout);
        QCOMPARE(stored(kCustomerLayout).value(hidden).showId, hiddenBefore.showId);
        QCOMPARE(stored(kCustomerLayout).value(hidden).width, hiddenBefore.width);

        setShown(kCustomerLayout, hidden, true);
        LoadGridColumns(&grid, &c, kCustomerLayout);
        const QStringList shown = fieldsOf(grid.visibleColumns());
        // Back at position 3, which it shares with the column saved there.
        const int at = static_cast<int>(shown.indexOf(hidden));
        QVERIFY2(at == 3 || at == 4, qPrintable(shown.join(u',')));
        QCOMPARE(QSet<QString>({shown[3], shown[4]}), QSet<QString>({hidden, saved[3]}));
        QStringList rest = shown;
        rest.removeOne(hidden);
        QCOMPARE(rest, saved);
    }

    void gridsOnOneDataSetShareTheCurrentRow_data() { zu::test::addEngineRows(); }
    void gridsOnOneDataSetShareTheCurrentRow()
    {
        ZU_TEST_DATABASE(db);
        zu::test::ScriptedDialogs dialogs;
        insertLayout(QStringLiteral("T_Test_other"),
                     {{901, QStringLiteral("另一名称"), QStringLiteral("CustName"), 120, true, 0, 0, 1},
                      {902, QStringLiteral("另一编码"), QStringLiteral("IDCode"), 90, true, 1}});
        DataSet& c = data().qryCustom();
        c.open();
        addCustomers(c, 6);
        c.first();
        ListGrid dgCustom, dgselect;
        dgCustom.setObjectName(QStringLiteral("dgCustom"));
        LoadGridColumns(&dgCustom, &c, kCustomerLayout);
        LoadGridColumns(&dgselect, &c, QStringLiteral("T_Test_other"));
        showGrid(dgCustom);
        showGrid(dgselect);
        QCOMPARE(dgCustom.objectName(), QStringLiteral("dgCustom"));
        QCOMPARE(dgCustom.view()->currentIndex().row(), 0);
        QCOMPARE(dgselect.view()->currentIndex().row(), 0);

        // Own titles and alignment on the same field.
        const int nameInCustom = positionOf(dgCustom, QStringLiteral("CustName"));
        QVERIFY(nameInCustom >= 0);
        QCOMPARE(titlesOf(dgselect).first(), QStringLiteral("另一名称"));
        QCOMPARE(titlesOf(dgCustom).at(nameInCustom),
                 readLayout(data().F(), kCustomerLayout).at(nameInCustom).title);
        QVERIFY(titlesOf(dgCustom).at(nameInCustom) != QStringLiteral("另一名称"));
        QCOMPARE(dgselect.model()->index(0, 0).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
                 int(Qt::AlignRight));
        QCOMPARE(dgCustom.model()
                         ->index(0, dgCustom.view()->horizontalHeader()->logicalIndex(nameInCustom))
                         .data(Qt::TextAlignmentRole)
                         .toInt() &
                     Qt::AlignHorizontal_Mask,
                 int(Qt::AlignLeft));

        QSignalSpy moves(&c, &DataSet::currentRowChanged);
        QTest::mouseClick(dgCustom.view()->viewport(), Qt::LeftButton, {}, rowCentre(dgCustom, 3));
        QCOMPARE(c.currentRow(), 3);
        QCOMPARE(moves.count(), 1);
        QCOMPARE(dgselect.view()->currentIndex().row(), 3);
        QVERIFY(dgselect.view()->selectionModel()->isRowSelected(3));

        dgselect.view()->setFocus();
        QTest::keyClick(dgselect.view(), Qt::Key_Down);
        QCOMPARE(c.currentRow(), 4);
        QCOMPARE(moves.count(), 2);
        QCOMPARE(dgCustom.view()->currentIndex().row(), 4);
        QCOMPARE(c.fieldText(QStringLiteral("CustName")), dgselect.cellText(4, 0));

        c.setCurrentRow(1);
        QCOMPARE(moves.count(), 3);
        for (const ListGrid* g : {&dgCustom, &dgselect}) {
            QCOMPARE(g->view()->currentIndex().row(), 1);
            QCOMPARE(g->view()->selectionModel()->selectedRows().size(), 1);
        }

        // The row after a deleted one becomes current everywhere, without the grids' own
        // rearranging moving the data set elsewhere on the way.
        moves.clear();
        c.deleteCurrent();
        QCOMPARE(moves.count(), 1);
        QCOMPARE(c.currentRow(), 1);
        QCOMPARE(dgCustom.view()->currentIndex().row(), 1);
        QCOMPARE(dgselect.view()->currentIndex().row(), 1);
        QCOMPARE(dgselect.cellText(1, 0), c.fieldText(QStringLiteral("CustName")));

        c.close();
        QVERIFY(!dgCustom.view()->currentIndex().isValid());
        QVERIFY(!dgselect.view()->selectionModel()->hasSelection());
        QVERIFY(dialogs.shown().isEmpty());
    }

    void fieldMissingFromTheDataSetShowsAnEmptyColumn_data() { zu::test::addEngineRows(); }
    void fieldMissingFromTheDataSetShowsAnEmptyColumn()
    {
        ZU_TEST_DATABASE(db);
        insertLayout(QStringLiteral("T_Test_missing"),
                     {{901, QStringLiteral("名称"), QStringLiteral("CustName"), 120, true, 0},
                      {902, QStringLiteral("不存在"), QStringLiteral("NoSuchField"), 77, true, 1, 2},
                      {903, QStringLiteral("编码"), QStringLiteral("idcode"), 90, true, 2}});
        DataSet& c = data().qryCustom();
        c.open();
        addCustomers(c, 2);
        ListGrid grid;
        LoadGridColumns(&grid, &c, QStringLiteral("T_Test_missing"));
        QCOMPARE(grid.columnCount(), 3);
        QCOMPARE(titlesOf(grid),
                 (QStringList{QStringLiteral("名称"), QStringLiteral("不存在"), QStringLiteral("编码")}));
        QCOMPARE(grid.model()->sourceColumn(1), -1);
        QCOMPARE(grid.cellText(1, 0), QStringLiteral("客户1"));
        QCOMPARE(grid.cellText(1, 1), QString());
        QCOMPARE(grid.cellText(1, 2), QStringLiteral("KH1")); // bound in any letter case
        QCOMPARE(grid.footerText(1), QStringLiteral("共 2 条"));

        grid.view()->horizontalHeader()->moveSection(1, 0);
        SaveGridColumns(&grid, QStringLiteral("T_Test_missing"));
        QCOMPARE(stored(QStringLiteral("T_Test_missing")).value(QStringLiteral("NoSuchField")),
                 (Stored{0, 77, true}));
    }

    void modelStaysConsistent_data() { zu::test::addEngineRows(); }
    void modelStaysConsistent()
    {
        ZU_TEST_DATABASE(db);
        ListGrid grid;
        QAbstractItemModelTester tester(grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        DataSet& c = data().qryCustom();
        LoadGridColumns(&grid, &c, kCustomerLayout); // before the data set knows its fields
        c.open();
        QVERIFY(grid.model()->sourceColumn(0) >= 0);
        addCustomers(c, 4);
        c.setCurrentRow(2);
        QSignalSpy changed(grid.model(), &QAbstractItemModel::dataChanged);
        c.edit();
        c.setField(QStringLiteral("CustName"), QStringLiteral("改过"));
        const int nameColumn =
            grid.view()->horizontalHeader()->logicalIndex(positionOf(grid, QStringLiteral("CustName")));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex(), grid.model()->index(2, nameColumn));
        QCOMPARE(changed.first().at(1).toModelIndex(), grid.model()->index(2, nameColumn));
        c.setField(QStringLiteral("CustName"), QStringLiteral("改过"));
        c.setField(QStringLiteral("Zipcode"), QStringLiteral("100000")); // not shown in this grid
        QCOMPARE(changed.count(), 2);
        QCOMPARE(grid.cellText(2, positionOf(grid, QStringLiteral("CustName"))), QStringLiteral("改过"));
        c.post();
        c.deleteCurrent();
        c.refresh();
        LoadGridColumns(&grid, &c, QStringLiteral("T_callshowCust"));
        LoadGridColumns(&grid, &c, QStringLiteral("no such layout"));
        LoadGridColumns(&grid, &data().qryRemind(), QStringLiteral("remind_show"));
        QCOMPARE(grid.dataSet(), &data().qryRemind());
        QCOMPARE(grid.model()->rowCount(), 0);
        data().qryRemind().open();
        QCOMPARE(grid.model()->rowCount(), 3);
        c.close();
        QCOMPARE(grid.model()->rowCount(), 3); // no longer bound to the customer list
    }

    void reopeningKeepsTheUsersArrangement_data() { zu::test::addEngineRows(); }
    void reopeningKeepsTheUsersArrangement()
    {
        ZU_TEST_DATABASE(db);
        DataSet& customers = data().qryCustom();
        DataSet& services = data().qryServiceCust();
        customers.open();
        addCustomers(customers, 2);
        for (const char* code : {"KH0", "KH1", "KH1"}) {
            services.append();
            services.setField(QStringLiteral("CustCode"), QString::fromLatin1(code));
            services.post();
        }
        customers.setCurrentRow(0);
        ListGrid dgServiceCust;
        LoadGridColumns(&dgServiceCust, &services, QStringLiteral("T_serviceshowcust"));
        QCOMPARE(dgServiceCust.footerText(0), QStringLiteral("共 1 条"));
        QHeaderView* header = dgServiceCust.view()->horizontalHeader();
        header->moveSection(2, 0);
        header->resizeSection(header->logicalIndex(1), 155);
        const QList<LayoutColumn> arranged = dgServiceCust.visibleColumns();

        // Moving to another customer selects its records again.
        customers.setCurrentRow(1);
        QCOMPARE(dgServiceCust.model()->rowCount(), 2);
        QCOMPARE(dgServiceCust.visibleColumns(), arranged);
        customers.refresh();
        services.close();
        services.open();
        QCOMPARE(dgServiceCust.visibleColumns(), arranged);

        // Loading the layout again gives its stored arrangement.
        LoadGridColumns(&dgServiceCust, &services, QStringLiteral("T_Serviceshowcust"));
        QCOMPARE(dgServiceCust.visibleColumns(), readLayout(data().F(), QStringLiteral("T_Serviceshowcust")));
    }

    void doubleClickOnARow_data() { zu::test::addEngineRows(); }
    void doubleClickOnARow()
    {
        ZU_TEST_DATABASE(db);
        zu::test::ScriptedDialogs dialogs;
        DataSet& c = data().qryCustom();
        c.open();
        addCustomers(c, 2);
        ListGrid grid;
        LoadGridColumns(&grid, &c, kCustomerLayout);
        showGrid(grid);
        QSignalSpy doubleClicked(&grid, &ListGrid::doubleClicked);
        // What the window system delivers for a double click: a click, then the double click.
        const auto doubleClick = [&](QPoint at) {
            QTest::mouseClick(grid.view()->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(grid.view()->viewport(), Qt::LeftButton, {}, at);
        };
        doubleClick(rowCentre(grid, 1));
        QCOMPARE(doubleClicked.count(), 1);
        doubleClick(rowCentre(grid, 0) + QPoint(0, 300)); // below the last row
        QCOMPARE(doubleClicked.count(), 1);
        QCOMPARE(c.currentRow(), 1);
        QVERIFY(dialogs.shown().isEmpty());
    }
};

QTEST_MAIN(TestColumns)
#include "tst_columns.moc"
