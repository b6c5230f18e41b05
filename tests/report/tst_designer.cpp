#include "report/designer/designcanvas.h"
#include "report/designer/designermodel.h"
#include "report/designer/designgeometry.h"
#include "report/designer/designitems.h"
#include "report/designer/fieldlist.h"
#include "report/designer/reportdesigner.h"
#include "report/reportdatasource.h"
#include "report/reportdocument.h"
#include "report/templatefile.h"
#include "support/pdftext.h"
#include "support/scripteddialogs.h"
#include "support/uitest.h"
#include "templatebuilders.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGraphicsScene>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace zu;
using zu::test::control;
using zu::test::makeBand;
using zu::test::ScriptedDialogs;
using zu::test::textObject;

namespace {

const QString kCust = QStringLiteral("客户记录");

// A 100 mm wide printable area: title (one text) and master data (two texts), stored out of order
// to see that the designer keeps bands in printing order.
ReportTemplate sample()
{
    ReportTemplate t;
    t.name = QStringLiteral("测试");
    t.page.size = ReportPage::Size::Custom;
    t.page.customWidth = 120;
    t.page.customHeight = 150;
    t.page.leftMargin = t.page.topMargin = t.page.rightMargin = t.page.bottomMargin = 10;
    t.bands << makeBand(ReportBand::Type::MasterData, 10,
                        {textObject({0, 0, 40, 6}, QStringLiteral("[客户记录.\"客户名称\"]")),
                         textObject({50, 0, 40, 6}, QStringLiteral("[客户记录.\"客户编码\"]"))})
            << makeBand(ReportBand::Type::ReportTitle, 20,
                        {textObject({10, 5, 60, 10}, QStringLiteral("客户名单"))});
    return t;
}

MemoryDataSource records()
{
    return MemoryDataSource(kCust, {QStringLiteral("客户名称"), QStringLiteral("客户编码")},
                            {{QStringLiteral("李建国"), QStringLiteral("KH1")}}, 0);
}

void compareRect(const QRectF& actual, const QRectF& expected)
{
    const bool same = std::abs(actual.x() - expected.x()) < 1e-6 &&
                      std::abs(actual.y() - expected.y()) < 1e-6 &&
                      std::abs(actual.width() - expected.width()) < 1e-6 &&
                      std::abs(actual.height() - expected.height()) < 1e-6;
    QVERIFY2(same, qPrintable(QStringLiteral("(%1, %2, %3 x %4) instead of (%5, %6, %7 x %8)")
                                  .arg(actual.x())
                                  .arg(actual.y())
                                  .arg(actual.width())
                                  .arg(actual.height())
                                  .arg(expected.x())
                                  .arg(expected.y())
                                  .arg(expected.width())
                                  .arg(expected.height())));
}

} // namespace

class TestDesigner final : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    // The model, without widgets
    void bandsInPrintingOrder();
    void editsUndoAndRedoWithSelection();
    void geometryStaysInsideTheBand();
    void typingIsOneUndoStep();
    void bandsAddedOnceAndRemoved();
    void bandPropertiesKeepTheirLimits();
    void insertedTextGrowsALowBand();
    void grabbingEdges_data();
    void grabbingEdges();
    void draggingEdges();
    void layoutStacksBands();

    // The designer window
    void dragMovesAnObject();
    void deleteKeyRemovesTheSelectedObject();
    void dragResizesTheSelectedObject();
    void dragChangesBandHeight();
    void propertyPanelEditsAndUndo();
    void fieldsInsertedByDoubleClickAndDrop();
    void saveWritesTheFileItCameFrom();
    void closingAsksAboutUnsavedChanges_data();
    void closingAsksAboutUnsavedChanges();
    void failedSaveKeepsTheChanges();
    void previewShowsTheUnsavedDesign();

private:
    struct Window
    {
        ReportDocument document;
        MemoryDataSource source = records();
        std::unique_ptr<ReportDesigner> designer;
        DesignCanvas* canvas = nullptr;
    };
    void open(Window& w);
    QPoint at(DesignCanvas* canvas, int band, QPointF mmInBand);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    QString m_file;
};

void TestDesigner::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_file = m_dir->filePath(QStringLiteral("测试.fr3"));
    QString error;
    QVERIFY2(saveTemplate(sample(), m_file, &error), qPrintable(error));
}

void TestDesigner::cleanup()
{
    m_dialogs.reset();
    m_dir.reset();
}

void TestDesigner::open(Window& w)
{
    QString error;
    QVERIFY2(w.document.load(m_file, &error), qPrintable(error));
    w.designer = std::make_unique<ReportDesigner>(w.document, &w.source, ReportEnvironment{});
    w.designer->resize(1200, 800);
    w.designer->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.designer.get()));
    w.canvas = control<DesignCanvas>(w.designer.get(), "canvas");
    w.canvas->setZoom(1.5);
    QCoreApplication::processEvents();
}

// The viewport point of a point inside a band, in mm from the band's top left corner.
QPoint TestDesigner::at(DesignCanvas* canvas, int band, QPointF mmInBand)
{
    const BandPlacement* p = canvas->layout().placement(band);
    if (!p)
        qFatal("no band %d", band);
    const QPoint point = canvas->mapFromScene(p->area.topLeft() + mmInBand);
    if (!canvas->viewport()->rect().contains(point))
        qFatal("point outside the viewport");
    return point;
}

void TestDesigner::bandsInPrintingOrder()
{
    DesignerModel model(sample());
    QCOMPARE(model.report().bands.size(), 2);
    QCOMPARE(model.report().bands[0].type, ReportBand::Type::ReportTitle);
    QCOMPARE(model.report().bands[1].type, ReportBand::Type::MasterData);
    QVERIFY(!model.isModified());
}

void TestDesigner::editsUndoAndRedoWithSelection()
{
    DesignerModel model(sample());
    QSignalSpy changed(&model, &DesignerModel::changed);
    model.select({1, 1});
    model.setObjectGeometry(1, 0, QRectF(20, 2, 30, 5));
    QVERIFY(model.isModified());
    QCOMPARE(changed.size(), 1);
    QCOMPARE(model.selection(), (DesignSelection{1, 0}));
    compareRect(model.report().bands[1].objects[0].geometry, QRectF(20, 2, 30, 5));

    model.undoStack().undo();
    compareRect(model.report().bands[1].objects[0].geometry, QRectF(0, 0, 40, 6));
    QCOMPARE(model.selection(), (DesignSelection{1, 1})); // as it was before the edit
    QVERIFY(!model.isModified());
    model.undoStack().redo();
    compareRect(model.report().bands[1].objects[0].geometry, QRectF(20, 2, 30, 5));
    QCOMPARE(model.selection(), (DesignSelection{1, 0}));

    // A step that changes nothing is not a step.
    const int steps = model.undoStack().count();
    model.setObjectGeometry(1, 0, QRectF(20, 2, 30, 5));
    QCOMPARE(model.undoStack().count(), steps);
    model.markSaved();
    QVERIFY(!model.isModified());
    model.undoStack().undo();
    QVERIFY(model.isModified());
}

void TestDesigner::geometryStaysInsideTheBand()
{
    DesignerModel model(sample());
    // Past the right and lower edges of the 100 x 10 mm master band.
    model.setObjectGeometry(1, 0, QRectF(90, 8, 40, 6));
    compareRect(model.report().bands[1].objects[0].geometry, QRectF(60, 4, 40, 6));
    // Wider than the band, above and left of it.
    model.setObjectGeometry(1, 0, QRectF(-5, -3, 150, 6));
    compareRect(model.report().bands[1].objects[0].geometry, QRectF(0, 0, 100, 6));
    // A text keeps a size one can grab; a line may be flat.
    model.setObjectGeometry(1, 0, QRectF(5, 5, 0, 0));
    compareRect(model.report().bands[1].objects[0].geometry, QRectF(5, 5, 1, 1));
    ReportObject line;
    line.kind = ReportObject::Kind::Line;
    line.geometry = QRectF(0, 0, 50, 0);
    const int index = model.insertObject(1, line);
    model.setObjectGeometry(1, index, QRectF(10, 9, 30, 0));
    compareRect(model.report().bands[1].objects[index].geometry, QRectF(10, 9, 30, 0));
    // In a band of three columns, objects have one column's room.
    ReportBand master = model.report().bands[1];
    master.columns = 3;
    master.columnGap = 5;
    model.updateBand(1, master, QStringLiteral("columns"));
    QCOMPARE(model.bandWidth(1), 30.0);
    model.setObjectGeometry(1, 0, QRectF(20, 0, 20, 6));
    compareRect(model.report().bands[1].objects[0].geometry, QRectF(10, 0, 20, 6));
}

void TestDesigner::typingIsOneUndoStep()
{
    DesignerModel model(sample());
    ReportObject o = model.report().bands[0].objects[0];
    for (const QString& typed : {QStringLiteral("客"), QStringLiteral("客户"), QStringLiteral("客户表")}) {
        o.text = typed;
        model.updateObject(0, 0, o, QStringLiteral("text"));
    }
    o.fontSize = 18;
    model.updateObject(0, 0, o, QStringLiteral("fontSize"));
    QCOMPARE(model.undoStack().count(), 2);
    model.undoStack().undo();
    QCOMPARE(model.report().bands[0].objects[0].text, QStringLiteral("客户表"));
    QCOMPARE(model.report().bands[0].objects[0].fontSize, 10.0);
    model.undoStack().undo();
    QCOMPARE(model.report().bands[0].objects[0].text, QStringLiteral("客户名单"));
    // The same property of another object is a step of its own.
    model.undoStack().redo();
    ReportObject other = model.report().bands[1].objects[0];
    other.text = QStringLiteral("x");
    model.updateObject(1, 0, other, QStringLiteral("text"));
    QCOMPARE(model.undoStack().count(), 2);
}

void TestDesigner::bandsAddedOnceAndRemoved()
{
    DesignerModel model(sample());
    QCOMPARE(model.addBand(ReportBand::Type::ReportTitle), -1);
    const int footer = model.addBand(ReportBand::Type::PageFooter);
    const int header = model.addBand(ReportBand::Type::PageHeader);
    QCOMPARE(header, 1);
    QList<ReportBand::Type> types;
    for (const ReportBand& b : model.report().bands)
        types << b.type;
    QCOMPARE(types, (QList<ReportBand::Type>{ReportBand::Type::ReportTitle, ReportBand::Type::PageHeader,
                                             ReportBand::Type::MasterData, ReportBand::Type::PageFooter}));
    QCOMPARE(footer, 2); // where it went before the header came
    QCOMPARE(model.selection(), (DesignSelection{1, -1}));

    // Deleting an object, then its band; undo brings both back.
    model.select({2, 1});
    model.removeSelected();
    QCOMPARE(model.report().bands[2].objects.size(), 1);
    QCOMPARE(model.selection(), (DesignSelection{2, -1}));
    model.removeSelected();
    QVERIFY(!model.hasBand(ReportBand::Type::MasterData));
    QVERIFY(model.selection().isPage());
    model.removeSelected(); // the page itself is never removed
    QCOMPARE(model.report().bands.size(), 3);
    model.undoStack().undo();
    model.undoStack().undo();
    QCOMPARE(model.report().band(ReportBand::Type::MasterData)->objects.size(), 2);

    // A copy goes beside its original, inside the band, and is selected.
    model.select({2, 1});
    QCOMPARE(model.duplicateSelected(), 2);
    const ReportBand& master = model.report().bands[2];
    QCOMPARE(master.objects[2].text, master.objects[1].text);
    compareRect(master.objects[2].geometry, QRectF(52, 2, 40, 6));
    QCOMPARE(model.selection(), (DesignSelection{2, 2}));
    model.select({2, -1});
    QCOMPARE(model.duplicateSelected(), -1);
}

void TestDesigner::bandPropertiesKeepTheirLimits()
{
    DesignerModel model(sample());
    ReportBand changed = model.report().bands[1];
    changed.type = ReportBand::Type::Summary; // the type is not a property
    changed.columns = 0;
    changed.height = 0.5;
    changed.columnGap = -3;
    changed.objects.clear(); // nor are the objects
    model.updateBand(1, changed, QStringLiteral("columns"));
    const ReportBand& b = model.report().bands[1];
    QCOMPARE(b.type, ReportBand::Type::MasterData);
    QCOMPARE(b.columns, 1);
    QCOMPARE(b.height, 6.0); // as low as its objects allow
    QCOMPARE(b.columnGap, 0.0);
    QCOMPARE(b.objects.size(), 2);

    // A band without objects goes down to 2 mm; one with objects not below them.
    model.addBand(ReportBand::Type::Summary);
    model.setBandHeight(2, 0.1);
    QCOMPARE(model.report().bands[2].height, 2.0);
    model.setBandHeight(1, 3);
    QCOMPARE(model.report().bands[1].height, 6.0);

    ReportPage page = model.report().page;
    page.leftMargin = 200; // more than the sheet
    model.updatePage(page, QStringLiteral("left"));
    QVERIFY(model.report().page.printableSize().width() > 0);
}

void TestDesigner::insertedTextGrowsALowBand()
{
    DesignerModel model(sample());
    const int index = model.insertText(1, QStringLiteral("[页码]"), QPointF(12.3, 7.2));
    const ReportBand& master = model.report().bands[1];
    QCOMPARE(index, 2);
    compareRect(master.objects[index].geometry, QRectF(12.5, 7, 40, 6));
    QCOMPARE(master.height, 13.0);
    QCOMPARE(model.selection(), (DesignSelection{1, 2}));
    QCOMPARE(model.insertText(7, QStringLiteral("x"), {}), -1);
}

void TestDesigner::grabbingEdges_data()
{
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<int>("edges");
    QTest::newRow("middle moves") << QPointF(25, 15) << int(Edge::None);
    QTest::newRow("right edge") << QPointF(40.5, 15) << int(Edge::Right);
    QTest::newRow("left edge") << QPointF(9.5, 15) << int(Edge::Left);
    QTest::newRow("lower right corner") << QPointF(40, 20) << int(Edge::Right | Edge::Bottom);
    QTest::newRow("upper left corner") << QPointF(10, 10) << int(Edge::Left | Edge::Top);
    QTest::newRow("outside") << QPointF(45, 15) << int(Edge::None);
}

void TestDesigner::grabbingEdges()
{
    QFETCH(QPointF, point);
    QFETCH(int, edges);
    QCOMPARE(int(edgesAt(QRectF(10, 10, 30, 10), point, 1.2)), edges);
    // An object of 2 mm is moved from its middle, not resized from both sides at once.
    QCOMPARE(int(edgesAt(QRectF(0, 0, 2, 2), QPointF(1, 1), 1.2)), int(Edge::None));
}

void TestDesigner::draggingEdges()
{
    const QRectF start(10, 10, 30, 10);
    compareRect(dragged(start, Edge::None, QPointF(5.2, -2.9)), QRectF(15, 7, 30, 10));
    compareRect(dragged(start, Edge::Right | Edge::Bottom, QPointF(4.9, 2.1)), QRectF(10, 10, 35, 12));
    compareRect(dragged(start, Edge::Left, QPointF(5, 0)), QRectF(15, 10, 25, 10));
    // The left edge stops at the right one.
    compareRect(dragged(start, Edge::Left, QPointF(50, 0)), QRectF(40, 10, 0, 10));
    QCOMPARE(snapped(3.26), 3.5);
    QCOMPARE(snapped(3.24), 3.0);
}

void TestDesigner::layoutStacksBands()
{
    DesignerModel model(sample());
    const DesignLayout layout = layoutDesign(model.report());
    QCOMPARE(layout.bands.size(), 2);
    const BandPlacement& title = layout.bands[0];
    const BandPlacement& master = layout.bands[1];
    compareRect(title.area, QRectF(10, 10 + kBandCaptionHeight, 100, 20));
    QCOMPARE(master.caption.top(), title.area.bottom() + kBandGap);
    QCOMPARE(layout.bandAt(master.area.center()), 1);
    QCOMPARE(layout.bandAt(title.caption.center()), 0);
    QCOMPARE(layout.bandAt(QPointF(5, 5)), -1);
    QCOMPARE(layout.sheet.width(), 120.0);
}

void TestDesigner::dragMovesAnObject()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    QWidget* viewport = w.canvas->viewport();
    // The customer name text of the master band (band 1, object 0) at (0, 0, 40 x 6).
    const QPoint from = at(w.canvas, 1, QPointF(20, 3));
    const QPoint to = at(w.canvas, 1, QPointF(30, 5));
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QCOMPARE(model.selection(), (DesignSelection{1, 0}));
    QTest::mouseMove(viewport, from + QPoint(3, 1));
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    QCoreApplication::processEvents();
    compareRect(model.report().bands[1].objects[0].geometry, QRectF(10, 2, 40, 6));
    QVERIFY(model.isModified());
    QVERIFY(w.designer->windowTitle().endsWith(u'*'));

    // The undo action puts it back.
    control<QAction>(w.designer.get(), "actUndo")->trigger();
    compareRect(model.report().bands[1].objects[0].geometry, QRectF(0, 0, 40, 6));
}

namespace {

int objectItems(DesignCanvas* canvas)
{
    int n = 0;
    for (QGraphicsItem* item : canvas->scene()->items())
        n += dynamic_cast<ObjectItem*>(item) ? 1 : 0;
    return n;
}

} // namespace

void TestDesigner::deleteKeyRemovesTheSelectedObject()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    QCOMPARE(objectItems(w.canvas), 3);
    QTest::mouseClick(w.canvas->viewport(), Qt::LeftButton, {}, at(w.canvas, 1, QPointF(60, 3)));
    QCOMPARE(model.selection(), (DesignSelection{1, 1}));
    w.canvas->setFocus();
    QTest::keyClick(w.canvas, Qt::Key_Delete);
    QCOMPARE(model.report().bands[1].objects.size(), 1);
    QCOMPARE(model.report().bands[1].objects[0].text, QStringLiteral("[客户记录.\"客户名称\"]"));
    // Painted and rebuilt without the removed object.
    w.canvas->viewport()->repaint();
    QCoreApplication::processEvents();
    QCOMPARE(objectItems(w.canvas), 2);
    // Delete in a property box deletes text, not the object.
    model.select({1, 0});
    auto* edit = control<QPlainTextEdit>(w.designer.get(), "edtText");
    edit->setFocus();
    edit->moveCursor(QTextCursor::Start);
    QTest::keyClick(edit, Qt::Key_Delete);
    QCOMPARE(model.report().bands[1].objects.size(), 1);
    QCOMPARE(model.report().bands[1].objects[0].text, QStringLiteral("客户记录.\"客户名称\"]"));
    control<QAction>(w.designer.get(), "actUndo")->trigger();
    control<QAction>(w.designer.get(), "actUndo")->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(objectItems(w.canvas), 3);
}

void TestDesigner::dragResizesTheSelectedObject()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    QWidget* viewport = w.canvas->viewport();
    // Select the title text (10, 5, 60 x 10), then drag its lower right corner.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at(w.canvas, 0, QPointF(40, 10)));
    QCOMPARE(model.selection(), (DesignSelection{0, 0}));
    const QPoint corner = at(w.canvas, 0, QPointF(70, 15));
    const QPoint to = at(w.canvas, 0, QPointF(80, 18));
    QTest::mousePress(viewport, Qt::LeftButton, {}, corner);
    QTest::mouseMove(viewport, corner + QPoint(2, 2));
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    QCoreApplication::processEvents();
    compareRect(model.report().bands[0].objects[0].geometry, QRectF(10, 5, 70, 13));
    // The panel shows the new size.
    QCOMPARE(control<QDoubleSpinBox>(w.designer.get(), "spnWidth")->value(), 70.0);
}

void TestDesigner::dragChangesBandHeight()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    QWidget* viewport = w.canvas->viewport();
    const QPoint edge = at(w.canvas, 1, QPointF(95, 10));
    const QPoint to = at(w.canvas, 1, QPointF(95, 16));
    QTest::mousePress(viewport, Qt::LeftButton, {}, edge);
    QTest::mouseMove(viewport, edge + QPoint(0, 3));
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    QCoreApplication::processEvents();
    QCOMPARE(model.report().bands[1].height, 16.0);
    QCOMPARE(model.selection(), (DesignSelection{1, -1}));
    QCOMPARE(control<QStackedWidget>(w.designer.get(), "stkProperties")->currentWidget()->objectName(),
             QStringLiteral("pageBand"));
}

void TestDesigner::propertyPanelEditsAndUndo()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    // A double click on a text puts the cursor in its text box.
    w.designer->activateWindow();
    QTest::mouseDClick(w.canvas->viewport(), Qt::LeftButton, {}, at(w.canvas, 0, QPointF(40, 10)));
    QCOMPARE(model.selection(), (DesignSelection{0, 0}));
    QTRY_VERIFY(control<QPlainTextEdit>(w.designer.get(), "edtText")->hasFocus());
    auto* stack = control<QStackedWidget>(w.designer.get(), "stkProperties");
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("pageObject"));
    auto* edit = control<QPlainTextEdit>(w.designer.get(), "edtText");
    QCOMPARE(edit->toPlainText(), QStringLiteral("客户名单"));
    edit->moveCursor(QTextCursor::End);
    edit->setFocus();
    QTest::keyClicks(edit, "2026");
    QCOMPARE(model.report().bands[0].objects[0].text, QStringLiteral("客户名单2026"));
    QCOMPARE(edit->textCursor().position(), edit->toPlainText().size()); // typing was not disturbed

    auto* x = control<QDoubleSpinBox>(w.designer.get(), "spnX");
    x->setValue(25);
    compareRect(model.report().bands[0].objects[0].geometry, QRectF(25, 5, 60, 10));

    control<QAction>(w.designer.get(), "actUndo")->trigger();
    control<QAction>(w.designer.get(), "actUndo")->trigger();
    QCOMPARE(model.report().bands[0].objects[0].text, QStringLiteral("客户名单"));
    QCOMPARE(edit->toPlainText(), QStringLiteral("客户名单"));
    QCOMPARE(x->value(), 10.0);
    QVERIFY(!control<QAction>(w.designer.get(), "actUndo")->isEnabled());

    // The page's properties when nothing is selected.
    model.select({});
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("pagePage"));
    control<QDoubleSpinBox>(w.designer.get(), "spnMarginLeft")->setValue(20);
    QCOMPARE(model.report().page.leftMargin, 20.0);
}

void TestDesigner::fieldsInsertedByDoubleClickAndDrop()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    auto* list = control<FieldList>(w.designer.get(), "lstFields");
    QListWidgetItem* code = list->findItems(QStringLiteral("客户编码"), Qt::MatchEndsWith).value(0);
    QVERIFY(code);
    QCOMPARE(FieldList::insertText(code), QStringLiteral("[客户记录.\"客户编码\"]"));
    QListWidgetItem* page = list->findItems(QStringLiteral("页码"), Qt::MatchEndsWith).value(0);
    QVERIFY(page);

    // Nothing selected: into the master band, below what it holds.
    emit list->itemDoubleClicked(code);
    const ReportBand* master = model.report().band(ReportBand::Type::MasterData);
    QCOMPARE(master->objects.size(), 3);
    QCOMPARE(master->objects[2].text, QStringLiteral("[客户记录.\"客户编码\"]"));
    compareRect(master->objects[2].geometry, QRectF(0, 6, 40, 6));

    // Dropped on the title band where the pointer is.
    QCoreApplication::processEvents();
    std::unique_ptr<QMimeData> mime(list->model()->mimeData({list->model()->index(list->row(page), 0)}));
    QVERIFY(mime);
    const QPoint target = at(w.canvas, 0, QPointF(60, 12));
    QDragEnterEvent enter(target, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(w.canvas->viewport(), &enter);
    QDragMoveEvent move(target, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(w.canvas->viewport(), &move);
    QVERIFY(move.isAccepted());
    QDropEvent drop(target, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(w.canvas->viewport(), &drop);
    const ReportBand& title = model.report().bands[0];
    QCOMPARE(title.objects.size(), 2);
    QCOMPARE(title.objects[1].text, QStringLiteral("[页码]"));
    QVERIFY(std::abs(title.objects[1].geometry.x() - 60) <= 0.5);
    QVERIFY(std::abs(title.objects[1].geometry.y() - 12) <= 0.5);
    // The headings insert nothing.
    emit list->itemDoubleClicked(list->item(0));
    QCOMPARE(model.undoStack().count(), 2);
}

void TestDesigner::saveWritesTheFileItCameFrom()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    model.addBand(ReportBand::Type::PageFooter);
    model.insertText(model.selection().band, QStringLiteral("第 [页码] 页"), QPointF(0, 0));
    control<QAction>(w.designer.get(), "actSave")->trigger();
    QVERIFY2(m_dialogs->messages().isEmpty(), qPrintable(m_dialogs->messages().join(u'\n')));
    QVERIFY(!model.isModified());
    QVERIFY(!w.designer->windowTitle().endsWith(u'*'));
    ReportTemplate saved;
    QString error;
    QVERIFY2(loadTemplate(m_file, &saved, &error), qPrintable(error));
    QCOMPARE(saved, model.report());
    QCOMPARE(saved.band(ReportBand::Type::PageFooter)->objects.value(0).text, QStringLiteral("第 [页码] 页"));
    QCOMPARE(w.document.report(), model.report());
    // Saved: closing asks nothing.
    w.designer->reject();
    QVERIFY(m_dialogs->shown().isEmpty());
    QVERIFY(!w.designer->isVisible());
}

void TestDesigner::closingAsksAboutUnsavedChanges_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("written");
    QTest::newRow("save") << int(QMessageBox::Yes) << true << true;
    QTest::newRow("discard") << int(QMessageBox::No) << true << false;
    QTest::newRow("stay") << int(QMessageBox::Cancel) << false << false;
}

void TestDesigner::closingAsksAboutUnsavedChanges()
{
    QFETCH(int, answer);
    QFETCH(bool, closed);
    QFETCH(bool, written);
    Window w;
    open(w);
    const QByteArray before = [&] {
        QFile f(m_file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    w.designer->model().setObjectGeometry(0, 0, QRectF(0, 0, 50, 10));
    m_dialogs->answer(QMessageBox::StandardButton(answer));
    control<QAction>(w.designer.get(), "actClose")->trigger();
    QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("报表模板已修改，是否保存？")});
    QCOMPARE(!w.designer->isVisible(), closed);
    QFile f(m_file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll() != before, written);
}

void TestDesigner::failedSaveKeepsTheChanges()
{
    Window w;
    open(w);
    w.designer->model().setObjectGeometry(0, 0, QRectF(0, 0, 50, 10));
    // The template's folder disappears under the designer.
    QVERIFY(QFile::remove(m_file));
    QVERIFY(QDir(m_dir->path()).removeRecursively());
    m_dialogs->answer(QMessageBox::Yes);
    w.designer->reject();
    QCOMPARE(m_dialogs->messages().size(), 2); // the question, then the error naming the file
    QVERIFY2(m_dialogs->last().text.contains(QStringLiteral("测试.fr3")), qPrintable(m_dialogs->last().text));
    QCOMPARE(m_dialogs->last().icon, QMessageBox::Critical);
    QVERIFY(w.designer->isVisible());
    QVERIFY(w.designer->model().isModified());
    // The document still holds the template as it was loaded.
    QVERIFY(w.document.report() != w.designer->model().report());
    compareRect(w.document.report().band(ReportBand::Type::ReportTitle)->objects[0].geometry,
                QRectF(10, 5, 60, 10));
}

void TestDesigner::previewShowsTheUnsavedDesign()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    ReportObject title = model.report().bands[0].objects[0];
    title.text = QStringLiteral("新的标题");
    model.updateObject(0, 0, title, QStringLiteral("text"));
    const QString pdf = m_dir->filePath(QStringLiteral("preview.pdf"));
    QString printed;
    zu::test::whenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
        printed = zu::test::printPreviewToText(preview, pdf);
        preview->reject();
    });
    control<QAction>(w.designer.get(), "actPreview")->trigger();
    QVERIFY2(printed.contains(QStringLiteral("新的标题")), qPrintable(printed));
    QVERIFY2(printed.contains(QStringLiteral("李建国")), qPrintable(printed));
    // Only previewed: the file keeps the old title.
    ReportTemplate stored;
    QString error;
    QVERIFY2(loadTemplate(m_file, &stored, &error), qPrintable(error));
    QCOMPARE(stored.band(ReportBand::Type::ReportTitle)->objects[0].text, QStringLiteral("客户名单"));
}

QTEST_MAIN(TestDesigner)
#include "tst_designer.moc"
