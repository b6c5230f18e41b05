#include "templatebuilders.h"

#include "report/customerrecords.h"

#include <QDateTime>

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

MemoryDataSource sampleCustomers(int count, int current, const QHash<QString, QVariant>& currentValues)
{
    static const char* const categories[][2] = {{"冰箱", "02"}, {"壁挂式", "0101"}, {"柜式", "0102"}};
    QStringList fields;
    for (const CustomerReportField& field : customerReportFields())
        fields << QString::fromUtf8(field.label);
    QList<QVariantList> rows;
    for (int i = 1; i <= count; ++i) {
        QVariantList row;
        for (const QString& name : fields) {
            const QString column = customerColumnForLabel(name);
            if (i - 1 == current && currentValues.contains(name))
                row << currentValues.value(name);
            else if (name == u"客户名称")
                row << QStringLiteral("客户%1号").arg(i);
            else if (name == u"客户编码")
                row << QStringLiteral("C%1").arg(i, 3, 10, QChar(u'0'));
            else if (name == u"客户ID")
                row << i;
            else if (name == u"客户类别")
                row << QString::fromUtf8(categories[i % 3][0]);
            else if (name == u"类别编号")
                row << QString::fromUtf8(categories[i % 3][1]);
            else if (name == u"客户地址")
                row << QStringLiteral("杭州市幸福路%1号").arg(i);
            else if (name == u"邮政编码")
                row << QStringLiteral("31000%1").arg(i % 10);
            else if (name == u"型号")
                row << QStringLiteral("KFR-%1").arg(i);
            else if (name == u"票据号")
                row << QStringLiteral("P-%1").arg(i);
            else if (name == u"单价" || name == u"总金额" || name == u"实际收款")
                row << 1299.0;
            else if (column.startsWith(u"int") || column.startsWith(u"GiftNumber") || column == u"Number")
                row << i;
            else if (column.endsWith(u"Date") || column == u"remind")
                row << QDateTime(QDate(2024, 3, (i - 1) % 28 + 1), QTime(0, 0));
            else
                row << name + QString::number(i);
        }
        rows << row;
    }
    return MemoryDataSource(QStringLiteral("客户记录"), fields, rows, current);
}

} // namespace zu::test
