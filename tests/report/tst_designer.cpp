#include "report/designer/designcanvas.h"
#include "report/designer/designermodel.h"
#include "report/designer/designgeometry.h"
#include "report/designer/designitems.h"
#include "report/designer/fieldlist.h"
#include "report/designer/reportdesigner.h"
#include "report/reportdatasource.h"
#include "report/reportdocument.h"
#include "report/reportrenderer.h"
#include "report/shippedtemplates.h"
#include "report/templatefile.h"
#include "support/pdftext.h"
#include "support/scripteddialogs.h"
#include "support/uitest.h"
#include "templatebuilders.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGraphicsScene>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRubberBand>
#include <QScrollArea>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <QWheelEvent>

#include <cmath>

using namespace zu;
using zu::test::control;
using zu::test::makeBand;
using zu::test::ScriptedDialogs;
using zu::test::textObject;
using zu::test::whenModal;

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
    void nothingOutsideTheTemplateIsTouched();
    void severalObjectsOfABandDeletedTogether();

    // The designer window
    void dragMovesAnObject();
    void deleteKeyRemovesTheSelectedObject();
    void dragResizesTheSelectedObject();
    void dragChangesBandHeight();
    void doubleClickBesideTheSheetOpensNothing();
    void propertyPanelEditsAndUndo();
    void formatBoxesFollowTheSelection();
    void fieldsInsertedByDoubleClickAndDrop();
    void saveWritesTheFileItCameFrom();
    void closingAsksAboutUnsavedChanges_data();
    void closingAsksAboutUnsavedChanges();
    void failedSaveKeepsTheChanges();
    void previewShowsTheUnsavedDesign();

    // Working with several objects
    void shiftClickAddsAndTakesOut();
    void rubberBandSelectsWhatItTouches();
    void aClickThatTremblesDrawsNoRubberBand();
    void draggingMovesEverySelectedObject();
    void duplicateAlignAndSameSize();
    void edgesAndCornersShowTheirCursors();
    void copyAndPasteBetweenTemplates();
    // Safety
    void deletingABandAsksFirst_data();
    void deletingABandAsksFirst();
    void restoringTheShippedTemplate();
    void savingKeepsTheEarlierVersion();
    // What the canvas shows
    void fieldsShownByName();
    void unknownReferencesMarkedAndReportedBeforePreview();
    void unknownFieldOfAGroupConditionIsReported();
    void unknownFieldsOfTextsAndQrCodesAreReported();
    void gridSnapsAndShows();
    void zoomPercentFitAndWheel();
    void rulersFollowTheZoom();
    void pageOverflowIsSaid();
    // Objects and bands of their own
    void pictureFromAFileKeptInTheTemplate();
    void qrCodeOfTheCustomer();
    void stretchShrinkAndGroupProperties();
    void groupConditionWithoutDataSource();
    // Printing from the preview
    void previewPrintsTheRangeAndCopiesChosen();

private:
    struct Window
    {
        ReportDocument document;
        MemoryDataSource source = records();
        std::unique_ptr<ReportDesigner> designer;
        DesignCanvas* canvas = nullptr;
    };
    void open(Window& w, const QString& file = {});
    QPoint at(DesignCanvas* canvas, int band, QPointF mmInBand);
    static QPoint captionOf(DesignCanvas* canvas, int band);

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

void TestDesigner::open(Window& w, const QString& file)
{
    QString error;
    QVERIFY2(w.document.load(file.isEmpty() ? m_file : file, &error), qPrintable(error));
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

QPoint TestDesigner::captionOf(DesignCanvas* canvas, int band)
{
    const BandPlacement* p = canvas->layout().placement(band);
    if (!p)
        qFatal("no band %d", band);
    return canvas->mapFromScene(p->caption.center() - QPointF(p->caption.width() / 4, 0));
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
    // A new band is 12 mm high, a new master band 8 mm, one line of records.
    QCOMPARE(model.report().bands[1].height, 12.0);
    QCOMPARE(model.report().bands[3].height, 12.0);
    DesignerModel bare{ReportTemplate()};
    QCOMPARE(bare.addBand(ReportBand::Type::MasterData, QStringLiteral("客户记录")), 0);
    QCOMPARE(bare.report().bands[0].height, 8.0);
    QCOMPARE(bare.report().bands[0].dataSet, QStringLiteral("客户记录"));
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

    // The first band changes as any other; a band that is not there changes nothing.
    ReportBand first = model.report().bands[0];
    first.height = 30;
    model.updateBand(0, first, QStringLiteral("height"));
    QCOMPARE(model.report().bands[0].height, 30.0);
    const ReportTemplate before = model.report();
    first.height = 40;
    model.updateBand(-1, first, QStringLiteral("height"));
    model.updateBand(int(before.bands.size()), first, QStringLiteral("height"));
    QVERIFY(model.report() == before);

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
    QCOMPARE(model.insertText(2, QStringLiteral("x"), {}), -1); // just past the last band
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
    // An edge is grabbed up to the grip's width away, on either side, and no further.
    const QRectF frame(10, 10, 30, 10);
    for (const auto& [at, grabbed] : std::initializer_list<std::pair<QPointF, Edges>>{
             {QPointF(9.5, 15), Edge::Left},
             {QPointF(10.5, 15), Edge::Left},
             {QPointF(10.75, 15), Edge::None},
             {QPointF(40.5, 15), Edge::Right},
             {QPointF(39.5, 15), Edge::Right},
             {QPointF(39.25, 15), Edge::None},
             {QPointF(25, 9.5), Edge::Top},
             {QPointF(25, 10.5), Edge::Top},
             {QPointF(25, 10.75), Edge::None},
             {QPointF(25, 20.5), Edge::Bottom},
             {QPointF(25, 19.5), Edge::Bottom},
             {QPointF(25, 19.25), Edge::None},
             {QPointF(25, 20.75), Edge::None},
         })
        QCOMPARE(int(edgesAt(frame, at, 0.5)), int(grabbed));
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

// Objects selected in any order are removed as selected, however their removal shifts the
// objects after them, and the ones not selected stay.
void TestDesigner::severalObjectsOfABandDeletedTogether()
{
    DesignerModel model(sample());
    model.insertText(1, QStringLiteral("第三"), QPointF(0, 3));
    const auto texts = [&model] {
        QStringList out;
        for (const ReportObject& o : model.report().bands[1].objects)
            out << o.text;
        return out;
    };
    const QStringList all{QStringLiteral("[客户记录.\"客户名称\"]"),
                          QStringLiteral("[客户记录.\"客户编码\"]"), QStringLiteral("第三")};
    QCOMPARE(texts(), all);
    for (const QList<ObjectRef>& chosen :
         {QList<ObjectRef>{{1, 0}, {1, 1}}, QList<ObjectRef>{{1, 1}, {1, 0}}}) {
        model.select({chosen[0].band, chosen[0].object, {}});
        model.toggleObject(chosen[1].band, chosen[1].object);
        QCOMPARE(model.selection().objects(), chosen);
        model.removeSelected();
        QCOMPARE(texts(), QStringList{QStringLiteral("第三")});
        model.undoStack().undo();
        QCOMPARE(texts(), all);
    }
}

void TestDesigner::nothingOutsideTheTemplateIsTouched()
{
    DesignerModel model(sample());
    model.select({1, 0, {}});
    // An object past the last of its band is never selected, pasted into or taken for another.
    model.toggleObject(1, 2);
    QCOMPARE(model.selection(), (DesignSelection{1, 0, {}}));
    model.select({1, 0, {{1, 2}, {0, 0}}});
    QCOMPARE(model.selection(), (DesignSelection{1, 0, {{0, 0}}}));
    // A lead object past the last of its band leaves the band selected, and another object in a
    // band past the last is dropped.
    model.select({1, 2, {}});
    QCOMPARE(model.selection(), (DesignSelection{1, -1, {}}));
    model.select({1, 0, {{2, 0}}});
    QCOMPARE(model.selection(), (DesignSelection{1, 0, {}}));
    // Nor a band past the last or before the first: the page is selected instead.
    for (const int band : {2, -1}) {
        model.select({band, 0, {{1, 0}}});
        QVERIFY(model.selection().isPage());
        QVERIFY(model.selection().objects().isEmpty());
    }
    model.select({1, 0, {{0, 0}}});
    const QList<ReportObject> copies = model.selectedObjects();
    model.paste(2, copies);
    model.paste(1, {});
    QCOMPARE(model.undoStack().count(), 0);
    // A band in columns gives its objects one column's room, the first band as any other.
    ReportTemplate labels;
    labels.page = sample().page;
    ReportBand master = makeBand(ReportBand::Type::MasterData, 30);
    master.columns = 2;
    labels.bands << master;
    DesignerModel inColumns(labels);
    QCOMPARE(inColumns.bandWidth(0), 50.0);
    QCOMPARE(inColumns.bandWidth(1), 100.0); // no such band: the page's width
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

ObjectItem* itemFor(DesignCanvas* canvas, int band, int object)
{
    QCoreApplication::processEvents(); // the canvas is rebuilt after an edit
    for (QGraphicsItem* item : canvas->scene()->items()) {
        auto* o = dynamic_cast<ObjectItem*>(item);
        if (o && o->band() == band && o->object() == object)
            return o;
    }
    return nullptr;
}

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
    ObjectItem* removed = itemFor(w.canvas, 1, 1);
    w.canvas->setFocus();
    QTest::keyClick(w.canvas, Qt::Key_Delete);
    QCOMPARE(model.report().bands[1].objects.size(), 1);
    QCOMPARE(model.report().bands[1].objects[0].text, QStringLiteral("[客户记录.\"客户名称\"]"));
    // Until the canvas is rebuilt, the removed object's item stands for nothing.
    QVERIFY(!removed->isFaulty());
    QCOMPARE(removed->shownText(), QString());
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
    // Near the corner of an object not selected, a drag selects that object and moves it whole.
    const QRectF before = model.report().bands[1].objects[0].geometry;
    const QPoint other = at(w.canvas, 1, before.bottomRight() - QPointF(0.5, 0.5));
    const QPoint moved = at(w.canvas, 1, before.bottomRight() + QPointF(4.5, 1.5));
    QTest::mousePress(viewport, Qt::LeftButton, {}, other);
    QTest::mouseMove(viewport, other + QPoint(2, 2));
    QTest::mouseMove(viewport, moved);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, moved);
    QCoreApplication::processEvents();
    QCOMPARE(model.selection(), (DesignSelection{1, 0}));
    const QRectF after = model.report().bands[1].objects[0].geometry;
    QCOMPARE(after.size(), before.size());
    QVERIFY2(after.left() > before.left(), qPrintable(QString::number(after.left())));
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

// A double click beside the sheet, with nothing chosen, opens no text.
void TestDesigner::doubleClickBesideTheSheetOpensNothing()
{
    Window w;
    open(w);
    w.designer->activateWindow();
    QTest::mouseDClick(w.canvas->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(w.designer->model().selectedObject(), nullptr);
    QVERIFY(!control<QPlainTextEdit>(w.designer.get(), "edtText")->hasFocus());
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

    // The orientation box shows the page's orientation, also after an undo.
    auto* orientation = control<QComboBox>(w.designer.get(), "cmbOrientation");
    QCOMPARE(model.report().page.orientation, QPageLayout::Portrait);
    QCOMPARE(orientation->currentText(), QStringLiteral("纵向"));
    orientation->setCurrentIndex(orientation->findText(QStringLiteral("横向")));
    QCOMPARE(model.report().page.orientation, QPageLayout::Landscape);
    control<QAction>(w.designer.get(), "actUndo")->trigger();
    QCOMPARE(model.report().page.orientation, QPageLayout::Portrait);
    QCOMPARE(orientation->currentText(), QStringLiteral("纵向"));
    control<QAction>(w.designer.get(), "actRedo")->trigger();
    QCOMPARE(orientation->currentText(), QStringLiteral("横向"));
    // Lying on its side, the sheet's boxes show it as it lies; a size typed there is kept upright.
    auto* width = control<QDoubleSpinBox>(w.designer.get(), "spnPageWidth");
    auto* height = control<QDoubleSpinBox>(w.designer.get(), "spnPageHeight");
    QCOMPARE(width->value(), 150.0);
    QCOMPARE(height->value(), 120.0);
    width->setValue(160);
    QCOMPARE(model.report().page.customWidth, 120.0);
    QCOMPARE(model.report().page.customHeight, 160.0);
}

// Choosing another object shows its own number and date formats, an empty one included.
void TestDesigner::formatBoxesFollowTheSelection()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    QList<ObjectRef> texts;
    for (int b = 0; b < model.report().bands.size(); ++b)
        for (int o = 0; o < model.report().bands[b].objects.size(); ++o)
            if (model.report().bands[b].objects[o].kind == ReportObject::Kind::Text)
                texts.append({b, o});
    QVERIFY(texts.size() >= 2);
    const auto [band, object] = texts[0];
    ReportObject formatted = model.report().bands[band].objects[object];
    formatted.numberFormat = QStringLiteral("#,##0.00");
    formatted.dateFormat = QStringLiteral("yyyy年M月d日");
    model.updateObject(band, object, formatted, QStringLiteral("numberFormat"));
    auto* number = control<QLineEdit>(w.designer.get(), "edtNumberFormat");
    auto* date = control<QLineEdit>(w.designer.get(), "edtDateFormat");
    model.select({texts[1].band, texts[1].object});
    QCOMPARE(number->text(), model.report().bands[texts[1].band].objects[texts[1].object].numberFormat);
    QCOMPARE(date->text(), model.report().bands[texts[1].band].objects[texts[1].object].dateFormat);
    model.select({band, object});
    QCOMPARE(number->text(), QStringLiteral("#,##0.00"));
    QCOMPARE(date->text(), QStringLiteral("yyyy年M月d日"));
    model.select({texts[1].band, texts[1].object});
    QVERIFY(number->text() != QStringLiteral("#,##0.00"));
    QVERIFY(date->text() != QStringLiteral("yyyy年M月d日"));
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

namespace {

QAction* action(QWidget* window, const char* name)
{
    return control<QAction>(window, name);
}

// Runs `act` on the menu that pops up next.
template <typename F> void whenMenu(F act)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            poll->stop();
            poll->deleteLater();
            act(menu);
        }
    });
    poll->start();
}

QByteArray pngOf(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Pixels of the grid's dots (grey-blue, darker than an empty band) in a part of an image.
int gridPixels(const QImage& image, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.red() < 0xe8 && c.blue() > c.red() ? 1 : 0;
        }
    }
    return n;
}

} // namespace

void TestDesigner::shiftClickAddsAndTakesOut()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    QWidget* viewport = w.canvas->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at(w.canvas, 1, QPointF(20, 3)));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, at(w.canvas, 1, QPointF(60, 3)));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, at(w.canvas, 0, QPointF(40, 10)));
    QCOMPARE(model.selection().objects(), (QList<ObjectRef>{{1, 0}, {1, 1}, {0, 0}}));
    auto* kind = control<QLabel>(w.designer.get(), "lblObjectKind");
    QVERIFY2(kind->text().contains(QStringLiteral("共选中 3 个")), qPrintable(kind->text()));
    // Shift+click on a selected one takes it out; the next one leads.
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, at(w.canvas, 1, QPointF(20, 3)));
    QCOMPARE(model.selection().objects(), (QList<ObjectRef>{{1, 1}, {0, 0}}));
    QCOMPARE(control<QPlainTextEdit>(w.designer.get(), "edtText")->toPlainText(),
             QStringLiteral("[客户记录.\"客户编码\"]"));
    // A plain click on one of them selects it alone; nothing was changed.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at(w.canvas, 0, QPointF(40, 10)));
    QCOMPARE(model.selection(), (DesignSelection{0, 0, {}}));
    QVERIFY(!model.isModified());
}

void TestDesigner::rubberBandSelectsWhatItTouches()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    QWidget* viewport = w.canvas->viewport();
    auto drag = [&](QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mousePress(viewport, Qt::LeftButton, modifiers, from);
        QTest::mouseMove(viewport, (from + to) / 2);
        QTest::mouseMove(viewport, to);
        QTest::mouseRelease(viewport, Qt::LeftButton, modifiers, to);
    };
    // From empty paper of the master band over the code only.
    drag(at(w.canvas, 1, QPointF(95, 8)), at(w.canvas, 1, QPointF(45, 3)));
    QCOMPARE(model.selection().objects(), (QList<ObjectRef>{{1, 1}}));
    // From the title band down over everything: in the order of the template.
    drag(at(w.canvas, 0, QPointF(95, 12)), at(w.canvas, 1, QPointF(5, 8)));
    QCOMPARE(model.selection().objects(), (QList<ObjectRef>{{0, 0}, {1, 0}, {1, 1}}));
    // With Shift it adds to what is selected.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at(w.canvas, 1, QPointF(60, 3)));
    drag(at(w.canvas, 1, QPointF(45, 8)), at(w.canvas, 1, QPointF(30, 2)), Qt::ShiftModifier);
    QCOMPARE(model.selection().objects(), (QList<ObjectRef>{{1, 1}, {1, 0}}));
    // Touching nothing leaves the band the press selected.
    drag(at(w.canvas, 0, QPointF(80, 17)), at(w.canvas, 0, QPointF(90, 19)));
    QCOMPARE(model.selection(), (DesignSelection{0, -1, {}}));
    QVERIFY(!model.isModified());
    // Delete removes everything selected, over two bands, as one step and without a question.
    drag(at(w.canvas, 0, QPointF(95, 12)), at(w.canvas, 1, QPointF(5, 8)));
    w.canvas->setFocus();
    QTest::keyClick(w.canvas, Qt::Key_Delete);
    QVERIFY(m_dialogs->shown().isEmpty());
    QVERIFY(model.report().bands[0].objects.isEmpty());
    QVERIFY(model.report().bands[1].objects.isEmpty());
    action(w.designer.get(), "actUndo")->trigger();
    QCOMPARE(model.report().bands[0].objects.size(), 1);
    QCOMPARE(model.report().bands[1].objects.size(), 2);
}

// A hand that trembles by a few pixels while clicking draws no rubber band; moving on draws one,
// across or down.
void TestDesigner::aClickThatTremblesDrawsNoRubberBand()
{
    Window w;
    open(w);
    QWidget* viewport = w.canvas->viewport();
    auto* band = w.canvas->findChild<QRubberBand*>();
    QVERIFY(band);
    const QPoint from = at(w.canvas, 1, QPointF(95, 8));
    for (const QPoint further : {QPoint(3, 0), QPoint(0, 3), QPoint(-5, -5)}) {
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        QTest::mouseMove(viewport, from + QPoint(2, 2));
        QVERIFY(!band->isVisible());
        QTest::mouseMove(viewport, from - QPoint(2, 2));
        QVERIFY(!band->isVisible());
        QTest::mouseMove(viewport, from + further);
        QVERIFY(band->isVisible());
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, from + further);
        QVERIFY(!band->isVisible());
    }
}

void TestDesigner::draggingMovesEverySelectedObject()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    QWidget* viewport = w.canvas->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at(w.canvas, 1, QPointF(20, 3)));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, at(w.canvas, 1, QPointF(60, 3)));
    const QPoint from = at(w.canvas, 1, QPointF(20, 3));
    const QPoint to = at(w.canvas, 1, QPointF(25, 5));
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, from + QPoint(3, 1));
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    QCoreApplication::processEvents();
    compareRect(model.report().bands[1].objects[0].geometry, QRectF(5, 2, 40, 6));
    compareRect(model.report().bands[1].objects[1].geometry, QRectF(55, 2, 40, 6));
    QCOMPARE(model.selection().objects().size(), 2);
    // The arrow keys move them together too; one undo step each.
    w.canvas->setFocus();
    QTest::keyClick(w.canvas, Qt::Key_Left);
    compareRect(model.report().bands[1].objects[0].geometry, QRectF(4.5, 2, 40, 6));
    compareRect(model.report().bands[1].objects[1].geometry, QRectF(54.5, 2, 40, 6));
    action(w.designer.get(), "actUndo")->trigger();
    action(w.designer.get(), "actUndo")->trigger();
    compareRect(model.report().bands[1].objects[0].geometry, QRectF(0, 0, 40, 6));
    compareRect(model.report().bands[1].objects[1].geometry, QRectF(50, 0, 40, 6));
}

// Over a selected object the pointer shows what a drag does: a corner resizes diagonally (top
// left and bottom right one way, the other two the other), an edge along its axis, the middle moves.
// A band's lower edge, away from its objects, resizes the band. The pointer is moved over the
// canvas as the mouse moves it, with no button held.
void TestDesigner::edgesAndCornersShowTheirCursors()
{
    Window w;
    open(w);
    QWidget* viewport = w.canvas->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at(w.canvas, 0, QPointF(40, 10)));
    QCOMPARE(w.designer->model().selection(), (DesignSelection{0, 0}));
    const QRectF g = w.designer->model().report().bands[0].objects[0].geometry;
    const auto cursorAtIn = [&](int band, QPointF p) {
        const QPointF where = at(w.canvas, band, p);
        QMouseEvent move(QEvent::MouseMove, where, viewport->mapToGlobal(where), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        return viewport->cursor().shape();
    };
    const auto cursorAt = [&](QPointF p) { return cursorAtIn(0, p); };
    QCOMPARE(cursorAt(g.topLeft()), Qt::SizeFDiagCursor);
    QCOMPARE(cursorAt(g.bottomRight()), Qt::SizeFDiagCursor);
    QCOMPARE(cursorAt(g.topRight()), Qt::SizeBDiagCursor);
    QCOMPARE(cursorAt(g.bottomLeft()), Qt::SizeBDiagCursor);
    QCOMPARE(cursorAt(QPointF(g.left(), g.center().y())), Qt::SizeHorCursor);
    QCOMPARE(cursorAt(QPointF(g.right(), g.center().y())), Qt::SizeHorCursor);
    QCOMPARE(cursorAt(QPointF(g.center().x(), g.top())), Qt::SizeVerCursor);
    QCOMPARE(cursorAt(QPointF(g.center().x(), g.bottom())), Qt::SizeVerCursor);
    QCOMPARE(cursorAt(g.center()), Qt::SizeAllCursor);
    // The status line follows the pointer, in millimetres on the page.
    const QPointF pointer = w.canvas->layout().placement(0)->area.topLeft() + g.center();
    const QRegularExpressionMatch shown =
        QRegularExpression(QStringLiteral("^位置：(-?[0-9]+\\.[0-9]) mm, (-?[0-9]+\\.[0-9]) mm$"))
            .match(control<QLabel>(w.designer.get(), "lblStatus")->text());
    QVERIFY2(shown.hasMatch(), qPrintable(control<QLabel>(w.designer.get(), "lblStatus")->text()));
    QVERIFY(std::abs(shown.captured(1).toDouble() - pointer.x()) < 0.5);
    QVERIFY(std::abs(shown.captured(2).toDouble() - pointer.y()) < 0.5);
    const BandPlacement* detail = w.canvas->layout().placement(1);
    QVERIFY(detail);
    const qreal bottom = detail->area.height();
    QCOMPARE(cursorAtIn(1, QPointF(95, bottom - 0.5)), Qt::SizeVerCursor);
    QCOMPARE(cursorAtIn(1, QPointF(95, bottom - 3)), Qt::ArrowCursor);
    // Only the one object selected offers its edges: not another, nor either of two selected.
    QCOMPARE(cursorAtIn(1, QPointF(0.3, 3)), Qt::SizeAllCursor);
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, at(w.canvas, 1, QPointF(20, 3)));
    QCOMPARE(w.designer->model().selection().objects().size(), 2);
    QCOMPARE(cursorAt(QPointF(g.left(), g.center().y())), Qt::SizeAllCursor);
    QCOMPARE(cursorAtIn(1, QPointF(0.3, 3)), Qt::SizeAllCursor);
}

void TestDesigner::duplicateAlignAndSameSize()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    QWidget* viewport = w.canvas->viewport();
    QWidget* window = w.designer.get();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at(w.canvas, 0, QPointF(40, 10)));
    // Ctrl+D: a copy beside the original, selected.
    w.canvas->setFocus();
    QTest::keyClick(w.canvas, Qt::Key_D, Qt::ControlModifier);
    const QList<ReportObject>& title = model.report().bands[0].objects;
    QCOMPARE(title.size(), 2);
    QCOMPARE(title[1].text, title[0].text);
    compareRect(title[1].geometry, QRectF(12, 7, 60, 10));
    QCOMPARE(model.selection(), (DesignSelection{0, 1, {}}));
    QVERIFY(!action(window, "actAlignLeft")->isEnabled()); // one object: nothing to line up
    // The copy made low and wide, at the foot of the band.
    control<QDoubleSpinBox>(window, "spnHeight")->setValue(3);
    control<QDoubleSpinBox>(window, "spnY")->setValue(16);
    control<QDoubleSpinBox>(window, "spnWidth")->setValue(80);
    compareRect(model.report().bands[0].objects[1].geometry, QRectF(12, 16, 80, 3));
    // The original added: the copy leads.
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, at(w.canvas, 0, QPointF(40, 8)));
    QCOMPARE(model.selection().objects(), (QList<ObjectRef>{{0, 1}, {0, 0}}));
    for (const char* name : {"actAlignLeft", "actAlignRight", "actAlignTop", "actAlignBottom", "actSameSize"})
        QVERIFY2(action(window, name)->isEnabled(), name);
    const int steps = model.undoStack().count();
    action(window, "actAlignRight")->trigger();
    compareRect(model.report().bands[0].objects[0].geometry, QRectF(32, 5, 60, 10));
    action(window, "actAlignLeft")->trigger();
    compareRect(model.report().bands[0].objects[0].geometry, QRectF(12, 5, 60, 10));
    action(window, "actAlignBottom")->trigger();
    compareRect(model.report().bands[0].objects[0].geometry, QRectF(12, 9, 60, 10));
    action(window, "actSameSize")->trigger();
    compareRect(model.report().bands[0].objects[0].geometry, QRectF(12, 9, 80, 3));
    action(window, "actAlignTop")->trigger();
    compareRect(model.report().bands[0].objects[0].geometry, QRectF(12, 16, 80, 3));
    QCOMPARE(model.undoStack().count(), steps + 5);
    compareRect(model.report().bands[0].objects[1].geometry, QRectF(12, 16, 80, 3)); // the lead stays
    // Lined up over two bands: left edges match, each stays inside its own band.
    for (int i = 0; i < 5; ++i)
        action(window, "actUndo")->trigger();
    compareRect(model.report().bands[0].objects[0].geometry, QRectF(10, 5, 60, 10));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at(w.canvas, 1, QPointF(60, 3)));
    QCoreApplication::processEvents();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, at(w.canvas, 0, QPointF(50, 17.5)));
    QCOMPARE(model.selection().objects(), (QList<ObjectRef>{{1, 1}, {0, 1}}));
    action(window, "actAlignLeft")->trigger();
    compareRect(model.report().bands[0].objects[1].geometry, QRectF(20, 16, 80, 3));
    action(window, "actAlignTop")->trigger();
    compareRect(model.report().bands[0].objects[1].geometry, QRectF(20, 0, 80, 3));
}

void TestDesigner::copyAndPasteBetweenTemplates()
{
    ReportTemplate other;
    other.name = QStringLiteral("其他");
    other.bands << makeBand(ReportBand::Type::MasterData, 30) << makeBand(ReportBand::Type::Summary, 12);
    const QString otherFile = m_dir->filePath(QStringLiteral("其他.fr3"));
    QString error;
    QVERIFY2(saveTemplate(other, otherFile, &error), qPrintable(error));
    Window a;
    open(a);
    Window b;
    open(b, otherFile);
    QVERIFY(!action(b.designer.get(), "actPaste")->isEnabled() ||
            QGuiApplication::clipboard()->mimeData()->hasFormat(ReportDesigner::objectsMimeType()));

    // In the first template: both fields of the master band, copied with Ctrl+C.
    a.designer->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(a.designer.get()));
    QTest::mouseClick(a.canvas->viewport(), Qt::LeftButton, {}, at(a.canvas, 1, QPointF(60, 3)));
    QTest::mouseClick(a.canvas->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      at(a.canvas, 1, QPointF(20, 3)));
    a.canvas->setFocus();
    QTest::keyClick(a.canvas, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("[客户记录.\"客户编码\"]\n[客户记录.\"客户名称\"]"));
    QVERIFY(!a.designer->model().isModified());

    // Into the other template's summary with Ctrl+V: as they were, selected.
    b.designer->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(b.designer.get()));
    QVERIFY(action(b.designer.get(), "actPaste")->isEnabled());
    QTest::mouseClick(b.canvas->viewport(), Qt::LeftButton, {}, captionOf(b.canvas, 1));
    QCOMPARE(b.designer->model().selection(), (DesignSelection{1, -1, {}}));
    b.canvas->setFocus();
    QTest::keyClick(b.canvas, Qt::Key_V, Qt::ControlModifier);
    const QList<ReportObject>& summary = b.designer->model().report().bands[1].objects;
    QCOMPARE(summary.size(), 2);
    QCOMPARE(summary[0].text, QStringLiteral("[客户记录.\"客户编码\"]"));
    compareRect(summary[0].geometry, QRectF(50, 0, 40, 6));
    QCOMPARE(summary[1].text, QStringLiteral("[客户记录.\"客户名称\"]"));
    QCOMPARE(b.designer->model().selection().objects(), (QList<ObjectRef>{{1, 0}, {1, 1}}));
    // Once more: where the very same places are taken they go a little further.
    action(b.designer.get(), "actPaste")->trigger();
    QCOMPARE(b.designer->model().report().bands[1].objects.size(), 4);
    compareRect(b.designer->model().report().bands[1].objects[2].geometry, QRectF(52, 2, 40, 6));
    action(b.designer.get(), "actUndo")->trigger();
    QCOMPARE(b.designer->model().report().bands[1].objects.size(), 2);

    // Cut in the first template: gone there, on the clipboard for the other.
    QTest::mouseClick(a.canvas->viewport(), Qt::LeftButton, {}, at(a.canvas, 0, QPointF(40, 10)));
    action(a.designer.get(), "actCut")->trigger();
    QVERIFY(a.designer->model().report().bands[0].objects.isEmpty());
    QTest::mouseClick(b.canvas->viewport(), Qt::LeftButton, {}, captionOf(b.canvas, 0));
    action(b.designer.get(), "actPaste")->trigger();
    QCOMPARE(b.designer->model().report().bands[0].objects.value(0).text, QStringLiteral("客户名单"));
}

void TestDesigner::deletingABandAsksFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("bandsLeft");
    QTest::newRow("no") << int(QMessageBox::No) << 2;
    QTest::newRow("yes") << int(QMessageBox::Yes) << 1;
}

void TestDesigner::deletingABandAsksFirst()
{
    QFETCH(int, answer);
    QFETCH(int, bandsLeft);
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    QTest::mouseClick(w.canvas->viewport(), Qt::LeftButton, {}, captionOf(w.canvas, 1));
    QCOMPARE(model.selection(), (DesignSelection{1, -1, {}}));
    m_dialogs->answer(QMessageBox::StandardButton(answer));
    w.canvas->setFocus();
    QTest::keyClick(w.canvas, Qt::Key_Delete);
    QCOMPARE(m_dialogs->messages(),
             QStringList{QStringLiteral("确定删除“主数据”栏吗？栏中的 2 个对象将一并删除。")});
    QCOMPARE(m_dialogs->last().icon, QMessageBox::Question);
    QCOMPARE(model.report().bands.size(), bandsLeft);
    if (bandsLeft == 1) {
        action(w.designer.get(), "actUndo")->trigger();
        QCOMPARE(model.report().bands.size(), 2);
        QCOMPARE(model.report().bands[1].objects.size(), 2);
    }
    // An object goes without a question.
    m_dialogs->clear();
    QTest::mouseClick(w.canvas->viewport(), Qt::LeftButton, {}, at(w.canvas, 1, QPointF(20, 3)));
    w.canvas->setFocus();
    QTest::keyClick(w.canvas, Qt::Key_Delete);
    QVERIFY(m_dialogs->shown().isEmpty());
    QCOMPARE(model.report().bands[1].objects.size(), 1);
}

void TestDesigner::restoringTheShippedTemplate()
{
    ReportTemplate shipped;
    QString error;
    QVERIFY2(parseTemplate(shippedTemplate(QStringLiteral("客户列表.fr3")), &shipped, &error),
             qPrintable(error));
    ReportTemplate spoilt = shipped;
    spoilt.bands[0].objects[0].text = QStringLiteral("弄乱了的标题");
    spoilt.bands.removeLast();
    const QString file = m_dir->filePath(QStringLiteral("客户列表.fr3"));
    QVERIFY2(saveTemplate(spoilt, file, &error), qPrintable(error));
    Window w;
    open(w, file);
    DesignerModel& model = w.designer->model();
    QAction* restore = action(w.designer.get(), "actRestoreDefault");
    QVERIFY(restore->isVisible());
    // Asked first; no leaves it as it is.
    m_dialogs->answer(QMessageBox::No);
    restore->trigger();
    QCOMPARE(m_dialogs->messages().size(), 1);
    QVERIFY2(m_dialogs->last().text.contains(QStringLiteral("客户列表.fr3")),
             qPrintable(m_dialogs->last().text));
    QVERIFY(!model.isModified());
    m_dialogs->answer(QMessageBox::Yes);
    restore->trigger();
    QCOMPARE(model.report(), DesignerModel(shipped).report());
    QVERIFY(model.isModified());
    // It can be undone, and is written only when saved.
    action(w.designer.get(), "actUndo")->trigger();
    QCOMPARE(model.report().bands[0].objects[0].text, QStringLiteral("弄乱了的标题"));
    action(w.designer.get(), "actRedo")->trigger();
    ReportTemplate stored;
    QVERIFY(loadTemplate(file, &stored, &error));
    QCOMPARE(stored.bands[0].objects[0].text, QStringLiteral("弄乱了的标题"));
    action(w.designer.get(), "actSave")->trigger();
    QVERIFY(loadTemplate(file, &stored, &error));
    QCOMPARE(stored, model.report());
    QCOMPARE(stored.bands[0].objects[0].text, QStringLiteral("客户统计列表"));
    // A template that came with nothing has nothing to restore.
    Window own;
    open(own);
    QVERIFY(!action(own.designer.get(), "actRestoreDefault")->isVisible());
}

void TestDesigner::savingKeepsTheEarlierVersion()
{
    Window w;
    open(w);
    QFile original(m_file);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    original.close();
    w.designer->model().setObjectGeometry(0, 0, QRectF(0, 0, 50, 10));
    action(w.designer.get(), "actSave")->trigger();
    QVERIFY(m_dialogs->shown().isEmpty());
    const QDir backups(ReportDocument::backupFolder(m_file));
    const QStringList kept = backups.entryList({QStringLiteral("测试-*.fr3")}, QDir::Files);
    QCOMPARE(kept.size(), 1);
    QFile backup(backups.filePath(kept.first()));
    QVERIFY(backup.open(QIODevice::ReadOnly));
    QCOMPARE(backup.readAll(), before);
    const QString status = control<QLabel>(w.designer.get(), "lblStatus")->text();
    QVERIFY2(status.contains(QStringLiteral("备份")), qPrintable(status));
}

void TestDesigner::fieldsShownByName()
{
    Window w;
    open(w);
    ObjectItem* name = itemFor(w.canvas, 1, 0);
    QVERIFY(name);
    QCOMPARE(name->shownText(), QStringLiteral("[客户名称]"));
    QVERIFY(!name->isFaulty());
    QCOMPARE(itemFor(w.canvas, 0, 0)->shownText(), QStringLiteral("客户名单"));
    // A total and a system value, typed into the title.
    QTest::mouseClick(w.canvas->viewport(), Qt::LeftButton, {}, at(w.canvas, 0, QPointF(40, 10)));
    control<QPlainTextEdit>(w.designer.get(), "edtText")
        ->setPlainText(QStringLiteral("共 [COUNT()] 位，第 [页码] 页，金额 [SUM(客户记录.\"客户编码\")]"));
    QCOMPARE(itemFor(w.canvas, 0, 0)->shownText(),
             QStringLiteral("共 [计数] 位，第 [页码] 页，金额 [合计 客户编码]"));
    // A system value is drawn as its name too, not as the empty value it has while designing.
    control<QPlainTextEdit>(w.designer.get(), "edtText")->setPlainText(QStringLiteral("[公司名称]"));
    const ObjectItem* title = itemFor(w.canvas, 0, 0);
    QCOMPARE(title->shownText(), QStringLiteral("[公司名称]"));
    const QRect area =
        w.canvas->mapFromScene(title->sceneBoundingRect()).boundingRect().adjusted(3, 3, -3, -3);
    const QImage shot = w.canvas->viewport()->grab().toImage();
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            dark += shot.pixelColor(x, y).lightness() < 100 ? 1 : 0;
    QVERIFY2(dark > 20, qPrintable(QString::number(dark)));
}

void TestDesigner::unknownFieldOfAGroupConditionIsReported()
{
    ReportTemplate t = sample();
    ReportBand byRegion = makeBand(ReportBand::Type::GroupHeader, 8, {});
    byRegion.condition = QStringLiteral("[客户记录.\"地区\"]");
    ReportBand byName = makeBand(ReportBand::Type::GroupHeader, 8, {});
    byName.condition = QStringLiteral("[客户记录.\"客户名称\"]");
    t.bands << byRegion << byName;
    DesignerModel model(t);
    model.setFields(kCust, {QStringLiteral("客户名称"), QStringLiteral("客户编码")});
    QCOMPARE(model.unknownReferences(), QStringList{QStringLiteral("分组头：[客户记录.\"地区\"]")});
}

// Texts and QR codes hold fields; what other objects keep in their text is no reference.
void TestDesigner::unknownFieldsOfTextsAndQrCodesAreReported()
{
    ReportTemplate t;
    ReportObject qr = textObject({0, 20, 20, 20}, QStringLiteral("[客户记录.\"二维码\"]"));
    qr.kind = ReportObject::Kind::QrCode;
    QList<ReportObject> others;
    for (const ReportObject::Kind kind :
         {ReportObject::Kind::Line, ReportObject::Kind::Rectangle, ReportObject::Kind::Picture}) {
        ReportObject o = textObject({30, 0, 10, 10}, QStringLiteral("[客户记录.\"不是引用\"]"));
        o.kind = kind;
        others << o;
    }
    t.bands << makeBand(
        ReportBand::Type::MasterData, 50,
        QList<ReportObject>{textObject({0, 0, 20, 6}, QStringLiteral("[客户记录.\"文字\"]")), qr} + others);
    DesignerModel model(t);
    model.setFields(kCust, {QStringLiteral("客户名称")});
    QCOMPARE(model.unknownReferences(), (QStringList{QStringLiteral("主数据：[客户记录.\"文字\"]"),
                                                     QStringLiteral("主数据：[客户记录.\"二维码\"]")}));
}

void TestDesigner::unknownReferencesMarkedAndReportedBeforePreview()
{
    Window w;
    open(w);
    QTest::mouseClick(w.canvas->viewport(), Qt::LeftButton, {}, at(w.canvas, 1, QPointF(20, 3)));
    auto* edit = control<QPlainTextEdit>(w.designer.get(), "edtText");
    edit->setPlainText(QStringLiteral("姓名：[客户记录.\"姓名\"]"));
    ObjectItem* item = itemFor(w.canvas, 1, 0);
    QVERIFY(item->isFaulty());
    QCOMPARE(item->shownText(), QStringLiteral("姓名：[客户记录.\"姓名\"]"));
    // Said before the preview; the user may stop.
    {
        bool previewed = false;
        QObject watch;
        whenModal<QPrintPreviewDialog>(
            [&previewed](QPrintPreviewDialog* preview) {
                previewed = true;
                preview->reject();
            },
            &watch);
        m_dialogs->answer(QMessageBox::No);
        action(w.designer.get(), "actPreview")->trigger();
        QCOMPARE(m_dialogs->messages().size(), 1);
        QVERIFY2(m_dialogs->last().text.contains(QStringLiteral("主数据：[客户记录.\"姓名\"]")),
                 qPrintable(m_dialogs->last().text));
        QCOMPARE(m_dialogs->last().icon, QMessageBox::Warning);
        QCoreApplication::processEvents();
        QVERIFY(!previewed);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // Typed with Chinese quotation marks, the field is known: no question, its value printed.
    edit->setPlainText(QStringLiteral("姓名：[客户记录.“客户名称”]"));
    item = itemFor(w.canvas, 1, 0);
    QVERIFY(!item->isFaulty());
    QCOMPARE(item->shownText(), QStringLiteral("姓名：[客户名称]"));
    m_dialogs->clear();
    QString printed;
    whenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
        printed = zu::test::printPreviewToText(preview, m_dir->filePath(QStringLiteral("引号.pdf")));
        preview->reject();
    });
    action(w.designer.get(), "actPreview")->trigger();
    QVERIFY(m_dialogs->shown().isEmpty());
    QVERIFY2(printed.contains(QStringLiteral("姓名：李建国")), qPrintable(printed));
}

void TestDesigner::gridSnapsAndShows()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    QWidget* viewport = w.canvas->viewport();
    auto* grid = control<QComboBox>(w.designer.get(), "cmbGrid");
    QCOMPARE(w.canvas->gridStep(), 0.5);
    auto dragBy = [&](QPointF mm) {
        const QPoint from = at(w.canvas, 1, QPointF(20, 3));
        const QPoint to = w.canvas->mapFromScene(w.canvas->mapToScene(from) + mm);
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        QTest::mouseMove(viewport, from + QPoint(3, 1));
        QTest::mouseMove(viewport, to);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
        QCoreApplication::processEvents();
    };
    grid->setCurrentIndex(2); // 1 mm
    QCOMPARE(w.canvas->gridStep(), 1.0);
    dragBy(QPointF(10.45, 1.3));
    compareRect(model.report().bands[1].objects[0].geometry, QRectF(10, 1, 40, 6));
    // Without the grid the object goes where it is put, to a tenth of a millimetre.
    grid->setCurrentIndex(0);
    QCOMPARE(w.canvas->gridStep(), 0.0);
    action(w.designer.get(), "actUndo")->trigger();
    dragBy(QPointF(10.45, 1.3));
    const QRectF free = model.report().bands[1].objects[0].geometry;
    QVERIFY2(std::abs(free.x() - std::round(free.x())) > 0.05, qPrintable(QString::number(free.x())));
    QVERIFY(std::abs(free.x() - 10.45) < 0.3);

    // The grid shows as dots on an empty part of a band, and not when it is off.
    const BandPlacement* title = w.canvas->layout().placement(0);
    const QRect empty = QRect(w.canvas->mapFromScene(title->area.topLeft() + QPointF(72, 1)),
                              w.canvas->mapFromScene(title->area.topLeft() + QPointF(98, 4)));
    QCOMPARE(gridPixels(viewport->grab().toImage(), empty), 0);
    grid->setCurrentIndex(2);
    QCoreApplication::processEvents();
    QVERIFY(gridPixels(viewport->grab().toImage(), empty) > 20);
}

void TestDesigner::zoomPercentFitAndWheel()
{
    Window w;
    open(w);
    auto* zoom = control<QComboBox>(w.designer.get(), "cmbZoom");
    QCOMPARE(zoom->currentText(), QStringLiteral("150%"));
    zoom->lineEdit()->selectAll();
    QTest::keyClicks(zoom->lineEdit(), "200");
    QTest::keyClick(zoom->lineEdit(), Qt::Key_Return);
    QCOMPARE(w.canvas->zoom(), 2.0);
    QCOMPARE(zoom->currentText(), QStringLiteral("200%"));
    // Ctrl+wheel zooms; the wheel alone scrolls.
    QWidget* viewport = w.canvas->viewport();
    const QPoint middle = viewport->rect().center();
    QWheelEvent up(middle, viewport->mapToGlobal(middle), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::ControlModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewport, &up);
    QVERIFY2(w.canvas->zoom() > 2.2, qPrintable(QString::number(w.canvas->zoom())));
    QCOMPARE(zoom->currentText(), QStringLiteral("%1%").arg(qRound(w.canvas->zoom() * 100)));
    const double zoomed = w.canvas->zoom();
    QWheelEvent plain(middle, viewport->mapToGlobal(middle), QPoint(), QPoint(0, -120), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewport, &plain);
    QCOMPARE(w.canvas->zoom(), zoomed);
    // Shown again, it keeps the zoom chosen.
    w.designer->hide();
    w.designer->show();
    QCoreApplication::processEvents();
    QCOMPARE(w.canvas->zoom(), zoomed);
    // Fit to the window: the whole page in sight.
    action(w.designer.get(), "actZoomFit")->trigger();
    const QSizeF sheet = w.canvas->layout().sheet;
    QVERIFY(viewport->rect().contains(w.canvas->mapFromScene(QPointF(0, 0))));
    QVERIFY(viewport->rect().contains(w.canvas->mapFromScene(QPointF(sheet.width(), sheet.height()))));
    QCOMPARE(zoom->currentText(), QStringLiteral("%1%").arg(qRound(w.canvas->zoom() * 100)));
    const double fitted = w.canvas->zoom();
    action(w.designer.get(), "actZoomWidth")->trigger();
    QVERIFY(w.canvas->zoom() > fitted); // the page is higher than wide
    const int right = w.canvas->mapFromScene(QPointF(sheet.width(), 0)).x();
    QVERIFY2(right > viewport->width() * 3 / 4 && right < viewport->width(),
             qPrintable(QString::number(right)));
}

void TestDesigner::rulersFollowTheZoom()
{
    Window w;
    open(w);
    w.canvas->setZoom(2);
    QCoreApplication::processEvents();
    QWidget* across = w.canvas->horizontalRuler();
    QWidget* down = w.canvas->verticalRuler();
    QVERIFY(across->isVisible() && down->isVisible());
    QCOMPARE(across->geometry().bottom() + 1, w.canvas->viewport()->geometry().top());
    QCOMPARE(down->geometry().right() + 1, w.canvas->viewport()->geometry().left());
    auto dark = [](const QImage& image, int x, int y) { return image.pixelColor(x, y).lightness() < 128; };
    // A whole millimetre in sight: a mark above it on the ruler, none half a millimetre on.
    auto markAt = [&](double mm) { return w.canvas->mapFromScene(QPointF(mm, 0)).x(); };
    const double visible = std::round(w.canvas->mapToScene(w.canvas->viewport()->rect().center()).x());
    const QImage top = across->grab().toImage();
    auto darkNear = [&](const QImage& image, int x, int y) {
        return dark(image, x - 1, y) || dark(image, x, y) || dark(image, x + 1, y);
    };
    QVERIFY(darkNear(top, markAt(visible), top.height() - 2));
    QVERIFY(!darkNear(top, markAt(visible + 0.5), top.height() - 2));
    // Down the side, the millimetres of band 1 from its top.
    const QImage side = down->grab().toImage();
    const BandPlacement* master = w.canvas->layout().placement(1);
    const int fiveMm = w.canvas->mapFromScene(master->area.topLeft() + QPointF(0, 5)).y();
    auto darkAcross = [&](int y) {
        return dark(side, side.width() - 2, y - 1) || dark(side, side.width() - 2, y) ||
               dark(side, side.width() - 2, y + 1);
    };
    QVERIFY(darkAcross(fiveMm));
    QVERIFY(!darkAcross(fiveMm + 4));
    // Zoomed, the marks follow.
    w.canvas->setZoom(1);
    QCoreApplication::processEvents();
    const QImage smaller = across->grab().toImage();
    const double now = std::round(w.canvas->mapToScene(w.canvas->viewport()->rect().center()).x() / 5) * 5;
    QVERIFY(darkNear(smaller, markAt(now), smaller.height() - 2));
}

void TestDesigner::pageOverflowIsSaid()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    auto* warning = control<QLabel>(w.designer.get(), "lblPageWarning");
    QVERIFY(warning->text().isEmpty());
    // A sheet for one customer: title 20 + data 10 + a summary of 105 no longer fit in 130 mm.
    QTest::mouseClick(w.canvas->viewport(), Qt::LeftButton, {}, captionOf(w.canvas, 1));
    control<QComboBox>(w.designer.get(), "cmbRecords")->setCurrentIndex(1);
    whenMenu([](QMenu* menu) {
        for (QAction* a : menu->actions()) {
            if (a->text() == QStringLiteral("报表合计"))
                a->trigger();
        }
        menu->close();
    });
    action(w.designer.get(), "actAddBand")->trigger();
    QCOMPARE(model.selection(), (DesignSelection{2, -1, {}}));
    QCOMPARE(model.report().bands[2].type, ReportBand::Type::Summary);
    control<QDoubleSpinBox>(w.designer.get(), "spnBandHeight")->setValue(100);
    QVERIFY(warning->text().isEmpty());
    control<QDoubleSpinBox>(w.designer.get(), "spnBandHeight")->setValue(105);
    QVERIFY2(warning->text().contains(QStringLiteral("135.0 mm")) &&
                 warning->text().contains(QStringLiteral("130.0 mm")),
             qPrintable(warning->text()));
    // A list may put its summary on a later page.
    QTest::mouseClick(w.canvas->viewport(), Qt::LeftButton, {}, captionOf(w.canvas, 1));
    control<QComboBox>(w.designer.get(), "cmbRecords")->setCurrentIndex(0);
    QVERIFY(warning->text().isEmpty());
    // But its title and one record must fit on a page: 20 + 110 mm do, 20 + 111 mm do not.
    control<QDoubleSpinBox>(w.designer.get(), "spnBandHeight")->setValue(110);
    QVERIFY2(warning->text().isEmpty(), qPrintable(warning->text()));
    control<QDoubleSpinBox>(w.designer.get(), "spnBandHeight")->setValue(111);
    QCOMPARE(
        warning->text(),
        QStringLiteral("注意：报表标题、页眉、一条记录和页脚合计 131.0 mm，超过纸张可打印的高度 130.0 mm。"));
}

void TestDesigner::pictureFromAFileKeptInTheTemplate()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    const QByteArray png = pngOf(QSize(40, 20), QColor(200, 0, 0));
    const QString logo = m_dir->filePath(QStringLiteral("标志.png"));
    writeFile(logo, png);
    // Chosen in a file dialog, put into the title band.
    QTest::mouseClick(w.canvas->viewport(), Qt::LeftButton, {}, captionOf(w.canvas, 0));
    m_dialogs->answerFile(logo);
    action(w.designer.get(), "actInsertPicture")->trigger();
    QCOMPARE(m_dialogs->last().kind, QStringLiteral("open"));
    const QList<ReportObject>& title = model.report().bands[0].objects;
    QCOMPARE(title.size(), 2);
    QCOMPARE(title[1].kind, ReportObject::Kind::Picture);
    QCOMPARE(title[1].picture, png);
    compareRect(title[1].geometry, QRectF(0, 0, 30, 15));
    QVERIFY(control<QWidget>(w.designer.get(), "grpPicture")->isVisible());
    QVERIFY(!control<QWidget>(w.designer.get(), "grpText")->isVisible());
    // Kept in the template file itself: the picture file may go.
    action(w.designer.get(), "actSave")->trigger();
    QVERIFY(QFile::remove(logo));
    ReportTemplate saved;
    QString error;
    QVERIFY2(loadTemplate(m_file, &saved, &error), qPrintable(error));
    QCOMPARE(saved.bands[0].objects[1].picture, png);
    // Another picture for it through its own button.
    const QByteArray blue = pngOf(QSize(10, 10), QColor(0, 0, 200));
    writeFile(logo, blue);
    m_dialogs->answerFile(logo);
    QTest::mouseClick(control<QPushButton>(w.designer.get(), "btnPicture"), Qt::LeftButton);
    QCOMPARE(model.report().bands[0].objects[1].picture, blue);
    // Whether it keeps its proportions is the picture's own setting, changed in its panel.
    auto* keep = control<QCheckBox>(w.designer.get(), "chkKeepAspect");
    const bool kept = model.report().bands[0].objects[1].keepAspect;
    QCOMPARE(keep->isChecked(), kept);
    keep->click();
    QCOMPARE(model.report().bands[0].objects[1].keepAspect, !kept);
    // Not a picture: said, nothing inserted.
    writeFile(logo, "不是图片");
    m_dialogs->answerFile(logo);
    action(w.designer.get(), "actInsertPicture")->trigger();
    QVERIFY2(m_dialogs->last().text.contains(QStringLiteral("无法读取图片文件")),
             qPrintable(m_dialogs->last().text));
    QCOMPARE(m_dialogs->last().icon, QMessageBox::Critical);
    QCOMPARE(model.report().bands[0].objects.size(), 2);
    // Cancelled: nothing either.
    action(w.designer.get(), "actInsertPicture")->trigger();
    QCOMPARE(model.report().bands[0].objects.size(), 2);
}

void TestDesigner::qrCodeOfTheCustomer()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    action(w.designer.get(), "actInsertQrCode")->trigger();
    const ReportBand& master = model.report().bands[1];
    QCOMPARE(master.objects.size(), 3);
    QCOMPARE(master.objects[2].kind, ReportObject::Kind::QrCode);
    QCOMPARE(master.objects[2].text, QStringLiteral("[客户记录.\"客户编码\"]"));
    QCOMPARE(master.height, 20.0); // grown to hold it
    QCOMPARE(itemFor(w.canvas, 1, 2)->shownText(), QStringLiteral("[客户编码]"));
    // Its text in the text box, with more fields.
    auto* edit = control<QPlainTextEdit>(w.designer.get(), "edtText");
    QVERIFY(edit->isVisible());
    QVERIFY(!control<QWidget>(w.designer.get(), "spnFontSize")->isVisible());
    edit->setPlainText(QStringLiteral("[客户记录.\"客户编码\"] #[客户记录.\"客户名称\"]"));
    // Printed, it reads back as the customer's code and name.
    const QString pdf = m_dir->filePath(QStringLiteral("二维码.pdf"));
    QString error;
    QVERIFY2(exportPdf(model.report(), w.source, pdf, &error), qPrintable(error));
    QCOMPARE(zu::test::qrCodeOnFirstPage(pdf), QStringLiteral("KH1 #李建国"));
}

void TestDesigner::stretchShrinkAndGroupProperties()
{
    Window w;
    open(w);
    DesignerModel& model = w.designer->model();
    QWidget* window = w.designer.get();
    QTest::mouseClick(w.canvas->viewport(), Qt::LeftButton, {}, captionOf(w.canvas, 1));
    auto* stretch = control<QCheckBox>(window, "chkStretch");
    QVERIFY(stretch->isVisible());
    QVERIFY(!control<QWidget>(window, "grpGroup")->isVisible());
    QTest::mouseClick(stretch, Qt::LeftButton, {}, QPoint(8, stretch->height() / 2));
    QVERIFY(model.report().bands[1].stretch);
    QTest::mouseClick(w.canvas->viewport(), Qt::LeftButton, {}, at(w.canvas, 1, QPointF(20, 3)));
    auto* shrink = control<QCheckBox>(window, "chkShrink");
    control<QScrollArea>(window, "scrProperties")
        ->ensureWidgetVisible(shrink); // scrolled to, as a user would
    QTest::mouseClick(shrink, Qt::LeftButton, {}, QPoint(8, shrink->height() / 2)); // on its box
    QVERIFY(model.report().bands[1].objects[0].shrinkToFit);
    // A group header from the band menu, grouping by a field at once.
    whenMenu([](QMenu* menu) {
        for (QAction* a : menu->actions()) {
            if (a->text() == QStringLiteral("分组头"))
                a->trigger();
        }
        menu->close();
    });
    action(window, "actAddBand")->trigger();
    QCOMPARE(model.report().bands[1].type, ReportBand::Type::GroupHeader);
    QCOMPARE(model.report().bands[1].condition, QStringLiteral("[客户记录.\"客户名称\"]"));
    auto* condition = control<QComboBox>(window, "cmbCondition");
    QVERIFY(condition->isVisible());
    QCOMPARE(condition->currentText(), QStringLiteral("客户名称"));
    condition->setCurrentIndex(condition->findText(QStringLiteral("客户编码")));
    QCOMPARE(model.report().bands[1].condition, QStringLiteral("[客户记录.\"客户编码\"]"));
    // Written with Chinese quotation marks, the field is still the one shown.
    ReportBand group = model.report().bands[1];
    group.condition = QStringLiteral("[客户记录.“客户名称”]");
    model.updateBand(1, group, QStringLiteral("test"));
    QCOMPARE(condition->currentText(), QStringLiteral("客户名称"));
    // The menu offers the group header no more.
    bool offered = true;
    whenMenu([&offered](QMenu* menu) {
        for (QAction* a : menu->actions())
            if (a->text() == QStringLiteral("分组头"))
                offered = a->isEnabled();
        menu->close();
    });
    action(window, "actAddBand")->trigger();
    QVERIFY(!offered);
}

// A template opened without records to print: a group header still shows its condition, as it is
// written, and keeps it.
void TestDesigner::groupConditionWithoutDataSource()
{
    ReportTemplate t = sample();
    ReportBand group = makeBand(ReportBand::Type::GroupHeader, 8, {});
    group.condition = QStringLiteral("[客户记录.“客户类别”]");
    t.bands << group;
    QString error;
    QVERIFY2(saveTemplate(t, m_file, &error), qPrintable(error));
    ReportDocument document;
    QVERIFY2(document.load(m_file, &error), qPrintable(error));
    ReportDesigner designer(document, nullptr, ReportEnvironment{});
    designer.resize(1200, 800);
    designer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&designer));
    auto* canvas = control<DesignCanvas>(&designer, "canvas");
    canvas->setZoom(1.5);
    QCoreApplication::processEvents();
    const QList<ReportBand>& bands = designer.model().report().bands;
    const auto found = std::find_if(bands.cbegin(), bands.cend(), [](const ReportBand& b) {
        return b.type == ReportBand::Type::GroupHeader;
    });
    QVERIFY(found != bands.cend());
    QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, captionOf(canvas, int(found - bands.cbegin())));
    auto* condition = control<QComboBox>(&designer, "cmbCondition");
    QVERIFY(condition->isVisible());
    QCOMPARE(condition->currentText(), QStringLiteral("[客户记录.“客户类别”]"));
    QCOMPARE(found->condition, QStringLiteral("[客户记录.“客户类别”]"));
}

void TestDesigner::previewPrintsTheRangeAndCopiesChosen()
{
    // Five customers, one to a landscape A5 page.
    ReportTemplate t;
    t.page.size = ReportPage::Size::A5;
    t.page.orientation = QPageLayout::Landscape;
    t.page.leftMargin = t.page.topMargin = t.page.rightMargin = t.page.bottomMargin = 10;
    t.bands << makeBand(ReportBand::Type::MasterData, 100,
                        {textObject({0, 0, 150, 10}, QStringLiteral("[客户记录.\"客户名称\"] 第[页码]页"))});
    QString error;
    QVERIFY2(saveTemplate(t, m_file, &error), qPrintable(error));
    Window w;
    w.source = MemoryDataSource(kCust, {QStringLiteral("客户名称"), QStringLiteral("客户编码")},
                                {{QStringLiteral("甲"), QStringLiteral("1")},
                                 {QStringLiteral("乙"), QStringLiteral("2")},
                                 {QStringLiteral("丙"), QStringLiteral("3")},
                                 {QStringLiteral("丁"), QStringLiteral("4")},
                                 {QStringLiteral("戊"), QStringLiteral("5")}},
                                0);
    open(w);
    QCOMPARE(control<QComboBox>(w.designer.get(), "cmbOrientation")->currentText(), QStringLiteral("横向"));
    const QString pdf = m_dir->filePath(QStringLiteral("二至三页两份.pdf"));
    int pages = -1;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QStringList offered;
    whenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
        QCoreApplication::processEvents();
        auto* widget = preview->findChild<QPrintPreviewWidget*>();
        pages = widget->pageCount();
        orientation = widget->orientation();
        QAction* print = nullptr;
        for (QAction* a : preview->findChildren<QAction*>()) {
            if (a->isVisible())
                offered << a->text();
            if (a->text() == QCoreApplication::translate("QPrintPreviewDialog", "Print"))
                print = a;
        }
        // The print dialog: to a PDF file, pages 2 to 3, two copies collated.
        whenModal<QPrintDialog>([&](QPrintDialog* dialog) {
            control<QLineEdit>(dialog, "filename")->setText(pdf);
            control<QRadioButton>(dialog, "printRange")->setChecked(true);
            control<QSpinBox>(dialog, "from")->setValue(2);
            control<QSpinBox>(dialog, "to")->setValue(3);
            control<QSpinBox>(dialog, "copies")->setValue(2);
            control<QCheckBox>(dialog, "collate")->setChecked(true);
            dialog->accept();
        });
        print->trigger();
    });
    action(w.designer.get(), "actPreview")->trigger();
    QCOMPARE(pages, 5);
    QCOMPARE(orientation, QPageLayout::Landscape);
    // No page setup or orientation of its own: the template decides them.
    for (const char* text : {"Page setup", "Portrait", "Landscape"})
        QVERIFY2(!offered.contains(QCoreApplication::translate("QPrintPreviewDialog", text)), text);
    const QStringList printed = zu::test::pdfPages(pdf);
    QCOMPARE(printed.size(), 4);
    const QStringList expected = {QStringLiteral("乙 第2页"), QStringLiteral("丙 第3页"),
                                  QStringLiteral("乙 第2页"), QStringLiteral("丙 第3页")};
    for (int i = 0; i < 4; ++i)
        QVERIFY2(printed[i].contains(expected[i]), qPrintable(printed[i]));
}

QTEST_MAIN(TestDesigner)
#include "tst_designer.moc"
