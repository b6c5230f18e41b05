#pragma once

#include <QByteArray>
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
inline constexpr double kSmallestFontSize = 4; // points: a text shrunk to fit gets no smaller

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
        Picture, // an image kept in the template (a company logo)
        QrCode,  // a QR code of `text`, which may hold fields
    };
    Kind kind = Kind::Text;
    QRectF geometry; // mm, relative to the band

    // Text and QR code: literal text with fields "[数据集."字段"]", system values "[页码]" and
    // totals "[SUM(数据集."字段")]", "[COUNT()]".
    QString text;
    QString fontFamily = QString::fromLatin1(kDefaultReportFont);
    double fontSize = 10; // points
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool wordWrap = false;
    // A text that does not fit is printed smaller (down to kSmallestFontSize) rather than cut.
    bool shrinkToFit = false;
    int cells = 0;        // > 0: one character in each of so many equal cells (postal-code boxes)
    QString numberFormat; // e.g. "#,##0.00", "0", "¥0.00元"; empty: as the value comes
    QString dateFormat;   // e.g. "yyyy年M月d日"; empty: yyyy-MM-dd
    ReportFrame frame;

    // Line and rectangle: the pen width.
    double lineWidth = 0.3;

    // Picture: the image file's bytes (PNG, JPEG, ...) as chosen in the designer.
    QByteArray picture;
    bool keepAspect = true; // drawn as large as fits without distortion, centred

    bool operator==(const ReportObject&) const = default;
};

struct ReportBand
{
    // In printing order.
    enum class Type
    {
        ReportTitle, // once, at the top of the first page
        PageHeader,  // at the top of every page (below the title on the first)
        GroupHeader, // before the first record of each group
        MasterData,  // once per record
        GroupFooter, // after the last record of each group
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
    // The band grows to hold its wrapped texts: they grow, the objects beside them grow with them
    // and the objects below move down (not for the page header and footer).
    bool stretch = false;

    // Group header only: the value that forms groups, e.g. [客户记录."客户类别"]. Records are
    // printed sorted by it; a group is the run of records with the same value.
    QString condition;

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

// Whether a band of this type may stretch.
bool bandCanStretch(ReportBand::Type type);

// The file-format name of a band type, a page size and the like (used by the file format and
// shown by the designer).
QString bandTypeName(ReportBand::Type type);
bool bandTypeFromName(const QString& name, ReportBand::Type* type);

} // namespace zu
