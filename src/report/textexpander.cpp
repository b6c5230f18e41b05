#include "textexpander.h"

#include "reportdatasource.h"

#include <QLocale>

#include <functional>

namespace zu {

namespace {

bool isQuote(QChar c)
{
    switch (c.unicode()) {
    case u'"':
    case u'\'':
    case 0x201C: // “
    case 0x201D: // ”
    case 0x2018: // ‘
    case 0x2019: // ’
    case 0xFF02: // ＂
    case 0x300C: // 「
    case 0x300D: // 」
    case 0x300E: // 『
    case 0x300F: // 』
        return true;
    default:
        return false;
    }
}

QString stripQuotes(QString s)
{
    s = s.trimmed();
    if (s.size() >= 2 && isQuote(s.front()) && isQuote(s.back()))
        s = s.mid(1, s.size() - 2).trimmed();
    return s;
}

// The dot between data set and field; a Chinese input method types 。 or ．.
qsizetype separator(const QString& reference)
{
    for (qsizetype i = 0; i < reference.size(); ++i) {
        const QChar c = reference.at(i);
        if (c == u'.' || c == QChar(0x3002) || c == QChar(0xFF0E))
            return i;
    }
    return -1;
}

const QStringList& systemValues()
{
    static const QStringList names = {
        QStringLiteral("日期"),     QStringLiteral("时间"),     QStringLiteral("页码"),
        QStringLiteral("总页数"),   QStringLiteral("行号"),     QStringLiteral("记录数"),
        QStringLiteral("公司名称"), QStringLiteral("联系人"),   QStringLiteral("公司地址"),
        QStringLiteral("公司电话"), QStringLiteral("公司传真"), QStringLiteral("公司邮箱")};
    return names;
}

// The field a "数据集.字段" names, or an empty string.
QString fieldOf(const QString& reference, const QString& dataSet, const QStringList& fields)
{
    const qsizetype dot = separator(reference);
    if (dot <= 0 || dataSet.isEmpty())
        return {};
    if (stripQuotes(reference.left(dot)) != dataSet)
        return {};
    const QString field = stripQuotes(reference.mid(dot + 1));
    return fields.contains(field) ? field : QString();
}

// The argument of FUNCTION(argument), when `inner` is a call of `function` (any letter case).
bool callOf(const QString& inner, QLatin1String function, QString* argument)
{
    const QString s = inner.trimmed();
    if (!s.startsWith(function, Qt::CaseInsensitive))
        return false;
    const QString rest = s.mid(function.size()).trimmed();
    if (rest.size() < 2 || !rest.startsWith(u'(') || !rest.endsWith(u')'))
        return false;
    *argument = rest.mid(1, rest.size() - 2).trimmed();
    return true;
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

QString systemValue(const QString& name, const ExpansionContext& c)
{
    static const CompanyInfo kNoCompany;
    const CompanyInfo& co = c.environment ? c.environment->company : kNoCompany;
    const QDateTime now = c.environment ? c.environment->now : QDateTime::currentDateTime();
    if (name == u"日期")
        return now.date().toString(QStringLiteral("yyyy-MM-dd"));
    if (name == u"时间")
        return now.time().toString(QStringLiteral("HH:mm"));
    if (name == u"页码")
        return QString::number(c.page);
    if (name == u"总页数")
        return QString::number(c.pageCount);
    if (name == u"行号")
        return QString::number(c.recordNumber);
    if (name == u"记录数")
        return QString::number(c.recordCount);
    if (name == u"公司名称")
        return co.coName;
    if (name == u"联系人")
        return co.contact;
    if (name == u"公司地址")
        return co.address;
    if (name == u"公司电话")
        return co.phone;
    if (name == u"公司传真")
        return co.fax;
    if (name == u"公司邮箱")
        return co.email;
    return {};
}

// Calls `each` with the text between the brackets of every reference and its position.
void forEachReference(const QString& text, const std::function<void(qsizetype open, qsizetype close)>& each)
{
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(u'[', i);
        if (open < 0)
            return;
        const qsizetype close = text.indexOf(u']', open + 1);
        if (close < 0)
            return;
        each(open, close);
        i = close + 1;
    }
}

} // namespace

Reference parseReference(const QString& inner, const QString& dataSet, const QStringList& fields)
{
    const QString name = inner.trimmed();
    if (systemValues().contains(name))
        return {Reference::Kind::SystemValue, name};
    QString argument;
    if (callOf(name, QLatin1String("COUNT"), &argument) && argument.isEmpty())
        return {Reference::Kind::Count, {}};
    if (callOf(name, QLatin1String("SUM"), &argument)) {
        const QString field = fieldOf(argument, dataSet, fields);
        return field.isEmpty() ? Reference{} : Reference{Reference::Kind::Sum, field};
    }
    const QString field = fieldOf(name, dataSet, fields);
    return field.isEmpty() ? Reference{} : Reference{Reference::Kind::Field, field};
}

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
    if (context.literal || !text.contains(u'['))
        return text;
    const QString dataSet = context.source ? context.source->name() : QString();
    const QStringList fields = context.source ? context.source->fieldNames() : QStringList();
    QString out;
    out.reserve(text.size());
    qsizetype done = 0;
    forEachReference(text, [&](qsizetype open, qsizetype close) {
        out += QStringView(text).mid(done, open - done);
        done = close + 1;
        const Reference r = parseReference(text.mid(open + 1, close - open - 1), dataSet, fields);
        switch (r.kind) {
        case Reference::Kind::SystemValue:
            out += systemValue(r.name, context);
            return;
        case Reference::Kind::Field:
            out += formatValue(context.source->value(r.name), numberFormat, dateFormat);
            return;
        case Reference::Kind::Sum:
            out += formatNumber(context.totals ? context.totals->sums.value(r.name) : 0, numberFormat);
            return;
        case Reference::Kind::Count:
            out += QString::number(context.totals ? context.totals->count : 0);
            return;
        case Reference::Kind::Unknown:
            break;
        }
        out += QStringView(text).mid(open, close - open + 1);
    });
    out += QStringView(text).mid(done);
    return out;
}

QStringList unknownReferences(const QString& text, const QString& dataSet, const QStringList& fields)
{
    QStringList unknown;
    forEachReference(text, [&](qsizetype open, qsizetype close) {
        if (parseReference(text.mid(open + 1, close - open - 1), dataSet, fields).kind ==
            Reference::Kind::Unknown)
            unknown << text.mid(open, close - open + 1);
    });
    return unknown;
}

QString friendlyText(const QString& text, const QString& dataSet, const QStringList& fields)
{
    QString out;
    qsizetype done = 0;
    forEachReference(text, [&](qsizetype open, qsizetype close) {
        const Reference r = parseReference(text.mid(open + 1, close - open - 1), dataSet, fields);
        QString shown;
        switch (r.kind) {
        case Reference::Kind::Field:
            shown = QStringLiteral("[%1]").arg(r.name);
            break;
        case Reference::Kind::Sum:
            shown = QStringLiteral("[合计 %1]").arg(r.name);
            break;
        case Reference::Kind::Count:
            shown = QStringLiteral("[计数]");
            break;
        case Reference::Kind::SystemValue:
        case Reference::Kind::Unknown:
            return;
        }
        out += QStringView(text).mid(done, open - done);
        out += shown;
        done = close + 1;
    });
    out += QStringView(text).mid(done);
    return out;
}

QStringList referencedFields(const QString& text, const QString& dataSet, const QStringList& fields)
{
    QStringList used;
    forEachReference(text, [&](qsizetype open, qsizetype close) {
        const Reference r = parseReference(text.mid(open + 1, close - open - 1), dataSet, fields);
        if ((r.kind == Reference::Kind::Field || r.kind == Reference::Kind::Sum) && !used.contains(r.name))
            used << r.name;
    });
    return used;
}

QStringList summedFields(const QString& text, const QString& dataSet, const QStringList& fields)
{
    QStringList summed;
    forEachReference(text, [&](qsizetype open, qsizetype close) {
        const Reference r = parseReference(text.mid(open + 1, close - open - 1), dataSet, fields);
        if (r.kind == Reference::Kind::Sum && !summed.contains(r.name))
            summed << r.name;
    });
    return summed;
}

} // namespace zu
