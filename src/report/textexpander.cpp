#include "textexpander.h"

#include "reportdatasource.h"

#include <QLocale>

namespace zu {

namespace {

QString stripQuotes(QString s)
{
    s = s.trimmed();
    if (s.size() >= 2 && s.startsWith(u'"') && s.endsWith(u'"'))
        return s.mid(1, s.size() - 2);
    return s;
}

bool isNumeric(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool systemValue(const QString& name, const ExpansionContext& c, QString* out)
{
    static const CompanyInfo kNoCompany;
    const CompanyInfo& co = c.environment ? c.environment->company : kNoCompany;
    const QDateTime now = c.environment ? c.environment->now : QDateTime::currentDateTime();
    if (name == u"日期")
        *out = now.date().toString(QStringLiteral("yyyy-MM-dd"));
    else if (name == u"时间")
        *out = now.time().toString(QStringLiteral("HH:mm"));
    else if (name == u"页码")
        *out = QString::number(c.page);
    else if (name == u"总页数")
        *out = QString::number(c.pageCount);
    else if (name == u"行号")
        *out = QString::number(c.recordNumber);
    else if (name == u"记录数")
        *out = QString::number(c.recordCount);
    else if (name == u"公司名称")
        *out = co.coName;
    else if (name == u"联系人")
        *out = co.contact;
    else if (name == u"公司地址")
        *out = co.address;
    else if (name == u"公司电话")
        *out = co.phone;
    else if (name == u"公司传真")
        *out = co.fax;
    else if (name == u"公司邮箱")
        *out = co.email;
    else
        return false;
    return true;
}

bool fieldValue(const QString& reference, const ExpansionContext& c, const QString& numberFormat,
                const QString& dateFormat, QString* out)
{
    const qsizetype dot = reference.indexOf(u'.');
    if (dot <= 0 || !c.source)
        return false;
    if (stripQuotes(reference.left(dot)) != c.source->name())
        return false;
    const QString field = stripQuotes(reference.mid(dot + 1));
    if (!c.source->hasField(field))
        return false;
    *out = formatValue(c.source->value(field), numberFormat, dateFormat);
    return true;
}

} // namespace

QString formatNumber(double value, const QString& numberFormat)
{
    qsizetype start = -1;
    qsizetype end = -1;
    for (qsizetype i = 0; i < numberFormat.size(); ++i) {
        const QChar ch = numberFormat.at(i);
        if (ch == u'#' || ch == u'0' || ch == u',' || ch == u'.') {
            if (start < 0)
                start = i;
            end = i + 1;
        } else if (start >= 0) {
            break;
        }
    }
    if (start < 0)
        return QString::number(value, 'g', 15);
    const QString pattern = numberFormat.mid(start, end - start);
    const qsizetype point = pattern.indexOf(u'.');
    const int decimals = point < 0 ? 0 : int(pattern.size() - point - 1);
    QLocale locale(QLocale::English, QLocale::UnitedStates);
    locale.setNumberOptions(pattern.contains(u',') ? QLocale::NumberOptions() : QLocale::OmitGroupSeparator);
    return numberFormat.left(start) + locale.toString(value, 'f', decimals) + numberFormat.mid(end);
}

QString formatValue(const QVariant& value, const QString& numberFormat, const QString& dateFormat)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (isNumeric(value) && !numberFormat.isEmpty())
        return formatNumber(value.toDouble(), numberFormat);
    if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate) {
        const QDateTime dt = value.toDateTime();
        if (!dateFormat.isEmpty())
            return dt.toString(dateFormat);
        if (dt.time() == QTime(0, 0))
            return dt.date().toString(QStringLiteral("yyyy-MM-dd"));
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    }
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("是") : QStringLiteral("否");
    return value.toString();
}

QString expandText(const QString& text, const ExpansionContext& context, const QString& numberFormat,
                   const QString& dateFormat)
{
    if (context.literal)
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(u'[', i);
        if (open < 0) {
            out += QStringView(text).mid(i);
            break;
        }
        out += QStringView(text).mid(i, open - i);
        const qsizetype close = text.indexOf(u']', open + 1);
        if (close < 0) {
            out += QStringView(text).mid(open);
            break;
        }
        const QString reference = text.mid(open + 1, close - open - 1);
        QString value;
        if (systemValue(reference.trimmed(), context, &value) ||
            fieldValue(reference, context, numberFormat, dateFormat, &value))
            out += value;
        else
            out += QStringView(text).mid(open, close - open + 1);
        i = close + 1;
    }
    return out;
}

} // namespace zu
