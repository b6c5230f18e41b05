#include "displaytext.h"

#include <QDateTime>

namespace zu {

QString displayText(const QVariant& value)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (dt.time() == QTime(0, 0))
            return dt.date().toString(QStringLiteral("yyyy-MM-dd"));
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("是") : QStringLiteral("否");
    default:
        return value.toString();
    }
}

} // namespace zu
