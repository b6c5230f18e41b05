#include "numberformat.h"

#include "sheettable.h"

#include <QRegularExpression>
#include <QTime>

#include <cmath>

namespace zu {

namespace {

DateKind builtInKind(int id)
{
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || (id >= 34 && id <= 36) || (id >= 50 && id <= 58))
        return DateKind::Date;
    if ((id >= 18 && id <= 21) || (id >= 32 && id <= 33) || (id >= 45 && id <= 47))
        return DateKind::Time;
    if (id == 22)
        return DateKind::DateTime;
    return DateKind::None;
}

} // namespace

DateKind dateKindOf(int formatId, const QString& code)
{
    if (code.isEmpty())
        return builtInKind(formatId);
    bool date = false;
    bool time = false;
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i).toLower();
        if (quoted) {
            quoted = c != QLatin1Char('"');
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i; // the next character is shown literally or used for padding
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = code.indexOf(QLatin1Char(']'), i);
            const QString inside = code.mid(i + 1, close < 0 ? -1 : close - i - 1).toLower();
            static const QRegularExpression elapsed(QStringLiteral("^(h+|m+|s+)$"));
            if (bracket == 0 && elapsed.match(inside).hasMatch())
                time = true;
            ++bracket;
        } else if (c == QLatin1Char(']')) {
            bracket = std::max(0, bracket - 1);
        } else if (bracket == 0) {
            if (c == QLatin1Char('y') || c == QLatin1Char('d'))
                date = true;
            else if (c == QLatin1Char('h') || c == QLatin1Char('s'))
                time = true;
            else if (c == QLatin1Char(';'))
                break; // the first section decides
        }
    }
    if (date && time)
        return DateKind::DateTime;
    if (date)
        return DateKind::Date;
    if (time)
        return DateKind::Time;
    return DateKind::None;
}

QString dateTimeText(double serial, QDate origin, DateKind kind)
{
    const double days = std::floor(serial);
    int seconds = static_cast<int>(std::lround((serial - days) * 86400.0));
    qint64 dayCount = static_cast<qint64>(days);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++dayCount;
    }
    const QString date = origin.addDays(dayCount).toString(QStringLiteral("yyyy-MM-dd"));
    const QString time = QTime(0, 0).addSecs(seconds).toString(QStringLiteral("HH:mm:ss"));
    switch (kind) {
    case DateKind::Date:
        return date;
    case DateKind::Time:
        return time;
    case DateKind::DateTime:
        return date + QLatin1Char(' ') + time;
    case DateKind::None:
        break;
    }
    return QString();
}

namespace {

// One section of a number format, split into what it shows.
struct FormatToken
{
    enum class Kind : quint8
    {
        Literal,
        IntegerDigit,
        FractionDigit,
        ExponentDigit,
        DecimalPoint,
        Exponent,
        General
    };
    Kind kind;
    QString text; // the literal, the placeholder character, or the exponent's sign ("+" or "-")
};

struct ParsedSection
{
    QList<FormatToken> tokens;
    bool grouping = false;
    int percent = 0;
    int thousandsScale = 0;
    bool understood = true;
    bool hasPlaceholder = false;
};

bool isPlaceholder(QChar c)
{
    return c == QLatin1Char('0') || c == QLatin1Char('#') || c == QLatin1Char('?');
}

// Splits at semicolons that are not quoted, escaped or inside brackets.
QStringList formatSections(const QString& code)
{
    QStringList sections;
    QString current;
    bool quoted = false;
    bool bracket = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (quoted) {
            quoted = c != QLatin1Char('"');
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char('\\') && i + 1 < code.size()) {
            current += c;
            current += code.at(++i);
            continue;
        } else if (c == QLatin1Char('[')) {
            bracket = true;
        } else if (c == QLatin1Char(']')) {
            bracket = false;
        } else if (c == QLatin1Char(';') && !bracket) {
            sections << current;
            current.clear();
            continue;
        }
        current += c;
    }
    sections << current;
    return sections;
}

ParsedSection parseSection(const QString& section)
{
    ParsedSection parsed;
    auto literal = [&parsed](const QString& text) {
        if (!parsed.tokens.isEmpty() && parsed.tokens.last().kind == FormatToken::Kind::Literal)
            parsed.tokens.last().text += text;
        else
            parsed.tokens.push_back({FormatToken::Kind::Literal, text});
    };
    bool inFraction = false;
    bool inExponent = false;
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section.at(i);
        if (c == QLatin1Char('"')) {
            const qsizetype close = section.indexOf(QLatin1Char('"'), i + 1);
            literal(section.mid(i + 1, close < 0 ? -1 : close - i - 1));
            i = close < 0 ? section.size() : close;
        } else if (c == QLatin1Char('\\')) {
            if (i + 1 < section.size())
                literal(QString(section.at(++i)));
        } else if (c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i; // padding to the width of, or filling with, the next character: no content
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = section.indexOf(QLatin1Char(']'), i);
            const QString inside = section.mid(i + 1, close < 0 ? -1 : close - i - 1);
            if (inside.startsWith(QLatin1Char('$'))) {
                literal(inside.mid(1).section(QLatin1Char('-'), 0, 0)); // a currency symbol and its locale
            } else if (inside.startsWith(QLatin1Char('<')) || inside.startsWith(QLatin1Char('>')) ||
                       inside.startsWith(QLatin1Char('='))) {
                parsed.understood = false; // conditions choose sections by value
            }
            i = close < 0 ? section.size() : close;
        } else if (isPlaceholder(c)) {
            parsed.hasPlaceholder = true;
            const auto kind = inExponent   ? FormatToken::Kind::ExponentDigit
                              : inFraction ? FormatToken::Kind::FractionDigit
                                           : FormatToken::Kind::IntegerDigit;
            parsed.tokens.push_back({kind, QString(c)});
        } else if (c == QLatin1Char('.') && !inFraction && !inExponent) {
            inFraction = true;
            parsed.tokens.push_back({FormatToken::Kind::DecimalPoint, QStringLiteral(".")});
        } else if (c == QLatin1Char(',') && !inFraction && !inExponent && parsed.hasPlaceholder) {
            if (i + 1 < section.size() && isPlaceholder(section.at(i + 1)))
                parsed.grouping = true;
            else
                ++parsed.thousandsScale;
        } else if (c == QLatin1Char('%')) {
            ++parsed.percent;
            literal(QStringLiteral("%"));
        } else if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && i + 1 < section.size() &&
                   (section.at(i + 1) == QLatin1Char('+') || section.at(i + 1) == QLatin1Char('-')) &&
                   parsed.hasPlaceholder && !inExponent) {
            inExponent = true;
            parsed.tokens.push_back({FormatToken::Kind::Exponent, QString(section.at(++i))});
        } else if (c == QLatin1Char('/') && parsed.hasPlaceholder) {
            parsed.understood = false; // fractions
        } else if (section.mid(i, 7).compare(QLatin1String("General"), Qt::CaseInsensitive) == 0) {
            parsed.tokens.push_back({FormatToken::Kind::General, QString()});
            i += 6;
        } else if (c == QLatin1Char('@')) {
            parsed.tokens.push_back({FormatToken::Kind::General, QString()});
        } else {
            literal(QString(c));
        }
    }
    return parsed;
}

int countOf(const ParsedSection& section, FormatToken::Kind kind, QChar placeholder = QChar())
{
    int n = 0;
    for (const FormatToken& t : section.tokens)
        if (t.kind == kind && (placeholder.isNull() || t.text.at(0) == placeholder))
            ++n;
    return n;
}

QString grouped(const QString& digits)
{
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits.at(i);
    }
    return out;
}

// The section's digits for a value of at least 0, and the exponent when it shows one.
QString renderSection(const ParsedSection& s, double value)
{
    for (int i = 0; i < s.percent; ++i)
        value *= 100;
    for (int i = 0; i < s.thousandsScale; ++i)
        value /= 1000;
    const int fractionDigits = countOf(s, FormatToken::Kind::FractionDigit);
    const int integerPlaces = countOf(s, FormatToken::Kind::IntegerDigit);
    const bool scientific = countOf(s, FormatToken::Kind::Exponent) > 0;
    int exponent = 0;
    if (scientific && value != 0) {
        exponent = static_cast<int>(std::floor(std::log10(value))) - (std::max(1, integerPlaces) - 1);
        value /= std::pow(10.0, exponent);
        // Rounding may carry into another digit: 9.996 as 1.00E+01, not 10.00E+00.
        const QString rounded = QString::number(value, 'f', fractionDigits);
        if (rounded.section(QLatin1Char('.'), 0, 0).size() > std::max(1, integerPlaces)) {
            ++exponent;
            value /= 10;
        }
    }
    const QString fixed = QString::number(value, 'f', fractionDigits);
    QString integerDigits = fixed.section(QLatin1Char('.'), 0, 0);
    QString fraction = fractionDigits > 0 ? fixed.section(QLatin1Char('.'), 1, 1) : QString();
    if (integerDigits == QLatin1String("0"))
        integerDigits.clear();

    // Trailing fraction placeholders '#' drop zeros, '?' show them as spaces.
    QList<QChar> fractionPlaces;
    for (const FormatToken& t : s.tokens)
        if (t.kind == FormatToken::Kind::FractionDigit)
            fractionPlaces << t.text.at(0);
    for (qsizetype i = fraction.size() - 1; i >= 0 && fraction.at(i) == QLatin1Char('0'); --i) {
        if (fractionPlaces.value(i) == QLatin1Char('#'))
            fraction[i] = QChar();
        else if (fractionPlaces.value(i) == QLatin1Char('?'))
            fraction[i] = QLatin1Char(' ');
        else
            break;
    }

    // Integer digits fill the placeholders from the right; the leftmost takes any left over.
    QStringList integerOut(integerPlaces);
    if (s.grouping) {
        const int zeros = countOf(s, FormatToken::Kind::IntegerDigit, QLatin1Char('0'));
        QString digits = integerDigits;
        while (digits.size() < zeros)
            digits.prepend(QLatin1Char('0'));
        if (integerPlaces > 0)
            integerOut[0] = grouped(digits);
    } else {
        QList<QChar> places;
        for (const FormatToken& t : s.tokens)
            if (t.kind == FormatToken::Kind::IntegerDigit)
                places << t.text.at(0);
        qsizetype next = integerDigits.size() - 1;
        for (qsizetype p = places.size() - 1; p >= 0; --p) {
            if (next >= 0) {
                integerOut[p] = QString(integerDigits.at(next--));
            } else if (places[p] == QLatin1Char('0')) {
                integerOut[p] = QStringLiteral("0");
            } else if (places[p] == QLatin1Char('?')) {
                integerOut[p] = QStringLiteral(" ");
            }
        }
        if (next >= 0 && !places.isEmpty())
            integerOut[0].prepend(integerDigits.left(next + 1));
    }

    const int exponentZeros = countOf(s, FormatToken::Kind::ExponentDigit, QLatin1Char('0'));
    QString exponentDigits = QString::number(std::abs(exponent));
    while (exponentDigits.size() < exponentZeros)
        exponentDigits.prepend(QLatin1Char('0'));

    QString out;
    int integerIndex = 0;
    int fractionIndex = 0;
    bool exponentWritten = false;
    for (const FormatToken& t : s.tokens) {
        switch (t.kind) {
        case FormatToken::Kind::Literal:
            out += t.text;
            break;
        case FormatToken::Kind::General:
            out += numberText(value);
            break;
        case FormatToken::Kind::IntegerDigit:
            out += integerOut.value(integerIndex++);
            break;
        case FormatToken::Kind::FractionDigit:
            if (const QChar c = fraction.at(fractionIndex++); !c.isNull())
                out += c;
            break;
        case FormatToken::Kind::DecimalPoint:
            out += QLatin1Char('.');
            break;
        case FormatToken::Kind::Exponent:
            out += QLatin1Char('E');
            out += exponent < 0                   ? QStringLiteral("-")
                   : t.text == QLatin1String("+") ? QStringLiteral("+")
                                                  : QString();
            break;
        case FormatToken::Kind::ExponentDigit:
            if (!exponentWritten)
                out += exponentDigits;
            exponentWritten = true;
            break;
        }
    }
    return out;
}

bool showsOnlyZeros(const QString& text)
{
    for (const QChar c : text)
        if (c.isDigit() && c != QLatin1Char('0'))
            return false;
    return true;
}

} // namespace

QString builtInFormatCode(int formatId)
{
    switch (formatId) {
    case 1:
        return QStringLiteral("0");
    case 2:
        return QStringLiteral("0.00");
    case 3:
        return QStringLiteral("#,##0");
    case 4:
        return QStringLiteral("#,##0.00");
    case 5:
    case 6:
        return QStringLiteral("\"¥\"#,##0;\"¥\"-#,##0");
    case 7:
    case 8:
        return QStringLiteral("\"¥\"#,##0.00;\"¥\"-#,##0.00");
    case 9:
        return QStringLiteral("0%");
    case 10:
        return QStringLiteral("0.00%");
    case 11:
        return QStringLiteral("0.00E+00");
    case 37:
    case 38:
        return QStringLiteral("#,##0;(#,##0)");
    case 39:
    case 40:
        return QStringLiteral("#,##0.00;(#,##0.00)");
    case 41:
        return QStringLiteral("#,##0;-#,##0;\"-\"");
    case 42:
        return QStringLiteral("\"¥\"#,##0;\"¥\"-#,##0;\"¥\"\"-\"");
    case 43:
        return QStringLiteral("#,##0.00;-#,##0.00;\"-\"");
    case 44:
        return QStringLiteral("\"¥\"#,##0.00;\"¥\"-#,##0.00;\"¥\"\"-\"");
    case 48:
        return QStringLiteral("##0.0E+0");
    default:
        return {};
    }
}

QString formatCellNumber(double value, const QString& code)
{
    if (code.isEmpty() || !std::isfinite(value))
        return numberText(value);
    const QStringList sections = formatSections(code);
    qsizetype chosen = 0;
    bool ownSign = false; // the section shows the sign itself, or none
    if (value < 0 && sections.size() >= 2) {
        chosen = 1;
        ownSign = true;
    } else if (value == 0 && sections.size() >= 3) {
        chosen = 2;
    }
    const ParsedSection section = parseSection(sections.at(chosen));
    if (!section.understood)
        return numberText(value);
    if (!section.hasPlaceholder && countOf(section, FormatToken::Kind::General) == 0 && chosen == 0 &&
        sections.size() == 1)
        return numberText(value); // "@" alone and similar: the number as it is
    const QString text = renderSection(section, std::fabs(value));
    if (value < 0 && !ownSign && !showsOnlyZeros(text))
        return QLatin1Char('-') + text;
    return text;
}

} // namespace zu
