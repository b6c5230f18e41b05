#include "quickfind.h"

#include "data/connection.h"
#include "data/findcolumns.h"
#include "data/findtextparts.h"
#include "data/query.h"
#include "data/sqldialect.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <algorithm>

namespace zu {

namespace {

// FindText's parts: name, phone, mobile, customer code, body code, initials (findColumnsOf).
constexpr qsizetype kBodyCodePart = 4;

// How much further than the first customers quick find reads on, at most, when a few of them
// hold the text.
constexpr int kReadOnFactor = 10;

const QString kCustomerColumns =
    QStringLiteral("CusttityID, CustName, IDCode, Phone, Mobile, GoodsCode, NameInitials");

bool isPhoneLike(const QString& text)
{
    bool digit = false;
    for (const QChar c : text) {
        if (c.isDigit())
            digit = true;
        else if (!c.isSpace() && !QStringLiteral("-+()（）.").contains(c))
            return false;
    }
    return digit;
}

bool isLatinLetters(const QString& text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    });
}

QString withoutBlanks(const QString& text)
{
    QString out;
    for (const QChar c : text)
        if (!c.isSpace())
            out += c;
    return out;
}

// The candidates gathered so far, each with its best rank.
class Candidates final
{
public:
    void add(const Query& q, QuickFindHit::Rank rank, const QString& machineCode = {})
    {
        const qint64 id = q.value(0).toLongLong();
        if (const auto it = m_index.constFind(id); it != m_index.constEnd()) {
            QuickFindHit& hit = m_hits[it.value()];
            hit.rank = std::min(hit.rank, rank);
            if (hit.machineCode.isEmpty())
                hit.machineCode = machineCode;
            return;
        }
        m_index.insert(id, m_hits.size());
        m_hits.push_back({.id = id,
                          .name = q.value(1).toString(),
                          .code = q.value(2).toString(),
                          .phone = q.value(3).toString(),
                          .mobile = q.value(4).toString(),
                          .goodsCode = q.value(5).toString(),
                          .rank = rank,
                          .machineCode = machineCode});
    }

    int beforeContained() const
    {
        return int(std::count_if(m_hits.cbegin(), m_hits.cend(),
                                 [](const QuickFindHit& h) { return h.rank != QuickFindHit::Contained; }));
    }

    QList<QuickFindHit> best(int limit)
    {
        std::stable_sort(m_hits.begin(), m_hits.end(), [](const QuickFindHit& a, const QuickFindHit& b) {
            if (a.rank != b.rank)
                return a.rank < b.rank;
            if (a.code != b.code)
                return a.code < b.code;
            return a.id < b.id;
        });
        return m_hits.mid(0, limit);
    }

private:
    QList<QuickFindHit> m_hits;
    QHash<qint64, qsizetype> m_index;
};

class Finder final
{
public:
    Finder(Connection& connection, int limit) : m_connection(connection), m_q(connection), m_limit(limit) {}

    // Customers whose column begins with `text`: those where it is the whole value rank first.
    // NameInitials holds the most common spelling first; the others are found in FindText.
    void byBeginning(const QString& column, const QString& text)
    {
        const SqlDialect& dialect = m_connection.dialect();
        m_q.open(QStringLiteral("select %1 from T_Cust where %2 order by %3%4 limit %5")
                     .arg(kCustomerColumns, dialect.prefixCondition(column), column, dialect.byteOrder)
                     .arg(m_limit),
                 prefixBounds(text));
        const int valueColumn = m_q.fieldIndex(column);
        for (; !m_q.eof(); m_q.next()) {
            QString value = m_q.value(valueColumn).toString();
            if (column == QLatin1String("NameInitials"))
                value = value.section(QLatin1Char(' '), 0, 0);
            const bool byMachine = column == QLatin1String("GoodsCode");
            add(value == text ? QuickFindHit::Exact : QuickFindHit::Beginning, byMachine ? value : QString());
        }
    }

    // Customers with a service record whose body code begins with `text`.
    void byServiceBodyCode(const QString& text)
    {
        const SqlDialect& dialect = m_connection.dialect();
        m_q.open(
            QStringLiteral("select CustCode, GoodsCode from T_service where %1 order by GoodsCode%2 limit %3")
                .arg(dialect.prefixCondition(QStringLiteral("GoodsCode")), dialect.byteOrder)
                .arg(m_limit),
            prefixBounds(text));
        // A customer with many records of the machine is read once; the body code typed whole
        // stands for it, else the first (in order) that begins with it.
        QHash<QString, QString> machineByCustomer;
        for (; !m_q.eof(); m_q.next()) {
            QString& machine = machineByCustomer[m_q.value(0).toString()];
            const QString body = m_q.value(1).toString();
            if (machine.isEmpty() || body == text)
                machine = body;
        }
        machineByCustomer.remove(QString());
        for (auto it = machineByCustomer.cbegin(); it != machineByCustomer.cend(); ++it) {
            const QString& machine = it.value();
            m_q.open(QStringLiteral("select %1 from T_Cust where IDCode = ?").arg(kCustomerColumns),
                     {it.key()});
            for (; !m_q.eof(); m_q.next())
                add(machine == text ? QuickFindHit::Exact : QuickFindHit::Beginning, machine);
        }
    }

    // Customers whose FindText holds `text` anywhere, those with the lowest keys first. A part of
    // it that is the text, or begins with it, ranks as such: a number typed without its
    // separators, a code in other letter case, initials of a less common reading.
    void byContained(const QString& text, int wanted, int scanned)
    {
        // A text many customers hold is found among the first few read in order; only a rarer
        // one is looked up in the index of FindText's parts, which then offers few rows.
        const SqlDialect& dialect = m_connection.dialect();
        QList<QPair<qint64, QString>> rows;
        if (scanned > 0) {
            readFirst(text, wanted, scanned, &rows);
            // Some but too few among the first: read on as far as such a share promises enough,
            // which costs less than checking every row the index offers for a short text.
            const qint64 promising = qint64(scanned) * wanted / std::max<qsizetype>(rows.size(), 1) * 2;
            if (!rows.isEmpty() && rows.size() < wanted && promising <= qint64(scanned) * kReadOnFactor)
                readFirst(text, wanted, int(promising), &rows);
        }
        if (rows.size() < wanted) {
            rows.clear();
            const BoundSelect lookup = customersHolding(dialect, text, wanted);
            m_q.open(lookup.sql, lookup.bindValues);
            for (; !m_q.eof(); m_q.next())
                rows.push_back({m_q.value(0).toLongLong(), m_q.value(1).toString()});
        }
        QHash<qint64, QuickFindHit::Rank> ranks;
        QSet<qint64> byMachine; // the body code (in lower case) begins with the text
        for (const auto& [id, findText] : std::as_const(rows)) {
            QuickFindHit::Rank rank = QuickFindHit::Contained;
            const QStringList parts = findText.split(FindColumns::kSeparator);
            for (const QString& part : parts)
                if (part.startsWith(text))
                    rank = std::min(rank, part == text ? QuickFindHit::Exact : QuickFindHit::Beginning);
            if (parts.size() > kBodyCodePart && parts[kBodyCodePart].startsWith(text))
                byMachine.insert(id);
            ranks.insert(id, rank);
        }
        if (ranks.isEmpty())
            return;
        QVariantList ids;
        for (auto it = ranks.cbegin(); it != ranks.cend(); ++it)
            ids << it.key();
        m_q.open(
            QStringLiteral("select %1 from T_Cust where CusttityID in (%2)")
                .arg(kCustomerColumns, QStringList(ids.size(), QStringLiteral("?")).join(QLatin1Char(','))),
            ids);
        for (; !m_q.eof(); m_q.next()) {
            const qint64 id = m_q.value(0).toLongLong();
            add(ranks.value(id), byMachine.contains(id) ? m_q.value(5).toString() : QString());
        }
    }

    Candidates& candidates() { return m_candidates; }

private:
    // The customers among the first `scanned` (in key order) whose FindText holds `text`, at most
    // `wanted`. No order outside: the rows come as read, in order of their keys, and reading
    // stops at the limit.
    void readFirst(const QString& text, int wanted, int scanned, QList<QPair<qint64, QString>>* rows)
    {
        rows->clear();
        m_q.open(QStringLiteral("select CusttityID, FindText from (select CusttityID, FindText from T_Cust "
                                "order by CusttityID limit %1) first_read where %2 limit %3")
                     .arg(scanned)
                     .arg(QLatin1String(kFindTextHolds))
                     .arg(wanted),
                 {likeContains(text)});
        for (; !m_q.eof(); m_q.next())
            rows->push_back({m_q.value(0).toLongLong(), m_q.value(1).toString()});
    }

    void add(QuickFindHit::Rank rank, const QString& machineCode = {})
    {
        m_candidates.add(m_q, rank, machineCode);
    }

    Connection& m_connection;
    Query m_q;
    int m_limit;
    Candidates m_candidates;
};

} // namespace

QString QuickFindHit::text() const
{
    QStringList parts{name, code};
    for (const QString& more : {phone, mobile, goodsCode})
        if (!more.trimmed().isEmpty())
            parts << more;
    return parts.join(QStringLiteral("  "));
}

QStringList machineCodesOf(const QList<QuickFindHit>& hits, int limit)
{
    QStringList codes;
    for (const QuickFindHit& hit : hits)
        if (codes.size() < limit && !hit.machineCode.isEmpty() && !codes.contains(hit.machineCode))
            codes << hit.machineCode;
    return codes;
}

QList<QuickFindHit> quickFind(Connection& connection, const QString& typed, int limit, int scanned)
{
    const QString text = typed.trimmed();
    if (text.isEmpty() || limit <= 0)
        return {};
    Finder finder(connection, limit);
    const QString digits = isPhoneLike(text) ? phoneDigits(text) : QString();

    for (const char* column : {"IDCode", "GoodsCode", "CustName", "Phone", "Mobile"})
        finder.byBeginning(QLatin1String(column), text);
    if (!digits.isEmpty() && digits != text)
        for (const char* column : {"Phone", "Mobile"})
            finder.byBeginning(QLatin1String(column), digits);
    if (isLatinLetters(text))
        finder.byBeginning(QStringLiteral("NameInitials"), text.toLower());
    finder.byServiceBodyCode(text);

    // What holds the text elsewhere only counts when the better matches leave room.
    const int room = limit - finder.candidates().beforeContained();
    if (room > 0) {
        const QString searched = digits.isEmpty() ? withoutBlanks(text).toCaseFolded() : digits;
        // Those already found are among the rows read at most once each: `limit` rows leave room.
        finder.byContained(searched, limit, scanned);
    }
    return finder.candidates().best(limit);
}

} // namespace zu
