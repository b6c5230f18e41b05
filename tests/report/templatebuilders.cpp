#include "templatebuilders.h"

namespace zu::test {

ReportObject textObject(QRectF geometry, QString text)
{
    ReportObject o;
    o.geometry = geometry;
    o.text = std::move(text);
    return o;
}

ReportBand makeBand(ReportBand::Type type, double height, QList<ReportObject> objects)
{
    ReportBand b;
    b.type = type;
    b.height = height;
    b.objects = std::move(objects);
    if (type == ReportBand::Type::MasterData)
        b.dataSet = QStringLiteral("客户记录");
    return b;
}

} // namespace zu::test
