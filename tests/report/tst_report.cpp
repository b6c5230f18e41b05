#include "report/customerrecords.h"
#include "report/reportdatasource.h"
#include "report/reportdocument.h"
#include "report/reportenvironment.h"
#include "report/reportplan.h"
#include "report/reportrenderer.h"
#include "report/templatefile.h"
#include "report/textexpander.h"
#include "support/pdftext.h"
#include "support/testdatabase.h"
#include "templatebuilders.h"

#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace zu;
using zu::test::makeBand;
using zu::test::pdfPages;
using zu::test::sampleCustomers;
using zu::test::textObject;

namespace {

const QString kCust = QStringLiteral("客户记录");

QString f(const char* field)
{
    return QStringLiteral("[客户记录.\"%1\"]").arg(QString::fromUtf8(field));
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

// title 20, header 10, master 10, footer 10, summary 15 on a 100 mm high area.
ReportTemplate listTemplate()
{
    ReportTemplate t;
    t.name = QStringLiteral("测试列表");
    t.page = squarePage();
    t.bands << makeBand(ReportBand::Type::ReportTitle, 20,
                        {textObject({0, 0, 100, 10}, QStringLiteral("客户名单标题"))})
            << makeBand(ReportBand::Type::PageHeader, 10,
                        {textObject({0, 0, 100, 10}, QStringLiteral("表头栏目"))})
            << makeBand(ReportBand::Type::MasterData, 10,
                        {textObject({0, 0, 60, 10}, QStringLiteral("[行号]. ") + f("客户名称")),
                         textObject({60, 0, 40, 10}, f("客户编码"))})
            << makeBand(ReportBand::Type::PageFooter, 10,
                        {textObject({0, 0, 100, 10}, QStringLiteral("第 [页码] 页 共 [总页数] 页"))})
            << makeBand(ReportBand::Type::Summary, 15,
                        {textObject({0, 0, 100, 10}, QStringLiteral("共 [记录数] 位客户"))});
    return t;
}

MemoryDataSource customers(int count, int current = 0)
{
    QList<QVariantList> rows;
    for (int i = 1; i <= count; ++i)
        rows << QVariantList{QStringLiteral("客户%1号").arg(i),
                             QStringLiteral("C%1").arg(i, 3, 10, QChar(u'0'))};
    return MemoryDataSource(kCust, {QStringLiteral("客户名称"), QStringLiteral("客户编码")}, rows, current);
}

int countBands(const QList<PlacedBand>& page, ReportBand::Type type)
{
    int n = 0;
    for (const PlacedBand& b : page)
        n += b.band->type == type ? 1 : 0;
    return n;
}

QList<int> recordsOn(const QList<PlacedBand>& page)
{
    QList<int> records;
    for (const PlacedBand& b : page) {
        if (b.record >= 0)
            records << b.record;
    }
    return records;
}

// pdftotext drops the blanks between Chinese characters and digits: texts are compared without
// any white space.
QString collapse(QString s)
{
    s.remove(QRegularExpression(QStringLiteral("\\s+")));
    return s;
}

} // namespace

class TestReport final : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void fileRoundTrip();
    void savedFileIsReadableXml();
    void yesOrNoAttributes();
    void frameSides();
    void marginsLeaveRoomOnThePage();
    void loadMissingFile();
    void loadBadFile_data();
    void loadBadFile();
    void documentLoadReplacesAndFailureLeavesNothing();
    void documentSaveIsReadAgain();

    void expandText_data();
    void expandText();
    void formatNumber_data();
    void formatNumber();

    void pagination();
    void summaryKeepsTheLastRows();
    void emptySourceGivesOnePageWithoutRows();
    void labelColumns();
    void currentRecordOnly();

    void customerFieldTable();
    void customerRecordsOverDataSet_data();
    void customerRecordsOverDataSet();
    void companyInfoFromDatabase_data();
    void companyInfoFromDatabase();

    void pdfExportText();
    void pdfExportUnwritablePath();
    void shippedTemplates_data();
    void shippedTemplates();
    void twentyFiveLabelsOnTwoSheets();

private:
    QTemporaryDir m_dir;
};

void TestReport::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // ZU_KEEP_REPORT_OUTPUT=1 keeps the PDF files written here, to look at them.
    if (qEnvironmentVariableIsSet("ZU_KEEP_REPORT_OUTPUT")) {
        m_dir.setAutoRemove(false);
        qInfo("report output in %s", qPrintable(m_dir.path()));
    }
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QFAIL("pdftotext (poppler-utils) is needed");
}

void TestReport::fileRoundTrip()
{
    ReportTemplate t = listTemplate();
    t.page.orientation = QPageLayout::Landscape;
    t.page.leftMargin = 7.5;
    ReportBand& master = t.bands[2];
    master.records = ReportBand::Records::Current;
    master.columns = 3;
    master.columnGap = 4.5;
    master.rowGap = 1;
    ReportObject& o = master.objects[0];
    o.fontFamily = QStringLiteral("Noto Serif");
    o.fontSize = 12.5;
    o.bold = true;
    o.alignment = Qt::AlignRight | Qt::AlignBottom;
    o.wordWrap = true;
    o.cells = 6;
    o.numberFormat = QStringLiteral("¥#,##0.00元");
    o.dateFormat = QStringLiteral("yyyy年M月d日");
    o.frame.left = o.frame.bottom = true;
    o.frame.width = 0.8;
    o.text = QStringLiteral("<a & b> \"引号\" ") + f("客户名称");
    ReportObject line;
    line.kind = ReportObject::Kind::Line;
    line.geometry = QRectF(1, 2, 30, 0);
    line.lineWidth = 0.7;
    ReportObject box;
    box.kind = ReportObject::Kind::Rectangle;
    box.geometry = QRectF(3, 4, 8, 9);
    t.bands[0].objects << line << box;

    const QString path = m_dir.filePath(QStringLiteral("往返.fr3"));
    QString error;
    QVERIFY2(saveTemplate(t, path, &error), qPrintable(error));
    ReportTemplate back;
    QVERIFY2(loadTemplate(path, &back, &error), qPrintable(error));
    QCOMPARE(back.bands.size(), t.bands.size());
    QCOMPARE(back.bands[2].objects[0].text, o.text);
    QCOMPARE(back.bands[2].objects[0].alignment, o.alignment);
    QCOMPARE(back.bands[2].objects[0].frame, o.frame);
    QCOMPARE(back.page, t.page);
    QVERIFY(back == t);

    // Custom page sizes survive too.
    ReportTemplate custom = listTemplate();
    ReportTemplate customBack;
    QVERIFY(parseTemplate(serializeTemplate(custom), &customBack, &error));
    QCOMPARE(customBack.page.size, ReportPage::Size::Custom);
    QCOMPARE(customBack.page.customWidth, 120.0);
    QVERIFY(customBack == custom);
}

void TestReport::savedFileIsReadableXml()
{
    const QByteArray xml = serializeTemplate(listTemplate());
    const QString text = QString::fromUtf8(xml);
    QVERIFY(text.contains(QStringLiteral("<band type=\"masterData\"")));
    QVERIFY(text.contains(QStringLiteral("[客户记录.&quot;客户名称&quot;]")) ||
            text.contains(QStringLiteral("[客户记录.\"客户名称\"]")));
    QVERIFY(text.count(u'\n') > 10); // one element a line
}

// A yes-or-no attribute reads "true" and "1" as yes, "false" and "0" as no; anything else is an
// error in the file.
void TestReport::yesOrNoAttributes()
{
    ReportTemplate t = listTemplate();
    t.bands[2].objects[0].bold = true;
    const QByteArray xml = serializeTemplate(t);
    QCOMPARE(xml.count("bold=\"true\""), 1);
    for (const auto& [written, bold] :
         {std::pair{"true", true}, std::pair{"1", true}, std::pair{"false", false}, std::pair{"0", false}}) {
        QByteArray changed = xml;
        changed.replace("bold=\"true\"", QByteArray("bold=\"") + written + '"');
        ReportTemplate back;
        QString error;
        QVERIFY2(parseTemplate(changed, &back, &error), qPrintable(error));
        QCOMPARE(back.bands[2].objects[0].bold, bold);
    }
    QByteArray changed = xml;
    changed.replace("bold=\"true\"", "bold=\"yes\"");
    ReportTemplate back;
    QString error;
    QVERIFY(!parseTemplate(changed, &back, &error));
    QVERIFY2(error.contains(QStringLiteral("不是 true 或 false")), qPrintable(error));
}

// Each side of a frame is kept on its own, in every combination, and read as written in the
// file: "all", sides named with blanks between them, "none"; an unknown side is an error.
void TestReport::frameSides()
{
    ReportTemplate t = listTemplate();
    const auto readBack = [](const QByteArray& xml, QString* error) {
        ReportTemplate back;
        return parseTemplate(xml, &back, error) ? back.bands[2].objects[0].frame : ReportFrame{.width = -1};
    };
    QString error;
    for (int sides = 0; sides < 16; ++sides) {
        ReportFrame& f = t.bands[2].objects[0].frame;
        f.left = sides & 1;
        f.top = sides & 2;
        f.right = sides & 4;
        f.bottom = sides & 8;
        QCOMPARE(readBack(serializeTemplate(t), &error), f);
    }
    t.bands[2].objects[0].frame = ReportFrame{.right = true};
    const QByteArray xml = serializeTemplate(t);
    QCOMPARE(xml.count("frame=\"right\""), 1);
    const auto with = [&xml](const char* frame) {
        return QByteArray(xml).replace("frame=\"right\"", QByteArray("frame=\"") + frame + '"');
    };
    QCOMPARE(readBack(with("all"), &error),
             (ReportFrame{.left = true, .top = true, .right = true, .bottom = true}));
    QCOMPARE(readBack(with(" bottom , left "), &error), (ReportFrame{.left = true, .bottom = true}));
    QCOMPARE(readBack(with("top,none"), &error), (ReportFrame{.top = true}));
    QCOMPARE(readBack(with("middle"), &error).width, -1.0);
    QVERIFY2(error.contains(QStringLiteral("未知的边框 \"middle\"")), qPrintable(error));
}

// Margins that leave no room to print on are an error in the file; a millimetre of room is not.
void TestReport::marginsLeaveRoomOnThePage()
{
    for (const bool across : {true, false}) {
        for (const double room : {0.0, 1.0}) {
            ReportTemplate t = listTemplate();
            const QSizeF whole = t.page.printableSize() + QSizeF(t.page.leftMargin + t.page.rightMargin,
                                                                 t.page.topMargin + t.page.bottomMargin);
            if (across) {
                t.page.leftMargin = (whole.width() - room) / 2;
                t.page.rightMargin = (whole.width() - room) / 2;
            } else {
                t.page.topMargin = (whole.height() - room) / 2;
                t.page.bottomMargin = (whole.height() - room) / 2;
            }
            ReportTemplate back;
            QString error;
            QCOMPARE(parseTemplate(serializeTemplate(t), &back, &error), room > 0);
            if (room == 0)
                QVERIFY2(error.contains(QStringLiteral("页边距大于纸张")), qPrintable(error));
        }
    }
}

void TestReport::loadMissingFile()
{
    ReportTemplate t = listTemplate();
    const ReportTemplate before = t;
    const QString path = m_dir.filePath(QStringLiteral("不存在的模板.fr3"));
    QString error;
    QVERIFY(!loadTemplate(path, &t, &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QVERIFY(t == before);
    // A folder is not a template either.
    QVERIFY(!loadTemplate(m_dir.path(), &t, &error));
    QVERIFY(error.contains(QDir::toNativeSeparators(m_dir.path())));
}

void TestReport::loadBadFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("not xml") << QByteArray("报表") << QString();
    QTest::newRow("wrong root") << QByteArray("<page/>") << QStringLiteral("<report>");
    QTest::newRow("unclosed") << QByteArray("<report><band type=\"summary\" height=\"5\">") << QString();
    QTest::newRow("band type") << QByteArray("<report><band type=\"footer\" height=\"5\"/></report>")
                               << QStringLiteral("footer");
    QTest::newRow("twice") << QByteArray("<report><band type=\"summary\" height=\"5\"/>"
                                         "<band type=\"summary\" height=\"6\"/></report>")
                           << QStringLiteral("summary");
    QTest::newRow("number") << QByteArray("<report><band type=\"summary\" height=\"abc\"/></report>")
                            << QStringLiteral("abc");
    QTest::newRow("object") << QByteArray(
                                   "<report><band type=\"summary\" height=\"5\"><circle/></band></report>")
                            << QStringLiteral("circle");
    QTest::newRow("margins") << QByteArray("<report><page size=\"A5\" left=\"100\" right=\"100\"/></report>")
                             << QStringLiteral("页边距");
    QTest::newRow("newer") << QByteArray("<report version=\"9\"/>") << QStringLiteral("9");
}

void TestReport::loadBadFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    const QString path = m_dir.filePath(QStringLiteral("坏模板.fr3"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    ReportTemplate t = listTemplate();
    const ReportTemplate before = t;
    QString error;
    QVERIFY(!loadTemplate(path, &t, &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("第 ")), qPrintable(error));
    if (!expected.isEmpty())
        QVERIFY2(error.contains(expected), qPrintable(error));
    QVERIFY(t == before);
}

void TestReport::documentLoadReplacesAndFailureLeavesNothing()
{
    const QString a = m_dir.filePath(QStringLiteral("甲.fr3"));
    const QString b = m_dir.filePath(QStringLiteral("乙.fr3"));
    ReportTemplate ta = listTemplate();
    ta.name = QStringLiteral("甲");
    ReportTemplate tb;
    tb.name = QStringLiteral("乙");
    tb.bands << makeBand(ReportBand::Type::Summary, 5);
    QString error;
    QVERIFY(saveTemplate(ta, a, &error));
    QVERIFY(saveTemplate(tb, b, &error));

    ReportDocument doc;
    QVERIFY(doc.load(a, &error));
    QCOMPARE(doc.report().name, QStringLiteral("甲"));
    QCOMPARE(doc.report().bands.size(), 5);
    QVERIFY(doc.load(b, &error));
    QCOMPARE(doc.report().name, QStringLiteral("乙"));
    QCOMPARE(doc.report().bands.size(), 1); // nothing of 甲 is left
    QCOMPARE(doc.fileName(), b);

    QVERIFY(!doc.load(m_dir.filePath(QStringLiteral("丙.fr3")), &error));
    QVERIFY(error.contains(QStringLiteral("丙.fr3")));
    QVERIFY(!doc.isLoaded());
    QVERIFY(doc.report().isEmpty());
    QVERIFY(!doc.save(&error));
}

void TestReport::documentSaveIsReadAgain()
{
    const QString path = m_dir.filePath(QStringLiteral("改动.fr3"));
    QString error;
    QVERIFY(saveTemplate(listTemplate(), path, &error));
    ReportDocument doc;
    QVERIFY(doc.load(path, &error));
    doc.report().bands[0].objects[0].text = QStringLiteral("改过的标题");
    QVERIFY2(doc.save(&error), qPrintable(error));

    ReportDocument next;
    QVERIFY(next.load(path, &error));
    QCOMPARE(next.report().bands[0].objects[0].text, QStringLiteral("改过的标题"));
}

void TestReport::expandText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("numberFormat");
    QTest::addColumn<QString>("dateFormat");
    QTest::addColumn<QString>("expected");
    QTest::newRow("literal") << QStringLiteral("客户名单") << QString() << QString()
                             << QStringLiteral("客户名单");
    QTest::newRow("field in text") << QStringLiteral("尊敬的") + f("客户名称") + QStringLiteral("先生")
                                   << QString() << QString() << QStringLiteral("尊敬的张三先生");
    QTest::newRow("unquoted") << QStringLiteral("[客户记录.客户编码]/[客户记录.\"客户编码\"]") << QString()
                              << QString() << QStringLiteral("Z001/Z001");
    QTest::newRow("two fields") << f("客户编码") + QStringLiteral("-") + f("客户名称") << QString()
                                << QString() << QStringLiteral("Z001-张三");
    QTest::newRow("number raw") << f("总金额") << QString() << QString() << QStringLiteral("12345.5");
    QTest::newRow("number format") << QStringLiteral("金额：") + f("总金额") << QStringLiteral("#,##0.00")
                                   << QString() << QStringLiteral("金额：12,345.50");
    QTest::newRow("integer format") << f("数量") << QStringLiteral("0.0") << QString()
                                    << QStringLiteral("3.0");
    QTest::newRow("text ignores number format")
        << f("客户名称") << QStringLiteral("0.00") << QString() << QStringLiteral("张三");
    QTest::newRow("date default") << f("购买日期") << QString() << QString() << QStringLiteral("2024-03-05");
    QTest::newRow("date format") << f("购买日期") << QString() << QStringLiteral("yyyy年M月d日")
                                 << QStringLiteral("2024年3月5日");
    QTest::newRow("date time") << f("预约安装时间") << QString() << QString()
                               << QStringLiteral("2024-03-06 14:30");
    QTest::newRow("null") << QStringLiteral("<") + f("备注") + QStringLiteral(">") << QString() << QString()
                          << QStringLiteral("<>");
    QTest::newRow("unknown field") << QStringLiteral("[客户记录.\"无此字段\"]") << QString() << QString()
                                   << QStringLiteral("[客户记录.\"无此字段\"]");
    QTest::newRow("other data set") << QStringLiteral("[服务记录.\"客户名称\"]") << QString() << QString()
                                    << QStringLiteral("[服务记录.\"客户名称\"]");
    QTest::newRow("unclosed") << QStringLiteral("[客户记录.\"客户名称\"") << QString() << QString()
                              << QStringLiteral("[客户记录.\"客户名称\"");
    QTest::newRow("pages") << QStringLiteral("第 [页码] 页 共 [总页数] 页") << QString() << QString()
                           << QStringLiteral("第 2 页 共 7 页");
    QTest::newRow("record") << QStringLiteral("[行号]/[记录数]") << QString() << QString()
                            << QStringLiteral("4/9");
    QTest::newRow("date and time") << QStringLiteral("[日期] [时间]") << QString() << QString()
                                   << QStringLiteral("2025-01-02 08:09");
    QTest::newRow("company") << QStringLiteral(
                                    "[公司名称]|[联系人]|[公司地址]|[公司电话]|[公司传真]|[公司邮箱]")
                             << QString() << QString()
                             << QStringLiteral("好家电|王经理|长安街1号|010-1|010-2|a@b.cn");
}

void TestReport::expandText()
{
    QFETCH(QString, text);
    QFETCH(QString, numberFormat);
    QFETCH(QString, dateFormat);
    QFETCH(QString, expected);
    MemoryDataSource source(kCust,
                            {QStringLiteral("客户名称"), QStringLiteral("客户编码"), QStringLiteral("总金额"),
                             QStringLiteral("数量"), QStringLiteral("购买日期"),
                             QStringLiteral("预约安装时间"), QStringLiteral("备注")},
                            {{QStringLiteral("张三"), QStringLiteral("Z001"), 12345.5, 3,
                              QDateTime(QDate(2024, 3, 5), QTime(0, 0)),
                              QDateTime(QDate(2024, 3, 6), QTime(14, 30)), QVariant()}});
    source.first();
    ReportEnvironment env;
    env.company = {QStringLiteral("好家电"), QStringLiteral("王经理"), QStringLiteral("长安街1号"),
                   QStringLiteral("010-1"),  QStringLiteral("010-2"),  QStringLiteral("a@b.cn")};
    env.now = QDateTime(QDate(2025, 1, 2), QTime(8, 9));
    ExpansionContext c;
    c.environment = &env;
    c.source = &source;
    c.page = 2;
    c.pageCount = 7;
    c.recordNumber = 4;
    c.recordCount = 9;
    QCOMPARE(zu::expandText(text, c, numberFormat, dateFormat), expected);
}

void TestReport::formatNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two decimals") << 3.14159 << QStringLiteral("0.00") << QStringLiteral("3.14");
    QTest::newRow("rounding") << 2.675 << QStringLiteral("0.0") << QStringLiteral("2.7");
    QTest::newRow("whole") << 1234567.0 << QStringLiteral("0") << QStringLiteral("1234567");
    QTest::newRow("grouped") << 1234567.891 << QStringLiteral("#,##0.00") << QStringLiteral("1,234,567.89");
    QTest::newRow("negative") << -1500.0 << QStringLiteral("#,##0") << QStringLiteral("-1,500");
    QTest::newRow("prefix suffix") << 88.0 << QStringLiteral("¥0.00元") << QStringLiteral("¥88.00元");
    QTest::newRow("no pattern") << 2.5 << QStringLiteral("元") << QStringLiteral("2.5");
}

void TestReport::formatNumber()
{
    QFETCH(double, value);
    QFETCH(QString, format);
    QFETCH(QString, expected);
    QCOMPARE(zu::formatNumber(value, format), expected);
}

void TestReport::pagination()
{
    const ReportTemplate t = listTemplate();
    const ReportPlan plan = planReport(t, 20);
    // Page 1: 100 - 10 (footer) - 20 (title) - 10 (header) = 60 mm: 6 rows; later pages 80 mm: 8 rows;
    // the 6 rows of page 3 end at 70 mm, where the 15 mm summary still fits above the footer at 90.
    QCOMPARE(plan.pageCount(), 3);
    QCOMPARE(plan.recordCount, 20);
    const QList<int> expectedRows = {6, 8, 6};
    int next = 0;
    for (int p = 0; p < plan.pageCount(); ++p) {
        const QList<PlacedBand>& page = plan.pages[p];
        QCOMPARE(countBands(page, ReportBand::Type::PageHeader), 1);
        QCOMPARE(countBands(page, ReportBand::Type::PageFooter), 1);
        QCOMPARE(countBands(page, ReportBand::Type::ReportTitle), p == 0 ? 1 : 0);
        QCOMPARE(countBands(page, ReportBand::Type::Summary), p == 2 ? 1 : 0);
        const QList<int> records = recordsOn(page);
        QCOMPARE(records.size(), expectedRows[p]);
        for (int r : records)
            QCOMPARE(r, next++);
        for (const PlacedBand& b : page) {
            if (b.band->type == ReportBand::Type::PageFooter)
                QCOMPARE(b.origin.y(), 90.0);
            else
                QVERIFY2(b.origin.y() + b.height <= 90.0 + 1e-9, "band crosses the page footer");
            if (b.band->type == ReportBand::Type::PageHeader)
                QCOMPARE(b.origin.y(), p == 0 ? 20.0 : 0.0);
        }
    }
    QCOMPARE(next, 20);

    // The same through the renderer, with the page numbers printed in the footer.
    MemoryDataSource source = customers(20);
    const QString pdf = m_dir.filePath(QStringLiteral("分页.pdf"));
    QString error;
    QVERIFY2(exportPdf(t, source, pdf, &error), qPrintable(error));
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 3);
    for (int p = 0; p < 3; ++p) {
        QVERIFY2(collapse(pages[p]).contains(collapse(QStringLiteral("第 %1 页 共 3 页").arg(p + 1))),
                 qPrintable(pages[p]));
        QCOMPARE(pages[p].count(QStringLiteral("表头栏目")), 1);
        QCOMPARE(pages[p].count(QStringLiteral("客户名单标题")), p == 0 ? 1 : 0);
    }
    QVERIFY(pages[0].contains(QStringLiteral("6. 客户6号")));
    QVERIFY(!pages[0].contains(QStringLiteral("客户7号")));
    QVERIFY(pages[1].contains(QStringLiteral("7. 客户7号")));
    QVERIFY(pages[1].contains(QStringLiteral("C014")));
    QVERIFY(pages[2].contains(QStringLiteral("20. 客户20号")));
    QVERIFY(pages[2].contains(QStringLiteral("共 20 位客户")));
}

void TestReport::summaryKeepsTheLastRows()
{
    // 22 records: page 3 would hold 8 rows ending at 80 mm, where the 15 mm summary no longer fits
    // above 90. Rather than a last page with nothing but the heading and the summary, the 22nd row
    // goes over with it.
    const ReportPlan plan = planReport(listTemplate(), 22);
    QCOMPARE(plan.pageCount(), 4);
    QCOMPARE(recordsOn(plan.pages[2]).size(), 7);
    QCOMPARE(recordsOn(plan.pages[3]), QList<int>{21});
    QCOMPARE(countBands(plan.pages[3], ReportBand::Type::Summary), 1);
    QCOMPARE(countBands(plan.pages[2], ReportBand::Type::Summary), 0);
    // 20 records: the summary fits under the last row, nothing moves.
    const ReportPlan fitting = planReport(listTemplate(), 20);
    QCOMPARE(recordsOn(fitting.pages[2]).size(), 6);
    QCOMPARE(countBands(fitting.pages[2], ReportBand::Type::Summary), 1);
    // A summary higher than a whole page cannot stay with anything: it follows on its own.
    ReportTemplate tall = listTemplate();
    tall.bands[4].height = 85;
    const ReportPlan alone = planReport(tall, 6);
    QCOMPARE(alone.pageCount(), 2);
    QCOMPARE(recordsOn(alone.pages[0]).size(), 6);
    QCOMPARE(recordsOn(alone.pages[1]).size(), 0);
}

void TestReport::emptySourceGivesOnePageWithoutRows()
{
    MemoryDataSource source = customers(0);
    const QString pdf = m_dir.filePath(QStringLiteral("空.pdf"));
    QString error;
    QVERIFY2(exportPdf(listTemplate(), source, pdf, &error), qPrintable(error));
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 1);
    QVERIFY(pages[0].contains(QStringLiteral("表头栏目")));
    QVERIFY(pages[0].contains(QStringLiteral("共 0 位客户")));
    QVERIFY(!pages[0].contains(QStringLiteral("客户1号")));
    QVERIFY(collapse(pages[0]).contains(collapse(QStringLiteral("第 1 页 共 1 页"))));
}

void TestReport::labelColumns()
{
    ReportTemplate t;
    t.page = squarePage();
    ReportBand labels =
        makeBand(ReportBand::Type::MasterData, 30, {textObject({0, 0, 30, 10}, f("客户名称"))});
    labels.columns = 3;
    labels.columnGap = 5;
    labels.rowGap = 2;
    t.bands << labels;
    QCOMPARE(columnWidth(t, t.bands[0]), 30.0);

    // Rows of 32 mm: three fit in 100 mm (the third ends at 94), so 9 labels a page.
    const ReportPlan plan = planReport(t, 25);
    QCOMPARE(plan.pageCount(), 3);
    QCOMPARE(recordsOn(plan.pages[0]).size(), 9);
    QCOMPARE(recordsOn(plan.pages[1]).size(), 9);
    QCOMPARE(recordsOn(plan.pages[2]).size(), 7);
    for (const QList<PlacedBand>& page : plan.pages) {
        for (const PlacedBand& b : page) {
            const int inPage = b.record % 9;
            QCOMPARE(b.origin.x(), (inPage % 3) * 35.0);
            QCOMPARE(b.origin.y(), (inPage / 3) * 32.0);
        }
    }

    // A summary follows the last row of labels, full or not, the row's gap after it; where it no
    // longer fits, the last row goes along with it to the next page.
    ReportTemplate withSummary = t;
    withSummary.bands << makeBand(ReportBand::Type::Summary, 10,
                                  {textObject({0, 0, 30, 10}, QStringLiteral("合计"))});
    const auto summaryOf = [](const ReportPlan& p) {
        for (int page = 0; page < p.pageCount(); ++page)
            for (const PlacedBand& b : p.pages[page])
                if (b.band->type == ReportBand::Type::Summary)
                    return std::pair{page, b.origin.y()};
        return std::pair{-1, 0.0};
    };
    QCOMPARE(summaryOf(planReport(withSummary, 6)), (std::pair{0, 64.0}));
    QCOMPARE(summaryOf(planReport(withSummary, 5)), (std::pair{0, 64.0}));
    const ReportPlan full = planReport(withSummary, 9);
    QCOMPARE(full.pageCount(), 2);
    QCOMPARE(summaryOf(full), (std::pair{1, 32.0}));
    QCOMPARE(recordsOn(full.pages[1]).size(), 3);

    MemoryDataSource source = customers(25);
    const QString pdf = m_dir.filePath(QStringLiteral("标签.pdf"));
    QString error;
    QVERIFY2(exportPdf(t, source, pdf, &error), qPrintable(error));
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 3);
    // Three labels side by side on one line of text.
    bool sideBySide = false;
    for (const QString& line : pages[0].split(u'\n'))
        sideBySide = sideBySide ||
                     (line.contains(QStringLiteral("客户1号")) && line.contains(QStringLiteral("客户2号")) &&
                      line.contains(QStringLiteral("客户3号")) &&
                      line.indexOf(QStringLiteral("客户1号")) < line.indexOf(QStringLiteral("客户3号")));
    QVERIFY2(sideBySide, qPrintable(pages[0]));
    QVERIFY(pages[2].contains(QStringLiteral("客户25号")));
    QVERIFY(!pages[2].contains(QStringLiteral("客户18号")));
}

void TestReport::currentRecordOnly()
{
    ReportTemplate t = listTemplate();
    t.bands[2].records = ReportBand::Records::Current;
    MemoryDataSource source = customers(30, 11);
    ReportRenderer renderer(t, source);
    const ReportPlan plan = renderer.plan();
    QCOMPARE(plan.recordCount, 1);
    QCOMPARE(plan.pageCount(), 1);

    const QString pdf = m_dir.filePath(QStringLiteral("当前.pdf"));
    QString error;
    QVERIFY2(exportPdf(t, source, pdf, &error), qPrintable(error));
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 1);
    QVERIFY2(pages[0].contains(QStringLiteral("1. 客户12号")), qPrintable(pages[0]));
    QVERIFY(pages[0].contains(QStringLiteral("C012")));
    QVERIFY(!pages[0].contains(QStringLiteral("客户1号")));
    QVERIFY(!pages[0].contains(QStringLiteral("客户13号")));

    MemoryDataSource none = customers(30, -1);
    ReportRenderer nobody(t, none);
    QCOMPARE(nobody.plan().recordCount, 0);
}

void TestReport::customerFieldTable()
{
    const QList<CustomerReportField> fields = customerReportFields();
    QCOMPARE(fields.size(), 40);
    QSet<QString> labels;
    QSet<QString> columns;
    for (const CustomerReportField& field : fields) {
        labels.insert(QString::fromUtf8(field.label));
        columns.insert(QString::fromLatin1(field.column).toLower());
    }
    QCOMPARE(labels.size(), 40);
    QCOMPARE(columns.size(), 40);
    QCOMPARE(customerColumnForLabel(QStringLiteral("客户ID")), QStringLiteral("CusttityID"));
    QCOMPARE(customerColumnForLabel(QStringLiteral("从约安装时间")), QStringLiteral("AgainDate"));
    QCOMPARE(customerColumnForLabel(QStringLiteral("类别编号")), QStringLiteral("TypeCode"));
    QVERIFY(customerColumnForLabel(QStringLiteral("客户")).isEmpty());
}

void TestReport::customerRecordsOverDataSet_data()
{
    zu::test::addEngineRows();
}

void TestReport::customerRecordsOverDataSet()
{
    ZU_TEST_DATABASE(db);
    TfrmData& d = db.dataModule();
    d.T().exec(
        QStringLiteral(
            "insert into T_Cust (CustName, IDCode, Address, Phone, Mobile, classCode, GoodsCode, "
            "Goodsunit, Number, Price, Money, GiftnameA, GiftnameB, GiftNumberA, GiftNumberB, gathering, "
            "Emptionaddress, EmptionDate, Install, OrderDate, AgainDate, Zipcode, OrderCode, Voucherid, "
            "BusinessMen, Remark, CharA, CharB, CharC, CharD, intA, intB, intC, intD, remind, DateA, "
            "DateB, exeMen, TypeCode) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
            "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {QStringLiteral("李四"),
         QStringLiteral("L004"),
         QStringLiteral("北京市海淀区1号"),
         QStringLiteral("010-1234"),
         QStringLiteral("13900000000"),
         QStringLiteral("空调"),
         QStringLiteral("GC-9"),
         QStringLiteral("KFR-35"),
         2,
         1999.5,
         3999.0,
         QStringLiteral("挂钩"),
         QStringLiteral("遥控器"),
         4,
         5,
         3800.0,
         QStringLiteral("总店"),
         QDateTime(QDate(2024, 5, 1), QTime(0, 0)),
         QStringLiteral("一部"),
         QDateTime(QDate(2024, 5, 2), QTime(9, 0)),
         QDateTime(QDate(2024, 5, 3), QTime(0, 0)),
         QStringLiteral("100080"),
         QStringLiteral("B7"),
         QStringLiteral("P-88"),
         QStringLiteral("小王"),
         QStringLiteral("上门前电话"),
         QStringLiteral("甲"),
         QStringLiteral("乙"),
         QStringLiteral("丙"),
         QStringLiteral("丁"),
         11,
         12,
         13,
         14,
         QDateTime(QDate(2024, 6, 1), QTime(0, 0)),
         QDateTime(QDate(2024, 7, 1), QTime(0, 0)),
         QDateTime(QDate(2024, 8, 1), QTime(0, 0)),
         QStringLiteral("管理员"),
         QStringLiteral("0101")});
    d.T().exec(QStringLiteral("insert into T_Cust (CustName, IDCode) values (?, ?)"),
               {QStringLiteral("王五"), QStringLiteral("W005")});
    DataSet& custs = d.qryCustom();
    custs.open();
    QCOMPARE(custs.recordCount(), 2);
    custs.setCurrentRow(1);

    CustomerRecordSource source(custs);
    QCOMPARE(source.name(), QStringLiteral("客户记录"));
    QCOMPARE(source.fieldNames().size(), 40);
    QCOMPARE(source.fieldNames().first(), QStringLiteral("客户ID"));
    source.first();
    QVERIFY(!source.eof());
    // Every field is the value of its column.
    for (const CustomerReportField& field : customerReportFields()) {
        const int position = custs.fieldIndex(QString::fromLatin1(field.column));
        QVERIFY2(position >= 0, field.column);
        QCOMPARE(source.value(QString::fromUtf8(field.label)), custs.value(0, position));
        QVERIFY2(!source.value(QString::fromUtf8(field.label)).isNull(), field.label);
    }
    QCOMPARE(source.value(QStringLiteral("客户名称")).toString(), QStringLiteral("李四"));
    QCOMPARE(source.value(QStringLiteral("邮政编码")).toString(), QStringLiteral("100080"));
    QCOMPARE(source.value(QStringLiteral("赠品数量B")).toInt(), 5);
    QCOMPARE(source.value(QStringLiteral("从约安装时间")).toDateTime().date(), QDate(2024, 5, 3));
    QCOMPARE(source.value(QStringLiteral("类别编号")).toString(), QStringLiteral("0101"));
    QVERIFY(!source.value(QStringLiteral("无此字段")).isValid());
    source.next();
    QCOMPARE(source.value(QStringLiteral("客户名称")).toString(), QStringLiteral("王五"));
    source.next();
    QVERIFY(source.eof());
    // Any record is reached by its place; places outside the list are its end.
    QVERIFY(source.seek(1));
    QCOMPARE(source.value(QStringLiteral("客户名称")).toString(), QStringLiteral("王五"));
    QVERIFY(source.seek(0));
    QCOMPARE(source.value(QStringLiteral("客户名称")).toString(), QStringLiteral("李四"));
    for (const int outside : {-1, 2}) {
        QVERIFY(!source.seek(outside));
        QVERIFY(source.eof());
        QVERIFY(!source.value(QStringLiteral("客户名称")).isValid());
    }
    // Walking did not move the list's current row; the current record is that row.
    QCOMPARE(custs.currentRow(), 1);
    QVERIFY(source.toCurrent());
    QCOMPARE(source.value(QStringLiteral("客户编码")).toString(), QStringLiteral("W005"));

    // Through a template and into a PDF, with formats.
    ReportTemplate t;
    t.page = squarePage();
    ReportObject money = textObject({0, 10, 100, 10}, QStringLiteral("金额 ") + f("总金额"));
    money.numberFormat = QStringLiteral("#,##0.00");
    ReportObject date = textObject({0, 20, 100, 10}, QStringLiteral("购买 ") + f("购买日期"));
    date.dateFormat = QStringLiteral("yyyy年M月d日");
    t.bands << makeBand(ReportBand::Type::MasterData, 40,
                        {textObject({0, 0, 100, 10}, f("客户名称") + QStringLiteral("（") + f("客户编码") +
                                                         QStringLiteral("）")),
                         money, date});
    const QString pdf = m_dir.filePath(QStringLiteral("客户.pdf"));
    QString error;
    QVERIFY2(exportPdf(t, source, pdf, &error), qPrintable(error));
    const QString text = pdfPages(pdf).join(u'\f');
    QVERIFY2(text.contains(QStringLiteral("李四（L004）")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("王五（W005）")));
    QVERIFY(text.contains(QStringLiteral("金额 3,999.00")));
    QVERIFY(text.contains(QStringLiteral("购买 2024年5月1日")));
    QCOMPARE(custs.currentRow(), 1);

    // An empty list prints no records.
    custs.open(QStringLiteral("TypeCode = ?"), {QStringLiteral("99")});
    CustomerRecordSource empty(custs);
    QCOMPARE(ReportRenderer(t, empty).plan().recordCount, 0);
    // It has no current record either: nothing to print of "the current customer".
    QCOMPARE(custs.currentRow(), -1);
    QVERIFY(!empty.toCurrent());
    QVERIFY(empty.eof());
}

void TestReport::companyInfoFromDatabase_data()
{
    zu::test::addEngineRows();
}

void TestReport::companyInfoFromDatabase()
{
    ZU_TEST_DATABASE(db);
    TfrmData& d = db.dataModule();
    d.T().exec(QStringLiteral("delete from t_SoftInfo"));
    QCOMPARE(readCompanyInfo(d.conn()).coName, QString());
    d.T().exec(
        QStringLiteral("insert into t_SoftInfo (Version, CoName, Contact, Address, Phone, Fax, Email) values "
                       "(?, ?, ?, ?, ?, ?, ?)"),
        {QStringLiteral("2.10"), QStringLiteral("好家电商行"), QStringLiteral("赵经理"),
         QStringLiteral("解放路8号"), QStringLiteral("0571-1"), QStringLiteral("0571-2"),
         QStringLiteral("s@h.cn")});
    const CompanyInfo info = readCompanyInfo(d.conn());
    QCOMPARE(info.coName, QStringLiteral("好家电商行"));
    QCOMPARE(info.contact, QStringLiteral("赵经理"));
    QCOMPARE(info.address, QStringLiteral("解放路8号"));
    QCOMPARE(info.phone, QStringLiteral("0571-1"));
    QCOMPARE(info.fax, QStringLiteral("0571-2"));
    QCOMPARE(info.email, QStringLiteral("s@h.cn"));
}

void TestReport::pdfExportText()
{
    ReportTemplate t = listTemplate();
    t.page = ReportPage(); // A4
    ReportEnvironment env;
    env.company.coName = QStringLiteral("顺达电器有限公司");
    env.now = QDateTime(QDate(2025, 2, 3), QTime(10, 0));
    t.bands[0].objects << textObject({0, 10, 180, 8}, QStringLiteral("[公司名称] 打印于 [日期]"));
    MemoryDataSource source = customers(3);
    const QString pdf = m_dir.filePath(QStringLiteral("中文.pdf"));
    QString error;
    QVERIFY2(exportPdf(t, source, pdf, &error, env), qPrintable(error));
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 1);
    const QString text = pages[0];
    QVERIFY2(text.contains(QStringLiteral("顺达电器有限公司 打印于 2025-02-03")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("客户名单标题")));
    QVERIFY(text.contains(QStringLiteral("2. 客户2号")));
    QVERIFY(text.contains(QStringLiteral("共 3 位客户")));
}

void TestReport::pdfExportUnwritablePath()
{
    MemoryDataSource source = customers(1);
    const QString path = m_dir.filePath(QStringLiteral("没有的目录/报表.pdf"));
    QString error;
    QVERIFY(!exportPdf(listTemplate(), source, path, &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
}

void TestReport::shippedTemplates_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("absent");
    QTest::newRow("detail") << QStringLiteral("当前客户详细报表.fr3") << 5 << 1
                            << QStringList{QStringLiteral("客户详细资料"),   QStringLiteral("顺达电器"),
                                           QStringLiteral("客户3号"),        QStringLiteral("C003"),
                                           QStringLiteral("2024年3月3日"),   QStringLiteral("1299.00"),
                                           QStringLiteral("第 1 页 共 1 页")}
                            << QStringList{QStringLiteral("客户2号"), QStringLiteral("[客户记录")};
    QTest::newRow("list") << QStringLiteral("客户列表.fr3") << 60 << 3
                          << QStringList{QStringLiteral("客户统计列表"), QStringLiteral("客户名称"),
                                         QStringLiteral("客户1号"), QStringLiteral("客户60号"),
                                         QStringLiteral("共 60 位客户"), QStringLiteral("第 3 页 共 3 页"),
                                         QStringLiteral("1,299.00"),
                                         // Grouped by category (20 customers each), counted and summed.
                                         QStringLiteral("类别：冰箱"), QStringLiteral("类别：柜式"),
                                         QStringLiteral("小计：20 位客户 25,980.00 25,980.00"),
                                         QStringLiteral("合计：共 60 位客户 77,940.00 77,940.00")}
                          << QStringList{QStringLiteral("[客户记录"), QStringLiteral("[页码]")};
    QTest::newRow("envelope") << QStringLiteral("当前用户信封打印.fr3") << 5 << 1
                              << QStringList{QStringLiteral("客户3号"), QStringLiteral("收"),
                                             QStringLiteral("顺达电器"), QStringLiteral("幸福路3号"),
                                             QStringLiteral("解放路8号")}
                              << QStringList{QStringLiteral("客户2号"), QStringLiteral("[客户记录")};
    QTest::newRow("labels") << QStringLiteral("信封标签打印.fr3") << 5 << 1
                            << QStringList{QStringLiteral("客户1号 收"), QStringLiteral("客户5号 收"),
                                           QStringLiteral("幸福路4号")}
                            << QStringList{QStringLiteral("[客户记录")};
    QTest::newRow("work order") << QStringLiteral("客户销售记录派工单.fr3") << 5 << 1
                                << QStringList{QStringLiteral("销 售 派 工 单"), QStringLiteral("客户3号"),
                                               QStringLiteral("安装人员签字"),   QStringLiteral("客户签字"),
                                               QStringLiteral("KFR-3"),          QStringLiteral("P-3"),
                                               QStringLiteral("顺达电器")}
                                << QStringList{QStringLiteral("客户2号"), QStringLiteral("[客户记录")};
}

namespace {

// Every object inside its band, every band inside the area within the margins.
void verifyInsidePage(const ReportTemplate& t, const ReportPlan& plan)
{
    const QSizeF area = t.page.printableSize();
    for (const ReportBand& band : t.bands) {
        const double width = band.type == ReportBand::Type::MasterData ? columnWidth(t, band) : area.width();
        for (const ReportObject& o : band.objects) {
            const QRectF g = o.geometry.normalized();
            QVERIFY2(
                g.left() >= 0 && g.top() >= 0 && g.right() <= width + 1e-6 &&
                    g.bottom() <= band.height + 1e-6,
                qPrintable(QStringLiteral("%1: %2 outside its band").arg(bandTypeName(band.type), o.text)));
        }
    }
    for (const QList<PlacedBand>& page : plan.pages) {
        for (const PlacedBand& b : page)
            QVERIFY2(b.origin.x() >= 0 && b.origin.y() >= 0 &&
                         b.origin.y() + b.height <= area.height() + 1e-6,
                     qPrintable(bandTypeName(b.band->type)));
    }
}

} // namespace

void TestReport::shippedTemplates()
{
    QFETCH(QString, file);
    QFETCH(int, records);
    QFETCH(int, pages);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, absent);
    ReportTemplate t;
    QString error;
    QVERIFY2(loadTemplate(QStringLiteral(ZU_REPORTS_DIR "/") + file, &t, &error), qPrintable(error));
    const ReportBand* master = t.band(ReportBand::Type::MasterData);
    QVERIFY(master);
    QCOMPARE(master->dataSet, kCust);
    // Every field a template names is a field of "客户记录".
    QStringList labels;
    for (const CustomerReportField& field : customerReportFields())
        labels << QString::fromUtf8(field.label);
    static const QRegularExpression reference(QStringLiteral("\\[客户记录\\.\"?([^\"\\]]+)\"?\\]"));
    int references = 0;
    for (const ReportBand& band : t.bands) {
        for (const ReportObject& o : band.objects) {
            for (auto m = reference.globalMatch(o.text); m.hasNext(); ++references) {
                const QString name = m.next().captured(1);
                QVERIFY2(labels.contains(name), qPrintable(name));
            }
        }
    }
    QVERIFY(references > 0);

    ReportEnvironment env;
    env.company = {QStringLiteral("顺达电器"),
                   QStringLiteral("赵经理"),
                   QStringLiteral("解放路8号"),
                   QStringLiteral("0571-1"),
                   {},
                   {}};
    MemoryDataSource source = sampleCustomers(records, 2);
    ReportRenderer renderer(t, source, env);
    const ReportPlan plan = renderer.plan();
    verifyInsidePage(t, plan);
    // ZU_REPORT_SAMPLES names a folder that keeps the PDFs (scripts/report-pages.sh makes pictures of them).
    const QString samples = qEnvironmentVariable("ZU_REPORT_SAMPLES");
    const QDir folder(samples.isEmpty() ? m_dir.path() : samples);
    const QString pdf = folder.filePath(QFileInfo(file).completeBaseName() + QStringLiteral(".pdf"));
    QVERIFY2(exportPdf(t, source, pdf, &error, env), qPrintable(error));
    const QStringList text = pdfPages(pdf);
    QCOMPARE(text.size(), pages);
    const QString all = text.join(u'\f');
    for (const QString& e : expected)
        QVERIFY2(collapse(all).contains(collapse(e)), qPrintable(e + QStringLiteral(" missing in:\n") + all));
    for (const QString& a : absent)
        QVERIFY2(!all.contains(a), qPrintable(a + QStringLiteral(" printed in:\n") + all));
}

void TestReport::twentyFiveLabelsOnTwoSheets()
{
    ReportTemplate t;
    QString error;
    QVERIFY2(loadTemplate(QStringLiteral(ZU_REPORTS_DIR "/信封标签打印.fr3"), &t, &error), qPrintable(error));
    MemoryDataSource source = sampleCustomers(25, 0);
    const QString pdf = m_dir.filePath(QStringLiteral("标签25.pdf"));
    QVERIFY2(exportPdf(t, source, pdf, &error), qPrintable(error));
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages[0].contains(QStringLiteral("客户24号")));
    QVERIFY(pages[1].contains(QStringLiteral("客户25号")));
    QVERIFY(!pages[1].contains(QStringLiteral("客户24号")));
}

QTEST_MAIN(TestReport)
#include "tst_report.moc"
