// Printing as a dealer relies on it: texts that wrap, shrink and stretch their bands, groups and
// totals, keeping the last rows with the summary, page ranges and copies, pictures and QR codes,
// and the shipped templates with long names and addresses.

#include "report/bandlayout.h"
#include "report/customerrecords.h"
#include "report/qrcode.h"
#include "report/reportdatasource.h"
#include "report/reportdocument.h"
#include "report/reportplan.h"
#include "report/reportrenderer.h"
#include "report/shippedtemplates.h"
#include "report/templatefile.h"
#include "report/textexpander.h"
#include "support/filesizelimit.h"
#include "support/pdftext.h"
#include "templatebuilders.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace zu;
using zu::test::makeBand;
using zu::test::pdfPages;
using zu::test::pdfWords;
using zu::test::sampleCustomers;
using zu::test::textObject;

namespace {

const QString kCust = QStringLiteral("客户记录");

// A name of 60 and an address of 120 characters, made of characters that no template prints
// otherwise, so that the page's text filtered to them must be the whole value.
const QString kLongName = QStringLiteral("甲乙丙丁戊己庚辛壬癸").repeated(6);
const QString kLongAddress = QStringLiteral("子丑寅卯辰巳午未申酉戌亥").repeated(10);

QString f(const char* field)
{
    return QStringLiteral("[客户记录.\"%1\"]").arg(QString::fromUtf8(field));
}

// The characters of `text` that belong to `alphabet`, in order.
QString only(const QString& text, const QString& alphabet)
{
    QString kept;
    for (QChar c : text) {
        if (alphabet.contains(c))
            kept += c;
    }
    return kept;
}

QString collapse(QString s)
{
    s.remove(QRegularExpression(QStringLiteral("\\s+")));
    return s;
}

// Nothing printed over another text, nothing off the sheet: a text cut by its box runs on under
// the text beside it or off the paper.
void verifyNoTextRunsOver(const zu::test::PdfPage& page, const QString& where)
{
    const QRectF sheet(QPointF(0, 0), page.size);
    for (qsizetype i = 0; i < page.words.size(); ++i) {
        const zu::test::PdfWord& a = page.words.at(i);
        QVERIFY2(sheet.adjusted(-0.5, -0.5, 0.5, 0.5).contains(a.box),
                 qPrintable(where + QStringLiteral(": \"%1\" off the sheet").arg(a.text)));
        for (qsizetype j = i + 1; j < page.words.size(); ++j) {
            const zu::test::PdfWord& b = page.words.at(j);
            const QRectF common = a.box.intersected(b.box);
            QVERIFY2(common.width() <= 1 || common.height() <= 1,
                     qPrintable(where + QStringLiteral(": \"%1\" printed over \"%2\"").arg(a.text, b.text)));
        }
    }
}

// A page whose area inside the margins is 100 x 100 mm.
ReportPage squarePage()
{
    ReportPage p;
    p.size = ReportPage::Size::Custom;
    p.customWidth = 120;
    p.customHeight = 120;
    p.leftMargin = p.topMargin = p.rightMargin = p.bottomMargin = 10;
    return p;
}

ReportObject framed(QRectF geometry, QString text, bool wrap = false)
{
    ReportObject o = textObject(geometry, std::move(text));
    o.frame.left = o.frame.top = o.frame.right = o.frame.bottom = true;
    o.wordWrap = wrap;
    return o;
}

// A row of a list: a name that wraps (30 mm), a code beside it, a line under the row and a text
// on a second line of the band.
ReportTemplate stretchingList()
{
    ReportTemplate t;
    t.page = squarePage();
    ReportObject line;
    line.kind = ReportObject::Kind::Line;
    line.geometry = QRectF(0, 6, 100, 0);
    ReportBand master =
        makeBand(ReportBand::Type::MasterData, 12,
                 {framed({0, 0, 30, 6}, f("客户名称"), true), framed({30, 0, 20, 6}, f("客户编码")), line,
                  textObject({0, 6, 50, 6}, QStringLiteral("第二行 ") + f("客户编码"))});
    master.stretch = true;
    t.bands << master
            << makeBand(ReportBand::Type::Summary, 10,
                        {textObject({0, 0, 100, 10}, QStringLiteral("合计 [记录数]"))});
    return t;
}

MemoryDataSource namedCustomers(const QStringList& names)
{
    QList<QVariantList> rows;
    for (int i = 0; i < names.size(); ++i)
        rows << QVariantList{names.at(i), QStringLiteral("C%1").arg(i + 1)};
    return MemoryDataSource(kCust, {QStringLiteral("客户名称"), QStringLiteral("客户编码")}, rows, 0);
}

QImage referenceDevice()
{
    QImage image(1, 1, QImage::Format_Mono);
    image.setDotsPerMeterX(qRound(300 / 0.0254));
    image.setDotsPerMeterY(qRound(300 / 0.0254));
    return image;
}

QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000))
        return QStringLiteral("<%1 did not finish>").arg(program);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The first page of a PDF as a PNG at `dpi`.
QString rasterize(const QString& pdf, int dpi)
{
    const QString stem = pdf.left(pdf.size() - 4) + QStringLiteral("-page");
    runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                                         QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                         QStringLiteral("1"), QStringLiteral("-singlefile"), pdf, stem});
    return stem + QStringLiteral(".png");
}

} // namespace

class TestPrinting final : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void numericFieldsOfTheFirstRecord();
    void fieldReferences_data();
    void fieldReferences();
    void unknownReferencesAreFound();

    void stretchGrowsTheRowAndMovesWhatFollows();
    void stretchedRowsBreakPages();
    void bandsThatDoNotStretchKeepTheirSize();
    void shrinkToFit();
    void groupsWithCountsAndSums();
    void groupHeaderAndFooterStayWithTheirRows();

    void printSequence_data();
    void printSequence();
    void printerPageRangeAndCopies_data();
    void printerPageRangeAndCopies();
    void rangeWithoutPages();

    void qrCodeDecodesFromThePrintedPage();
    void qrCodeOfNothing();
    void pictureKeptWithTheTemplate();
    void objectsForTheClipboard();

    void longValuesPrintWhole_data();
    void longValuesPrintWhole();
    void oneCharacterInEachBox();
    void framesDrawOnlyTheirSides();

    void shippedTemplatesInstalledWithoutOverwriting();
    void fullDiskKeepsTheSavedTemplate();
    void savingKeepsTheEarlierVersion();

private:
    QTemporaryDir m_dir;
};

void TestPrinting::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (qEnvironmentVariableIsSet("ZU_KEEP_REPORT_OUTPUT")) {
        m_dir.setAutoRemove(false);
        qInfo("report output in %s", qPrintable(m_dir.path()));
    }
    for (const char* tool : {"pdftotext", "pdftoppm", "zbarimg"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QFAIL(qPrintable(
                QStringLiteral("%1 is needed (scripts/install-deps.sh)").arg(QString::fromLatin1(tool))));
    }
}

void TestPrinting::fieldReferences_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("printed");
    QTest::addColumn<QString>("shown"); // in the designer
    QTest::newRow("straight quotes") << f("客户名称") << QStringLiteral("李建国")
                                     << QStringLiteral("[客户名称]");
    QTest::newRow("Chinese quotes") << QStringLiteral("[客户记录.“客户名称”]") << QStringLiteral("李建国")
                                    << QStringLiteral("[客户名称]");
    QTest::newRow("Chinese full stop") << QStringLiteral("[客户记录。\"客户名称\"]")
                                       << QStringLiteral("李建国") << QStringLiteral("[客户名称]");
    QTest::newRow("quoted data set") << QStringLiteral("[“客户记录”.客户名称]") << QStringLiteral("李建国")
                                     << QStringLiteral("[客户名称]");
    QTest::newRow("unknown field") << QStringLiteral("名：[客户记录.\"姓名\"]")
                                   << QStringLiteral("名：[客户记录.\"姓名\"]")
                                   << QStringLiteral("名：[客户记录.\"姓名\"]");
    QTest::newRow("one quote only") << QStringLiteral("[客户记录.“客户名称]")
                                    << QStringLiteral("[客户记录.“客户名称]")
                                    << QStringLiteral("[客户记录.“客户名称]");
    QTest::newRow("sum") << QStringLiteral("[SUM(客户记录.\"总金额\")]") << QStringLiteral("300.5")
                         << QStringLiteral("[合计 总金额]");
    QTest::newRow("sum in lower case") << QStringLiteral("[sum( 客户记录.“总金额” )]")
                                       << QStringLiteral("300.5") << QStringLiteral("[合计 总金额]");
    QTest::newRow("sum of an unknown field")
        << QStringLiteral("[SUM(客户记录.\"金额\")]") << QStringLiteral("[SUM(客户记录.\"金额\")]")
        << QStringLiteral("[SUM(客户记录.\"金额\")]");
    QTest::newRow("sum without its closing bracket")
        << QStringLiteral("[SUM(客户记录.\"总金额\"x]") << QStringLiteral("[SUM(客户记录.\"总金额\"x]")
        << QStringLiteral("[SUM(客户记录.\"总金额\"x]");
    QTest::newRow("sum without its opening bracket")
        << QStringLiteral("[SUM x客户记录.\"总金额\")]") << QStringLiteral("[SUM x客户记录.\"总金额\")]")
        << QStringLiteral("[SUM x客户记录.\"总金额\")]");
    QTest::newRow("count without brackets")
        << QStringLiteral("[COUNT]") << QStringLiteral("[COUNT]") << QStringLiteral("[COUNT]");
    QTest::newRow("count") << QStringLiteral("共 [COUNT()] 位") << QStringLiteral("共 2 位")
                           << QStringLiteral("共 [计数] 位");
    QTest::newRow("count with an argument")
        << QStringLiteral("[COUNT(x)]") << QStringLiteral("[COUNT(x)]") << QStringLiteral("[COUNT(x)]");
    QTest::newRow("system value") << QStringLiteral("[页码]") << QStringLiteral("3")
                                  << QStringLiteral("[页码]");
}

void TestPrinting::numericFieldsOfTheFirstRecord()
{
    const QStringList fields{QStringLiteral("客户名称"), QStringLiteral("总金额"), QStringLiteral("数量")};
    QCOMPARE(MemoryDataSource(kCust, fields, {{QStringLiteral("甲"), 100.5, 3}, {QStringLiteral("乙"), 1, 1}})
                 .numericFields(),
             (QStringList{QStringLiteral("总金额"), QStringLiteral("数量")}));
    // No records: nothing to tell the kind by. A first record shorter than the fields: those it has.
    QCOMPARE(MemoryDataSource(kCust, fields, {}).numericFields(), QStringList());
    QCOMPARE(MemoryDataSource(kCust, fields, {{QStringLiteral("甲"), 100.5}}).numericFields(),
             QStringList{QStringLiteral("总金额")});
    // More values than fields: only the named ones.
    QCOMPARE(MemoryDataSource(kCust, {QStringLiteral("客户名称")}, {{QStringLiteral("甲"), 100.5}})
                 .numericFields(),
             QStringList());
}

void TestPrinting::fieldReferences()
{
    QFETCH(QString, text);
    QFETCH(QString, printed);
    QFETCH(QString, shown);
    MemoryDataSource source(kCust, {QStringLiteral("客户名称"), QStringLiteral("总金额")},
                            {{QStringLiteral("李建国"), 100.5}}, 0);
    ReportTotals totals;
    totals.count = 2;
    totals.sums.insert(QStringLiteral("总金额"), 300.5);
    ExpansionContext c;
    c.source = &source;
    c.totals = &totals;
    c.page = 3;
    QCOMPARE(expandText(text, c), printed);
    QCOMPARE(friendlyText(text, kCust, source.fieldNames()), shown);
    QCOMPARE(unknownReferences(text, kCust, source.fieldNames()).isEmpty(), printed != text);
}

void TestPrinting::unknownReferencesAreFound()
{
    const QStringList fields = {QStringLiteral("客户名称"), QStringLiteral("客户编码")};
    QCOMPARE(unknownReferences(QStringLiteral("[客户记录.\"客户名称\"] [客户记录.\"客户名\"] [页码] [页数]"),
                               kCust, fields),
             (QStringList{QStringLiteral("[客户记录.\"客户名\"]"), QStringLiteral("[页数]")}));
    // Another data set's fields are not this one's.
    QCOMPARE(unknownReferences(QStringLiteral("[订单.\"客户名称\"]"), kCust, fields),
             QStringList{QStringLiteral("[订单.\"客户名称\"]")});
    QVERIFY(unknownReferences(QStringLiteral("没有引用的文字"), kCust, fields).isEmpty());
    QCOMPARE(summedFields(QStringLiteral("[SUM(客户记录.\"客户编码\")] [SUM(客户记录.“客户编码”)]"), kCust,
                          fields),
             QStringList{QStringLiteral("客户编码")});
}

void TestPrinting::stretchGrowsTheRowAndMovesWhatFollows()
{
    const ReportTemplate t = stretchingList();
    const ReportBand& master = t.bands[0];
    const QImage device = referenceDevice();
    const TextMeasurer measurer(&device);
    MemoryDataSource source = namedCustomers(
        {QStringLiteral("李建国"), QStringLiteral("杭州市西湖区顺达电器维修服务有限公司一分公司")});
    ExpansionContext c;
    c.source = &source;
    // A short name fits: the band is as designed.
    source.seek(0);
    BandLayout fits = layoutBand(master, c, &measurer);
    QCOMPARE(fits.height, 12.0);
    QVERIFY(fits.geometries.isEmpty());
    // A long one wraps: its box grows, the code beside it as much, the line and the second line move down.
    source.seek(1);
    const BandLayout grown = layoutBand(master, c, &measurer);
    QCOMPARE(grown.geometries.size(), 4);
    const double growth = grown.geometries[0].height() - 6;
    const double needed =
        measurer.wrappedHeight(master.objects[0], source.value(QStringLiteral("客户名称")).toString(), 30);
    QVERIFY2(growth > 3, qPrintable(QString::number(growth)));
    QCOMPARE(grown.geometries[0].height(), needed);
    QCOMPARE(grown.geometries[1], QRectF(30, 0, 20, 6 + growth));
    QCOMPARE(grown.geometries[2], QRectF(0, 6 + growth, 100, 0));
    QCOMPARE(grown.geometries[3], QRectF(0, 6 + growth, 50, 6));
    QCOMPARE(grown.height, 12 + growth);
    // Without a measurer (the designer) nothing grows.
    QVERIFY(layoutBand(master, c, nullptr).geometries.isEmpty());

    // Printed: the whole name, the second line below it, nothing over anything.
    const QString pdf = m_dir.filePath(QStringLiteral("伸展.pdf"));
    QString error;
    QVERIFY2(exportPdf(t, source, pdf, &error), qPrintable(error));
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 1);
    QVERIFY2(collapse(pages[0]).contains(QStringLiteral("第二行C2")), qPrintable(pages[0]));
    const QString name = source.value(QStringLiteral("客户名称")).toString();
    QCOMPARE(only(pages[0], name), name);
    const QList<zu::test::PdfPage> words = pdfWords(pdf);
    QCOMPARE(words.size(), 1);
    verifyNoTextRunsOver(words[0], QStringLiteral("stretch"));
}

void TestPrinting::stretchedRowsBreakPages()
{
    const ReportTemplate t = stretchingList();
    const QImage device = referenceDevice();
    const TextMeasurer measurer(&device);
    const QString longName = QStringLiteral("杭州市西湖区顺达电器维修服务有限公司一分公司");
    const double row = 12 + measurer.wrappedHeight(t.bands[0].objects[0], longName, 30) - 6;
    // Ten long rows: as many to a page as fit in 100 mm, the summary kept with the last rows.
    MemoryDataSource source = namedCustomers(QStringList(10, longName));
    ReportRenderer renderer(t, source);
    const ReportPlan plan = renderer.plan();
    const int perPage = int(100 / row);
    QVERIFY2(perPage < 10, qPrintable(QString::number(row)));
    QVERIFY(plan.pageCount() >= 2);
    QCOMPARE(plan.pages[0].size(), perPage);
    double y = 0;
    for (const PlacedBand& b : plan.pages[0]) {
        QCOMPARE(b.origin.y(), y);
        QCOMPARE(b.height, row);
        y += row;
    }
    int placed = 0;
    for (const QList<PlacedBand>& page : plan.pages) {
        for (const PlacedBand& b : page) {
            placed += b.record >= 0 ? 1 : 0;
            QVERIFY(b.origin.y() + b.height <= 100 + 1e-6);
        }
    }
    QCOMPARE(placed, 10);
    QCOMPARE(plan.pages.last().last().band->type, ReportBand::Type::Summary);
    QVERIFY(plan.pages.last().size() >= 2); // the summary is not alone
    // The PDF has as many pages, and every name is printed whole.
    const QString pdf = m_dir.filePath(QStringLiteral("伸展分页.pdf"));
    QString error;
    QVERIFY2(exportPdf(t, source, pdf, &error), qPrintable(error));
    const QList<zu::test::PdfPage> pages = pdfWords(pdf);
    QCOMPARE(pages.size(), plan.pageCount());
    for (int p = 0; p < pages.size(); ++p)
        verifyNoTextRunsOver(pages[p], QStringLiteral("page %1").arg(p + 1));
}

void TestPrinting::bandsThatDoNotStretchKeepTheirSize()
{
    ReportTemplate t = stretchingList();
    t.bands[0].stretch = false;
    MemoryDataSource source =
        namedCustomers(QStringList(10, QStringLiteral("杭州市西湖区顺达电器维修服务有限公司一分公司")));
    ReportRenderer renderer(t, source);
    const ReportPlan plan = renderer.plan();
    QCOMPARE(plan.pageCount(), 2); // 8 rows of 12 mm, then 2 and the summary
    QCOMPARE(plan.pages[0].size(), 8);
    for (const PlacedBand& b : plan.pages[0])
        QCOMPARE(b.height, 12.0);
}

void TestPrinting::shrinkToFit()
{
    const QImage device = referenceDevice();
    const TextMeasurer measurer(&device);
    ReportObject o = textObject({0, 0, 40, 6}, QString());
    o.fontSize = 12;
    o.shrinkToFit = true;
    // What fits keeps its size.
    QCOMPARE(measurer.fittingSize(o, QStringLiteral("李建国"), {40, 6}), 12.0);
    // A long name on one line gets smaller until it fits in the width.
    const QString name = QStringLiteral("杭州市西湖区顺达电器维修有限公司");
    const double single = measurer.fittingSize(o, name, {40, 6});
    QVERIFY2(single < 12 && single > kSmallestFontSize, qPrintable(QString::number(single)));
    ReportObject fitted = o;
    fitted.fontSize = single;
    QCOMPARE(measurer.fittingSize(fitted, name, {40, 6}), single);
    fitted.fontSize = single + 0.3;
    QVERIFY(measurer.fittingSize(fitted, name, {40, 6}) < single + 0.3);
    // Wrapping lets it stay larger.
    o.wordWrap = true;
    const double wrapped = measurer.fittingSize(o, name, {40, 12});
    QVERIFY2(wrapped > single, qPrintable(QStringLiteral("%1 %2").arg(wrapped).arg(single)));
    // Never below the smallest size, however long.
    QCOMPARE(measurer.fittingSize(o, name.repeated(40), {40, 12}), kSmallestFontSize);

    // Printed in a label of 40 x 6 mm beside another, it stays inside its box.
    ReportTemplate t;
    t.page = squarePage();
    ReportObject label = textObject({0, 0, 40, 6}, f("客户名称"));
    label.fontSize = 12;
    label.shrinkToFit = true;
    t.bands << makeBand(ReportBand::Type::MasterData, 8,
                        {label, textObject({40, 0, 40, 6}, QStringLiteral("右边的字"))});
    MemoryDataSource source = namedCustomers({name});
    const QString pdf = m_dir.filePath(QStringLiteral("缩小.pdf"));
    QString error;
    QVERIFY2(exportPdf(t, source, pdf, &error), qPrintable(error));
    const QList<zu::test::PdfPage> pages = pdfWords(pdf);
    QCOMPARE(pages.size(), 1);
    verifyNoTextRunsOver(pages[0], QStringLiteral("shrink"));
    QCOMPARE(only(pdfPages(pdf).value(0), name), name);
    // Without shrinking the same text runs over its neighbour: the check above would see it.
    t.bands[0].objects[0].shrinkToFit = false;
    QVERIFY2(exportPdf(t, source, pdf, &error), qPrintable(error));
    const QList<zu::test::PdfPage> cut = pdfWords(pdf);
    bool over = false;
    for (const auto& a : cut.value(0).words) {
        for (const auto& b : cut.value(0).words)
            over = over || (&a != &b && a.box.intersected(b.box).width() > 1 &&
                            a.box.intersected(b.box).height() > 1);
    }
    QVERIFY(over);
}

void TestPrinting::groupsWithCountsAndSums()
{
    ReportTemplate t;
    t.page = ReportPage();
    ReportBand header = makeBand(ReportBand::Type::GroupHeader, 8,
                                 {textObject({0, 0, 100, 8}, QStringLiteral("类别：") + f("客户类别"))});
    header.condition = f("客户类别");
    ReportObject sum = textObject(
        {60, 0, 60, 8}, QStringLiteral("金额 [SUM(客户记录.\"总金额\")] 收款 [SUM(客户记录.\"实际收款\")]"));
    sum.numberFormat = QStringLiteral("#,##0.00");
    ReportObject total = sum;
    total.text = QStringLiteral("总计 [SUM(客户记录.\"总金额\")] 共 [COUNT()] 位 [记录数]");
    t.bands << makeBand(ReportBand::Type::ReportTitle, 8,
                        {textObject({0, 0, 100, 8}, QStringLiteral("标题 [SUM(客户记录.\"总金额\")]"))})
            << header
            << makeBand(ReportBand::Type::MasterData, 6,
                        {textObject({0, 0, 100, 6}, QStringLiteral("行 [行号] ") + f("客户名称"))})
            << makeBand(ReportBand::Type::GroupFooter, 8,
                        {textObject({0, 0, 60, 8}, QStringLiteral("小计 [COUNT()] 位")), sum})
            << makeBand(ReportBand::Type::Summary, 8, {total});
    const QStringList fields = {QStringLiteral("客户名称"), QStringLiteral("客户类别"),
                                QStringLiteral("总金额"), QStringLiteral("实际收款")};
    // Out of order on purpose: the groups come together; one amount is missing, one a whole number.
    MemoryDataSource source(kCust, fields,
                            {{QStringLiteral("甲"), QStringLiteral("柜式"), 5699.0, 5000.0},
                             {QStringLiteral("乙"), QStringLiteral("冰箱"), 1899.5, 1899.5},
                             {QStringLiteral("丙"), QStringLiteral("柜式"), 4000.25, QVariant()},
                             {QStringLiteral("丁"), QStringLiteral("壁挂式"), 2999, 2999.0},
                             {QStringLiteral("戊"), QStringLiteral("冰箱"), 100.0, 100.0}},
                            0);
    const QString pdf = m_dir.filePath(QStringLiteral("分组.pdf"));
    QString error;
    QVERIFY2(exportPdf(t, source, pdf, &error), qPrintable(error));
    const QString text = collapse(pdfPages(pdf).join(QString()));
    const QString expected =
        collapse(QStringLiteral("标题 14697.75"
                                "类别：冰箱 行 1 乙 行 2 戊 小计 2 位 金额 1,999.50 收款 1,999.50"
                                "类别：壁挂式 行 3 丁 小计 1 位 金额 2,999.00 收款 2,999.00"
                                "类别：柜式 行 4 甲 行 5 丙 小计 2 位 金额 9,699.25 收款 5,000.00"
                                "总计 14,697.75 共 5 位 5"));
    QVERIFY2(text == expected, qPrintable(text + QStringLiteral("\n") + expected));
    // Without a condition there are no groups: the footer is not printed and the order stays.
    t.bands[1].condition.clear();
    QVERIFY2(exportPdf(t, source, pdf, &error), qPrintable(error));
    const QString plain = collapse(pdfPages(pdf).join(QString()));
    QVERIFY2(plain.contains(QStringLiteral("行1甲行2乙行3丙")), qPrintable(plain));
    QVERIFY(!plain.contains(QStringLiteral("小计")));
}

void TestPrinting::groupHeaderAndFooterStayWithTheirRows()
{
    ReportTemplate t;
    t.page = squarePage();
    t.bands << makeBand(ReportBand::Type::GroupHeader, 10) << makeBand(ReportBand::Type::MasterData, 10)
            << makeBand(ReportBand::Type::GroupFooter, 10);
    // Groups of 4 and 6 records. Page 1: header, 4 rows, footer = 60 mm; the second header (10)
    // and its first row (10) fit in the 40 mm left, and rows up to 9 at 90 mm, but the footer
    // would be alone on page 2: the group's last row goes with it.
    PlanInput input;
    input.recordCount = 10;
    input.groupStarts = {0, 4};
    const ReportPlan plan = planReport(t, input);
    QCOMPARE(plan.pageCount(), 2);
    auto types = [](const QList<PlacedBand>& page) {
        QString s;
        for (const PlacedBand& b : page)
            s += b.band->type == ReportBand::Type::GroupHeader   ? u'H'
                 : b.band->type == ReportBand::Type::GroupFooter ? u'F'
                                                                 : u'r';
        return s;
    };
    QCOMPARE(types(plan.pages[0]), QStringLiteral("HrrrrFHrrr"));
    QCOMPARE(types(plan.pages[1]), QStringLiteral("rrrF"));
    // A header never ends a page: with groups of 8 and 2, the second header would be the last
    // band of page 1 (at 90 mm); it goes to page 2 with its first row.
    input.groupStarts = {0, 8};
    const ReportPlan second = planReport(t, input);
    QCOMPARE(types(second.pages[0]), QStringLiteral("HrrrrrrrrF"));
    QCOMPARE(types(second.pages[1]), QStringLiteral("HrrF"));
    QCOMPARE(second.pages[1][0].group, 1);
}

void TestPrinting::printSequence_data()
{
    QTest::addColumn<QString>("ranges");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<bool>("reverse");
    QTest::addColumn<QList<int>>("pages");
    QTest::newRow("all") << QString() << 1 << true << false << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("2 to 3") << QStringLiteral("2-3") << 1 << true << false << QList<int>{1, 2};
    QTest::newRow("two copies collated")
        << QStringLiteral("2-3") << 2 << true << false << QList<int>{1, 2, 1, 2};
    QTest::newRow("two copies apart")
        << QStringLiteral("2-3") << 2 << false << false << QList<int>{1, 1, 2, 2};
    QTest::newRow("last first") << QStringLiteral("1,4-5") << 1 << true << true << QList<int>{4, 3, 0};
    QTest::newRow("past the end") << QStringLiteral("4-9") << 1 << true << false << QList<int>{3, 4};
    QTest::newRow("none of them") << QStringLiteral("7-9") << 3 << true << false << QList<int>{};
}

void TestPrinting::printSequence()
{
    QFETCH(QString, ranges);
    QFETCH(int, copies);
    QFETCH(bool, collate);
    QFETCH(bool, reverse);
    QFETCH(QList<int>, pages);
    QCOMPARE(zu::printSequence(5, QPageRanges::fromString(ranges), copies, collate, reverse), pages);
}

void TestPrinting::printerPageRangeAndCopies_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<QList<int>>("printed"); // page numbers as the footer shows them
    QTest::newRow("2 to 3 of 5") << 2 << 3 << 1 << true << QList<int>{2, 3};
    QTest::newRow("2 copies collated") << 2 << 3 << 2 << true << QList<int>{2, 3, 2, 3};
    QTest::newRow("2 copies uncollated") << 4 << 5 << 2 << false << QList<int>{4, 4, 5, 5};
    QTest::newRow("all, 2 copies") << 0 << 0 << 2 << true << QList<int>{1, 2, 3, 4, 5, 1, 2, 3, 4, 5};
}

void TestPrinting::printerPageRangeAndCopies()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, copies);
    QFETCH(bool, collate);
    QFETCH(QList<int>, printed);
    ReportTemplate t;
    t.page = squarePage();
    t.bands << makeBand(ReportBand::Type::MasterData, 50, {textObject({0, 0, 100, 10}, f("客户名称"))})
            << makeBand(ReportBand::Type::PageFooter, 10,
                        {textObject({0, 0, 100, 10}, QStringLiteral("第[页码]页/[总页数]"))});
    MemoryDataSource source =
        namedCustomers({QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"),
                        QStringLiteral("四"), QStringLiteral("五")});
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = m_dir.filePath(QStringLiteral("范围.pdf"));
    printer.setOutputFileName(pdf);
    if (from > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(from, to);
    }
    printer.setCopyCount(copies);
    printer.setCollateCopies(collate);
    QVERIFY(!printer.supportsMultipleCopies()); // a PDF file gets its copies from us
    ReportRenderer renderer(t, source);
    QString error;
    QVERIFY2(renderer.render(printer, &error), qPrintable(error));
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), printed.size());
    for (int i = 0; i < pages.size(); ++i)
        QVERIFY2(collapse(pages[i]).contains(QStringLiteral("第%1页/5").arg(printed[i])),
                 qPrintable(pages[i]));
}

void TestPrinting::rangeWithoutPages()
{
    ReportTemplate t;
    t.page = squarePage();
    t.bands << makeBand(ReportBand::Type::MasterData, 10, {textObject({0, 0, 100, 10}, f("客户名称"))});
    MemoryDataSource source = namedCustomers({QStringLiteral("一")});
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_dir.filePath(QStringLiteral("无页.pdf")));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    ReportRenderer renderer(t, source);
    QString error;
    QVERIFY(!renderer.render(printer, &error));
    QCOMPARE(error, QStringLiteral("所选页码范围内没有可打印的页（报表共 1 页）"));
}

void TestPrinting::qrCodeDecodesFromThePrintedPage()
{
    ReportTemplate work;
    QString error;
    QVERIFY2(parseTemplate(shippedTemplate(QStringLiteral("客户销售记录派工单.fr3")), &work, &error),
             qPrintable(error));
    MemoryDataSource source = sampleCustomers(5, 2);
    const QString pdf = m_dir.filePath(QStringLiteral("派工单二维码.pdf"));
    QVERIFY2(exportPdf(work, source, pdf, &error), qPrintable(error));
    const QString png = rasterize(pdf, 200);
    QVERIFY(QFile::exists(png));
    // The customer code and the record number of the customer printed (the third).
    QCOMPARE(runTool(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), png}),
             QStringLiteral("C003 #3"));

    // A code of a text with Chinese characters and fields of its own.
    ReportTemplate t;
    t.page = squarePage();
    ReportObject qr;
    qr.kind = ReportObject::Kind::QrCode;
    qr.geometry = QRectF(10, 10, 40, 40);
    qr.text = QStringLiteral("编码:") + f("客户编码");
    t.bands << makeBand(ReportBand::Type::MasterData, 60, {qr});
    MemoryDataSource one = namedCustomers({QStringLiteral("李建国")});
    const QString own = m_dir.filePath(QStringLiteral("二维码.pdf"));
    QVERIFY2(exportPdf(t, one, own, &error), qPrintable(error));
    QCOMPARE(runTool(QStringLiteral("zbarimg"),
                     {QStringLiteral("--raw"), QStringLiteral("-q"), rasterize(own, 150)}),
             QStringLiteral("编码:C1"));
}

void TestPrinting::qrCodeOfNothing()
{
    QString error;
    QVERIFY(encodeQrCode(QString(), &error).isNull());
    QVERIFY(!error.isEmpty());
    const QrCode code = encodeQrCode(QStringLiteral("C003 #3"));
    QVERIFY(!code.isNull());
    // A version 1 code (21 modules) with a quiet zone of 4 modules on each side.
    for (const QRectF& m : code.modules)
        QVERIFY(QRectF(0, 0, code.size, code.size).contains(m));
    // Longer than a QR code holds.
    QVERIFY(encodeQrCode(QString(8000, u'9'), &error).isNull());
    QVERIFY(error.startsWith(QStringLiteral("无法生成二维码")));
}

void TestPrinting::pictureKeptWithTheTemplate()
{
    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(QColor(200, 0, 0));
    QByteArray png;
    QBuffer buffer(&png);
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    QVERIFY(logo.save(&buffer, "PNG"));
    ReportTemplate t;
    t.page = squarePage();
    ReportObject picture;
    picture.kind = ReportObject::Kind::Picture;
    picture.geometry = QRectF(0, 0, 40, 40); // twice as high as the picture wants: centred
    picture.picture = png;
    t.bands << makeBand(ReportBand::Type::ReportTitle, 40, {picture});
    // Kept in the file itself.
    const QString file = m_dir.filePath(QStringLiteral("徽标.fr3"));
    QString error;
    QVERIFY2(saveTemplate(t, file, &error), qPrintable(error));
    ReportTemplate loaded;
    QVERIFY2(loadTemplate(file, &loaded, &error), qPrintable(error));
    QCOMPARE(loaded, t);
    QCOMPARE(loaded.bands[0].objects[0].picture, png);
    // A picture whose data is spoilt is an error naming the file.
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QByteArray content = f.readAll();
    f.close();
    content.replace(png.toBase64().left(12), "!!!!@@@@####");
    QVERIFY(!parseTemplate(content, &loaded, &error));
    QVERIFY2(error.contains(QStringLiteral("图片数据已损坏")), qPrintable(error));

    // Printed where it stands, its proportions kept: red in the middle, white above and below.
    MemoryDataSource none = namedCustomers({});
    const QString pdf = m_dir.filePath(QStringLiteral("徽标.pdf"));
    QVERIFY2(exportPdf(t, none, pdf, &error), qPrintable(error));
    const QImage page(rasterize(pdf, 50)); // 120 mm: 236 pixels
    QVERIFY(!page.isNull());
    const double px = 50 / 25.4;
    auto at = [&](double x, double y) { return page.pixelColor(int(x * px), int(y * px)); };
    QVERIFY2(at(30, 30).red() > 150 && at(30, 30).green() < 80, qPrintable(at(30, 30).name()));
    QCOMPARE(at(30, 15).name(), QStringLiteral("#ffffff")); // above the picture, inside the object
    QCOMPARE(at(30, 45).name(), QStringLiteral("#ffffff"));
}

void TestPrinting::objectsForTheClipboard()
{
    ReportObject text = textObject({1, 2, 30, 6}, QStringLiteral("[客户记录.\"客户名称\"] & <收>"));
    text.wordWrap = text.shrinkToFit = true;
    ReportObject qr;
    qr.kind = ReportObject::Kind::QrCode;
    qr.geometry = QRectF(40, 0, 20, 20);
    qr.text = f("客户编码");
    ReportObject line;
    line.kind = ReportObject::Kind::Line;
    line.geometry = QRectF(0, 10, 100, 0);
    const QList<ReportObject> objects = {text, qr, line};
    QList<ReportObject> read;
    QString error;
    QVERIFY2(parseObjects(serializeObjects(objects), &read, &error), qPrintable(error));
    QCOMPARE(read, objects);
    // Not ours, or spoilt: said, nothing read.
    read.clear();
    QVERIFY(!parseObjects("<report/>", &read, &error));
    QVERIFY2(error.contains(QStringLiteral("<objects>")), qPrintable(error));
    QVERIFY(!parseObjects("<objects><circle/></objects>", &read, &error));
    QVERIFY2(error.contains(QStringLiteral("<circle>")), qPrintable(error));
    QVERIFY(read.isEmpty());
}

void TestPrinting::longValuesPrintWhole_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("pages");
    QTest::newRow("detail") << QStringLiteral("当前客户详细报表.fr3") << 5 << 1;
    QTest::newRow("list") << QStringLiteral("客户列表.fr3") << 5 << 1;
    QTest::newRow("envelope") << QStringLiteral("当前用户信封打印.fr3") << 5 << 1;
    QTest::newRow("labels") << QStringLiteral("信封标签打印.fr3") << 5 << 1;
    QTest::newRow("work order") << QStringLiteral("客户销售记录派工单.fr3") << 5 << 1;
}

void TestPrinting::longValuesPrintWhole()
{
    QFETCH(QString, file);
    QFETCH(int, records);
    QFETCH(int, pages);
    ReportTemplate t;
    QString error;
    QVERIFY2(parseTemplate(shippedTemplate(file), &t, &error), qPrintable(error));
    ReportEnvironment env;
    env.company = {QStringLiteral("顺达电器"),
                   QStringLiteral("赵经理"),
                   QStringLiteral("解放路8号"),
                   QStringLiteral("0571-88886666"),
                   {},
                   {}};
    MemoryDataSource source = sampleCustomers(
        records, 2, {{QStringLiteral("客户名称"), kLongName}, {QStringLiteral("客户地址"), kLongAddress}});
    // ZU_REPORT_SAMPLES names a folder that keeps the PDFs (scripts/report-pages.sh makes pictures of them).
    const QString samples = qEnvironmentVariable("ZU_REPORT_SAMPLES");
    const QDir folder(samples.isEmpty() ? m_dir.path() : samples);
    const QString pdf = folder.filePath(QFileInfo(file).completeBaseName() + QStringLiteral(".pdf"));
    QVERIFY2(exportPdf(t, source, pdf, &error, env), qPrintable(error));
    const QStringList text = pdfPages(pdf);
    QCOMPARE(text.size(), pages);
    const QString all = text.join(QString());
    QCOMPARE(only(all, kLongName), kLongName);
    QCOMPARE(only(all, kLongAddress), kLongAddress);
    const QList<zu::test::PdfPage> words = pdfWords(pdf);
    QCOMPARE(words.size(), pages);
    for (int p = 0; p < words.size(); ++p)
        verifyNoTextRunsOver(words[p], QStringLiteral("%1 page %2").arg(file).arg(p + 1));
}

void TestPrinting::shippedTemplatesInstalledWithoutOverwriting()
{
    const QStringList names = shippedTemplateNames();
    QCOMPARE(names.size(), 5);
    const QDir source(QStringLiteral(ZU_REPORTS_DIR));
    for (const QString& name : names) {
        QFile f(source.filePath(name));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(shippedTemplate(name), f.readAll());
        ReportTemplate t;
        QString error;
        QVERIFY2(parseTemplate(shippedTemplate(name), &t, &error), qPrintable(name + error));
    }
    QVERIFY(shippedTemplate(QStringLiteral("没有这个.fr3")).isEmpty());

    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral("Reports"));
    QStringList written;
    QString error;
    QVERIFY2(installShippedTemplates(folder, &written, &error), qPrintable(error));
    QCOMPARE(written, names);
    // The user's own template and a deleted one: only the missing one comes back.
    const QString list = QDir(folder).filePath(QStringLiteral("客户列表.fr3"));
    QFile own(list);
    QVERIFY(own.open(QIODevice::WriteOnly | QIODevice::Truncate));
    own.write("<report version=\"1\" name=\"我的列表\"/>");
    own.close();
    QVERIFY(QFile::remove(QDir(folder).filePath(QStringLiteral("信封标签打印.fr3"))));
    written.clear();
    QVERIFY2(installShippedTemplates(folder, &written, &error), qPrintable(error));
    QCOMPARE(written, QStringList{QStringLiteral("信封标签打印.fr3")});
    QVERIFY(own.open(QIODevice::ReadOnly));
    QCOMPARE(own.readAll(), QByteArray("<report version=\"1\" name=\"我的列表\"/>"));
    // A file where the folder should be: said, naming it.
    const QString blocked = home.filePath(QStringLiteral("占用"));
    QFile block(blocked);
    QVERIFY(block.open(QIODevice::WriteOnly));
    block.close();
    QVERIFY(!installShippedTemplates(blocked, &written, &error));
    QVERIFY2(error.contains(QStringLiteral("占用")), qPrintable(error));
    // A full disk: the template not written is named, and none is left half written.
    QVERIFY(QFile::remove(list));
    written.clear();
    bool installed = true;
    {
        const zu::test::FileSizeLimit full(64);
        QVERIFY(full.isSet());
        installed = installShippedTemplates(folder, &written, &error);
    }
    QVERIFY(!installed);
    QVERIFY(written.isEmpty());
    QCOMPARE(error, QStringLiteral("无法写入报表模板 %1：文件没有写完整，磁盘可能已满")
                        .arg(QDir::toNativeSeparators(list)));
    QVERIFY(!QFile::exists(list));
}

// A disk that fills while a template is saved leaves the one saved before, and says why.
void TestPrinting::fullDiskKeepsTheSavedTemplate()
{
    QTemporaryDir home;
    const QString file = home.filePath(QStringLiteral("客户列表.fr3"));
    ReportTemplate t;
    t.name = QStringLiteral("第一版");
    t.bands << makeBand(ReportBand::Type::MasterData, 10);
    QString error;
    QVERIFY2(saveTemplate(t, file, &error), qPrintable(error));
    t.name = QStringLiteral("第二版");
    bool saved = true;
    {
        const zu::test::FileSizeLimit full(64);
        QVERIFY(full.isSet());
        saved = saveTemplate(t, file, &error);
    }
    QVERIFY(!saved);
    QCOMPARE(error, QStringLiteral("无法保存报表模板文件 %1：文件没有写完整，磁盘可能已满")
                        .arg(QDir::toNativeSeparators(file)));
    ReportTemplate kept;
    QVERIFY2(loadTemplate(file, &kept, &error), qPrintable(error));
    QCOMPARE(kept.name, QStringLiteral("第一版"));
    QCOMPARE(QDir(home.path()).entryList(QDir::Files), QStringList{QStringLiteral("客户列表.fr3")});
}

void TestPrinting::savingKeepsTheEarlierVersion()
{
    QTemporaryDir home;
    const QString file = home.filePath(QStringLiteral("客户列表.fr3"));
    ReportTemplate first;
    first.name = QStringLiteral("第一版");
    first.bands << makeBand(ReportBand::Type::MasterData, 10);
    QString error;
    QVERIFY2(saveTemplate(first, file, &error), qPrintable(error));
    ReportDocument document;
    QVERIFY2(document.load(file, &error), qPrintable(error));
    document.report().name = QStringLiteral("第二版");
    const QDateTime now(QDate(2025, 2, 3), QTime(10, 15, 0));
    QVERIFY2(document.save(&error, now), qPrintable(error));
    const QDir backups(ReportDocument::backupFolder(file));
    QCOMPARE(backups.path(), home.filePath(QStringLiteral("备份")));
    QCOMPARE(backups.entryList(QDir::Files), QStringList{QStringLiteral("客户列表-20250203-101500.fr3")});
    ReportTemplate kept;
    QVERIFY(loadTemplate(backups.filePath(QStringLiteral("客户列表-20250203-101500.fr3")), &kept, &error));
    QCOMPARE(kept.name, QStringLiteral("第一版"));
    ReportTemplate saved;
    QVERIFY(loadTemplate(file, &saved, &error));
    QCOMPARE(saved.name, QStringLiteral("第二版"));
    // Twice in one second: both earlier versions are kept.
    document.report().name = QStringLiteral("第三版");
    QVERIFY2(document.save(&error, now), qPrintable(error));
    QVERIFY(loadTemplate(backups.filePath(QStringLiteral("客户列表-20250203-101500-2.fr3")), &kept, &error));
    QCOMPARE(kept.name, QStringLiteral("第二版"));
    // The newest ones stay; another template's backups are not counted.
    QFile other(backups.filePath(QStringLiteral("客户列表-旧-20200101-000000.fr3")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();
    for (int i = 0; i < kTemplateBackupsKept; ++i)
        QVERIFY2(document.save(&error, now.addDays(1).addSecs(i)), qPrintable(error));
    QStringList left = backups.entryList(QDir::Files, QDir::Name);
    QCOMPARE(left.size(), kTemplateBackupsKept + 1);
    QVERIFY(left.contains(QStringLiteral("客户列表-旧-20200101-000000.fr3")));
    QVERIFY(!left.contains(QStringLiteral("客户列表-20250203-101500.fr3")));
    QVERIFY(left.contains(QStringLiteral("客户列表-20250204-101519.fr3")));
    // When no backup can be kept, nothing is written.
    QVERIFY(QDir(backups).removeRecursively());
    QFile blocker(backups.path());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    document.report().name = QStringLiteral("第四版");
    QVERIFY(!document.save(&error, now));
    QVERIFY2(error.contains(QStringLiteral("备份")), qPrintable(error));
    QVERIFY(loadTemplate(file, &saved, &error));
    QCOMPARE(saved.name, QStringLiteral("第三版"));
}

// A text in boxes (a postcode): one character in each box, in order; what does not fit is left
// out, boxes without a character stay empty.
void TestPrinting::oneCharacterInEachBox()
{
    ReportTemplate t;
    t.page = squarePage();
    ReportObject boxes = textObject({0, 0, 60, 8}, f("客户编码"));
    boxes.cells = 6;
    t.bands << makeBand(ReportBand::Type::MasterData, 8, {boxes});
    const QString digits = QStringLiteral("0123456789");
    for (const auto& [code, printed] : {std::pair{QStringLiteral("310002"), QStringLiteral("310002")},
                                        std::pair{QStringLiteral("3100027"), QStringLiteral("310002")},
                                        std::pair{QStringLiteral("31"), QStringLiteral("31")}}) {
        MemoryDataSource source(kCust, {QStringLiteral("客户名称"), QStringLiteral("客户编码")},
                                {{QStringLiteral("甲"), code}}, 0);
        const QString pdf = m_dir.filePath(QStringLiteral("方格%1.pdf").arg(code));
        QString error;
        QVERIFY2(exportPdf(t, source, pdf, &error), qPrintable(error));
        const QList<zu::test::PdfPage> pages = pdfWords(pdf);
        QCOMPARE(pages.size(), 1);
        QString shown;
        for (const zu::test::PdfWord& word : pages[0].words) {
            QCOMPARE(word.text.size(), 1);
            // Each in the middle of its box of 10 mm, from the left margin of 10 mm.
            const double box = (word.box.center().x() / 72 * 25.4 - 10) / 10;
            QVERIFY2(std::abs(box - (shown.size() + 0.5)) < 0.2, qPrintable(QString::number(box)));
            shown += word.text;
        }
        QCOMPARE(only(shown, digits), printed);
    }
}

// A frame draws the sides it has and no other: all four, two that meet at each corner, two across.
void TestPrinting::framesDrawOnlyTheirSides()
{
    struct Sides
    {
        bool left, top, right, bottom;
    };
    for (const Sides& sides : {Sides{true, true, true, true}, Sides{true, false, false, true},
                               Sides{false, true, true, false}, Sides{true, true, false, false},
                               Sides{false, false, true, true}, Sides{true, false, true, false}}) {
        ReportTemplate t;
        t.page = squarePage();
        ReportObject box = textObject({20, 20, 40, 20}, QString());
        box.frame.left = sides.left;
        box.frame.top = sides.top;
        box.frame.right = sides.right;
        box.frame.bottom = sides.bottom;
        box.frame.width = 0.5;
        t.bands << makeBand(ReportBand::Type::MasterData, 50, {box});
        MemoryDataSource source = namedCustomers({QStringLiteral("甲")});
        const QString pdf = m_dir.filePath(QStringLiteral("边框%1%2%3%4.pdf")
                                               .arg(int(sides.left))
                                               .arg(int(sides.top))
                                               .arg(int(sides.right))
                                               .arg(int(sides.bottom)));
        QString error;
        QVERIFY2(exportPdf(t, source, pdf, &error), qPrintable(error));
        const QImage page(rasterize(pdf, 100));
        QVERIFY(!page.isNull());
        // Dark within a millimetre of the point (in mm from the sheet's corner).
        const auto inked = [&page](double xMm, double yMm) {
            const int x = qRound(xMm / 25.4 * 100);
            const int y = qRound(yMm / 25.4 * 100);
            for (int dy = -4; dy <= 4; ++dy)
                for (int dx = -4; dx <= 4; ++dx)
                    if (qGray(page.pixel(x + dx, y + dy)) < 128)
                        return true;
            return false;
        };
        // The box lies 10 mm of margin and 20 mm in: from (30, 30) to (70, 50).
        QCOMPARE(inked(30, 40), sides.left);
        QCOMPARE(inked(50, 30), sides.top);
        QCOMPARE(inked(70, 40), sides.right);
        QCOMPARE(inked(50, 50), sides.bottom);
        QVERIFY(!inked(50, 40)); // nothing inside
    }
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
