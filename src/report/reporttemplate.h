#pragma once

#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>

namespace zu {

// A report template: the page, and the bands that are laid out on it. Every length is in
// millimetres; an object's position is relative to the top left corner of its band (of its
// column, in a band printed in several columns).

inline constexpr const char* kDefaultReportFont = "WenQuanYi Micro Hei";

struct ReportPage
{
    enum class Size
    {
        A4,
        A5,
        Letter,
        Custom,
    };
    Size size = Size::A4;
    double customWidth = 210; // used by Size::Custom, portrait width
    double customHeight = 297;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    double leftMargin = 15;
    double topMargin = 15;
    double rightMargin = 15;
    double bottomMargin = 15;

    // The sheet as it lies (orientation applied) and the area inside the margins.
    QSizeF sheetSize() const;
    QSizeF printableSize() const;
    QPageSize pageSize() const;

    bool operator==(const ReportPage&) const = default;
};

// Which sides of an object get a frame line.
struct ReportFrame
{
    bool left = false;
    bool top = false;
    bool right = false;
    bool bottom = false;
    double width = 0.3;

    bool any() const { return left || top || right || bottom; }
    bool operator==(const ReportFrame&) const = default;
};

struct ReportObject
{
    enum class Kind
    {
        Text,
        Line, // from (x, y) to (x + width, y + height)
        Rectangle,
    };
    Kind kind = Kind::Text;
    QRectF geometry; // mm, relative to the band

    // Text: literal text with fields "[数据集."字段"]" and system values "[页码]".
    QString text;
    QString fontFamily = QString::fromLatin1(kDefaultReportFont);
    double fontSize = 10; // points
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool wordWrap = false;
    int cells = 0;        // > 0: one character in each of so many equal cells (postal-code boxes)
    QString numberFormat; // e.g. "#,##0.00", "0", "¥0.00元"; empty: as the value comes
    QString dateFormat;   // e.g. "yyyy年M月d日"; empty: yyyy-MM-dd
    ReportFrame frame;

    // Line and rectangle: the pen width.
    double lineWidth = 0.3;

    bool operator==(const ReportObject&) const = default;
};

struct ReportBand
{
    enum class Type
    {
        ReportTitle, // once, at the top of the first page
        PageHeader,  // at the top of every page (below the title on the first)
        MasterData,  // once per record
        PageFooter,  // at the bottom of every page
        Summary,     // once, after the last record
    };
    enum class Records
    {
        All,     // every record of the data set
        Current, // only the data set's current record
    };
    Type type = Type::MasterData;
    double height = 10;
    QList<ReportObject> objects;

    // Master data only.
    QString dataSet;
    Records records = Records::All;
    int columns = 1;      // records side by side (label sheets)
    double columnGap = 0; // mm between columns
    double rowGap = 0;    // mm between rows of a band in columns

    bool operator==(const ReportBand&) const = default;
};

struct ReportTemplate
{
    QString name;
    ReportPage page;
    QList<ReportBand> bands; // at most one band of each type

    const ReportBand* band(ReportBand::Type type) const;
    bool isEmpty() const { return bands.isEmpty(); }
    bool operator==(const ReportTemplate&) const = default;
};

// The file-format name of a band type, a page size and the like (used by the file format and
// shown by the designer).
QString bandTypeName(ReportBand::Type type);
bool bandTypeFromName(const QString& name, ReportBand::Type* type);

} // namespace zu
