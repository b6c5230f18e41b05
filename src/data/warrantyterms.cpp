#include "warrantyterms.h"

#include "connection.h"
#include "errors.h"
#include "lookuplists.h"
#include "query.h"

#include <algorithm>
#include <QSet>

namespace zu {

namespace {

// Models compare without the blanks around them, as the statements' trim() does.
QString modelKey(const QString& model)
{
    qsizetype first = 0;
    qsizetype last = model.size();
    while (first < last && model[first] == u' ')
        ++first;
    while (last > first && model[last - 1] == u' ')
        --last;
    return model.mid(first, last - first);
}

QString dateText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

QDate warrantyEnd(const QDate& purchase, int months)
{
    return purchase.isValid() ? purchase.addMonths(months) : QDate();
}

WarrantyState warrantyStateOn(const QDate& purchase, int months, const QDate& day)
{
    if (!purchase.isValid() || !day.isValid())
        return WarrantyState::Unknown;
    return day <= warrantyEnd(purchase, months) ? WarrantyState::In : WarrantyState::Out;
}

WarrantyTerms WarrantyTerms::load(Connection& connection)
{
    WarrantyTerms terms;
    Query q(connection);
    for (q.open(QStringLiteral("select Goodsunit, Months from T_warranty order by id")); !q.eof(); q.next()) {
        const QString model = q.value(0).toString();
        const int months = q.value(1).toInt();
        if (modelKey(model).isEmpty())
            terms.m_default = months;
        else
            terms.setMonths(model, months);
    }
    return terms;
}

void WarrantyTerms::save(Connection& connection) const
{
    TransactionGuard tx(connection);
    Query q(connection);
    q.exec(QStringLiteral("delete from T_warranty"));
    const QString insert = QStringLiteral("insert into T_warranty (Goodsunit, Months) values (?, ?)");
    auto write = [&](const QString& model, int months) {
        if (q.exec(insert, {model, months}) != 1)
            throw DbError(QStringLiteral("保修期“%1”未能保存").arg(model));
    };
    write(QStringLiteral(""), m_default); // the row of every model not listed: an empty model
    for (const ModelMonths& entry : listed())
        write(entry.model, entry.months);
    tx.commit();
}

void WarrantyTerms::setMonths(const QString& model, std::optional<int> months)
{
    const QString key = modelKey(model);
    if (key.isEmpty())
        return;
    if (months)
        m_byModel.insert(key, {.model = key, .months = *months});
    else
        m_byModel.remove(key);
}

QList<WarrantyTerms::ModelMonths> WarrantyTerms::listed() const
{
    QList<ModelMonths> all = m_byModel.values();
    std::sort(all.begin(), all.end(),
              [](const ModelMonths& a, const ModelMonths& b) { return a.model < b.model; });
    return all;
}

std::optional<int> WarrantyTerms::listedMonths(const QString& model) const
{
    if (const auto it = m_byModel.constFind(modelKey(model)); it != m_byModel.constEnd())
        return it->months;
    return std::nullopt;
}

int WarrantyTerms::monthsFor(const QString& model) const
{
    return listedMonths(model).value_or(m_default);
}

QDate WarrantyTerms::endOf(const QDate& purchase, const QString& model) const
{
    return warrantyEnd(purchase, monthsFor(model));
}

WarrantyState WarrantyTerms::stateOn(const QDate& purchase, const QString& model, const QDate& day) const
{
    return warrantyStateOn(purchase, monthsFor(model), day);
}

QStringList warrantyModels(Connection& connection, const WarrantyTerms& terms)
{
    QStringList models;
    QSet<QString> seen;
    const Statement list = lookupListStatement(connection.dialect(), QStringLiteral("型号"));
    Query q(connection);
    for (q.open(list.sql, list.bindValues); !q.eof(); q.next()) {
        const QString model = modelKey(q.value(QStringLiteral("caption")).toString());
        if (!model.isEmpty() && !seen.contains(model)) {
            seen.insert(model);
            models << model;
        }
    }
    for (const WarrantyTerms::ModelMonths& entry : terms.listed())
        if (!seen.contains(entry.model))
            models << entry.model;
    return models;
}

QString warrantyLine(const WarrantyTerms& terms, const QDate& purchase, const QString& model,
                     const QDate& today)
{
    if (!purchase.isValid())
        return QStringLiteral("未填购买日期，无法计算保修期");
    const bool in = terms.stateOn(purchase, model, today) == WarrantyState::In;
    return QStringLiteral("保修至 %1（%2）")
        .arg(dateText(terms.endOf(purchase, model)), in ? QStringLiteral("在保") : QStringLiteral("过保"));
}

QString warrantyMonthsExpression(const QString& modelColumn)
{
    return QStringLiteral(
               "coalesce((select wt.Months from T_warranty wt where wt.Goodsunit = trim(%1) and "
               "wt.Goodsunit <> ''), (select wt.Months from T_warranty wt where wt.Goodsunit = ''), %2)")
        .arg(modelColumn)
        .arg(WarrantyTerms::kDefaultMonths);
}

} // namespace zu
