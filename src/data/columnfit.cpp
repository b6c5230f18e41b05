#include "columnfit.h"

#include <cmath>

namespace zu {

bool fitsIntegerColumn(double value)
{
    return std::isfinite(value) && value >= double(kIntegerColumnMin) && value <= double(kIntegerColumnMax);
}

QString columnFitProblem(const QString& caption, const QVariant& value, ColumnType type, int width)
{
    if (value.isNull())
        return {};
    if (type == ColumnType::Text && width > 0) {
        const qsizetype length = value.toString().size();
        if (length > width)
            return QStringLiteral("“%1”最多可以有 %2 个字，现在有 %3 个字")
                .arg(caption)
                .arg(width)
                .arg(length);
        return {};
    }
    if (type != ColumnType::Integer)
        return {};
    bool ok = true;
    double number = 0;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Bool:
        return {};
    case QMetaType::QString:
        number = value.toString().trimmed().toDouble(&ok);
        if (!ok)
            return {}; // not a number at all: the database says so
        break;
    default:
        number = value.toDouble(&ok);
        if (!ok)
            return {};
    }
    if (fitsIntegerColumn(number))
        return {};
    return QStringLiteral("“%1”的值 %2 超出了范围（%3 至 %4）")
        .arg(caption, value.toString())
        .arg(kIntegerColumnMin)
        .arg(kIntegerColumnMax);
}

} // namespace zu
