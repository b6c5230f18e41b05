#include "numbertext.h"

#include <cmath>
#include <QLocale>

namespace zu {

namespace {

QString normalised(const QString& text)
{
    QString t = text.trimmed();
    t.remove(QLatin1Char(','));
    t.remove(QChar(0xFF0C)); // full-width comma
    t.remove(QLatin1Char(' '));
    t.replace(QChar(0xFF0E), QLatin1Char('.')); // full-width full stop
    t.replace(QChar(0xFF0D), QLatin1Char('-')); // full-width hyphen-minus
    for (QChar& c : t)
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
            c = QChar(u'0' + (c.unicode() - 0xFF10)); // full-width digits
    return t;
}

} // namespace

std::optional<double> parseDecimalText(const QString& text)
{
    const QString t = normalised(text);
    if (t.isEmpty())
        return 0.0;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> parseIntegerText(const QString& text)
{
    const std::optional<double> v = parseDecimalText(text);
    if (!v || *v != std::floor(*v) || std::fabs(*v) > 2147483647.0)
        return std::nullopt;
    return static_cast<int>(*v);
}

QString formatNumber(double value, int decimals, bool groupThousands)
{
    QLocale c = QLocale::c();
    if (!groupThousands)
        c.setNumberOptions(QLocale::OmitGroupSeparator);
    else
        c.setNumberOptions(QLocale::DefaultNumberOptions);
    return c.toString(value, 'f', decimals);
}

} // namespace zu
