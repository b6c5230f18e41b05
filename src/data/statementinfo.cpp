#include "statementinfo.h"

#include <QRegularExpression>

namespace zu {

namespace {

QString firstWord(const QString& sql)
{
    static const QRegularExpression word(QStringLiteral("^\\s*([A-Za-z]+)"));
    return word.match(sql).captured(1).toLower();
}

QString unquoted(QString name)
{
    name = name.trimmed();
    if (name.size() >= 2 && ((name.front() == QLatin1Char('[') && name.back() == QLatin1Char(']')) ||
                             (name.front() == QLatin1Char('"') && name.back() == QLatin1Char('"'))))
        return name.mid(1, name.size() - 2);
    return name;
}

// Splits at commas outside brackets and quotes.
QStringList splitList(const QString& text)
{
    QStringList parts;
    QString current;
    int depth = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('('))
            ++depth;
        else if (!quoted && c == QLatin1Char(')'))
            --depth;
        if (c == QLatin1Char(',') && depth == 0 && !quoted) {
            parts << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        parts << current.trimmed();
    return parts;
}

} // namespace

bool isReadOnlyStatement(const QString& sql)
{
    const QString word = firstWord(sql);
    if (word == QLatin1String("select") || word == QLatin1String("explain"))
        return true;
    if (word == QLatin1String("with"))
        return !sql.contains(QRegularExpression(QStringLiteral("\\b(insert|update|delete)\\b"),
                                                QRegularExpression::CaseInsensitiveOption));
    if (word == QLatin1String("pragma"))
        return !sql.contains(QLatin1Char('='));
    return false;
}

QString writtenTable(const QString& sql)
{
    static const QRegularExpression written(
        QStringLiteral("^\\s*(?:insert\\s+into|update|delete\\s+from)\\s+(\\[[^\\]]+\\]|\"[^\"]+\"|[\\w.]+)"),
        QRegularExpression::CaseInsensitiveOption);
    return unquoted(written.match(sql).captured(1));
}

QList<QPair<QString, QVariant>> assignedValues(const QString& sql, const QVariantList& bindValues)
{
    QList<QPair<QString, QVariant>> assigned;
    const QString word = firstWord(sql);
    if (word == QLatin1String("insert")) {
        static const QRegularExpression insert(
            QStringLiteral("^\\s*insert\\s+into\\s+\\S+\\s*\\(([^)]*)\\)\\s*values\\s*\\((.*)\\)"),
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
        const auto m = insert.match(sql);
        if (!m.hasMatch())
            return assigned;
        const QStringList columns = splitList(m.captured(1));
        // Up to the closing bracket of the value list (a "returning" may follow).
        QString values = m.captured(2);
        const qsizetype end = values.lastIndexOf(QLatin1Char(')'));
        if (values.contains(QRegularExpression(QStringLiteral("\\)\\s*returning"),
                                               QRegularExpression::CaseInsensitiveOption)) &&
            end >= 0)
            values = values.left(end);
        const QStringList expressions = splitList(values);
        int bound = 0;
        for (int i = 0; i < expressions.size(); ++i) {
            const QString& e = expressions[i];
            if (e == QLatin1String("?") && i < columns.size() && bound < bindValues.size())
                assigned.append({unquoted(columns[i]), bindValues[bound]});
            bound += int(e.count(QLatin1Char('?')));
        }
        return assigned;
    }
    if (word == QLatin1String("update")) {
        static const QRegularExpression update(
            QStringLiteral("^\\s*update\\s+\\S+\\s+set\\s+(.*?)(?:\\s+where\\s+.*)?$"),
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
        const auto m = update.match(sql);
        if (!m.hasMatch())
            return assigned;
        int bound = 0;
        for (const QString& assignment : splitList(m.captured(1))) {
            const qsizetype equals = assignment.indexOf(QLatin1Char('='));
            if (equals < 0)
                continue;
            const QString value = assignment.mid(equals + 1).trimmed();
            if (value == QLatin1String("?") && bound < bindValues.size())
                assigned.append({unquoted(assignment.left(equals)), bindValues[bound]});
            bound += int(value.count(QLatin1Char('?')));
        }
    }
    return assigned;
}

} // namespace zu
