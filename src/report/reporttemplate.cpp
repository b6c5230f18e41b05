#include "reporttemplate.h"

namespace zu {

namespace {

QSizeF portraitSize(const ReportPage& page)
{
    switch (page.size) {
    case ReportPage::Size::A4:
        return {210, 297};
    case ReportPage::Size::A5:
        return {148, 210};
    case ReportPage::Size::Letter:
        return {215.9, 279.4};
    case ReportPage::Size::Custom:
        break;
    }
    return {page.customWidth, page.customHeight};
}

struct BandName
{
    ReportBand::Type type;
    const char* name;
};

constexpr BandName kBandNames[] = {
    {ReportBand::Type::ReportTitle, "reportTitle"}, {ReportBand::Type::PageHeader, "pageHeader"},
    {ReportBand::Type::GroupHeader, "groupHeader"}, {ReportBand::Type::MasterData, "masterData"},
    {ReportBand::Type::GroupFooter, "groupFooter"}, {ReportBand::Type::PageFooter, "pageFooter"},
    {ReportBand::Type::Summary, "summary"},
};

} // namespace

QSizeF ReportPage::sheetSize() const
{
    const QSizeF s = portraitSize(*this);
    return orientation == QPageLayout::Landscape ? s.transposed() : s;
}

QSizeF ReportPage::printableSize() const
{
    const QSizeF s = sheetSize();
    return {s.width() - leftMargin - rightMargin, s.height() - topMargin - bottomMargin};
}

QPageSize ReportPage::pageSize() const
{
    switch (size) {
    case Size::A4:
        return QPageSize(QPageSize::A4);
    case Size::A5:
        return QPageSize(QPageSize::A5);
    case Size::Letter:
        return QPageSize(QPageSize::Letter);
    case Size::Custom:
        break;
    }
    return QPageSize(QSizeF(customWidth, customHeight), QPageSize::Millimeter, QString(),
                     QPageSize::ExactMatch);
}

const ReportBand* ReportTemplate::band(ReportBand::Type type) const
{
    for (const ReportBand& b : bands) {
        if (b.type == type)
            return &b;
    }
    return nullptr;
}

bool bandCanStretch(ReportBand::Type type)
{
    return type != ReportBand::Type::PageHeader && type != ReportBand::Type::PageFooter;
}

QString bandTypeName(ReportBand::Type type)
{
    for (const BandName& n : kBandNames) {
        if (n.type == type)
            return QString::fromLatin1(n.name);
    }
    return {};
}

bool bandTypeFromName(const QString& name, ReportBand::Type* type)
{
    for (const BandName& n : kBandNames) {
        if (name == QLatin1String(n.name)) {
            *type = n.type;
            return true;
        }
    }
    return false;
}

} // namespace zu
