#include "servicewarranty.h"

#include "data/connection.h"
#include "data/query.h"

namespace zu {

QVariant ServiceWarranty::storedValue() const
{
    switch (state) {
    case WarrantyState::In:
        return true;
    case WarrantyState::Out:
        return false;
    case WarrantyState::Unknown:
        break;
    }
    return QVariant(QMetaType::fromType<bool>());
}

QString ServiceWarranty::text() const
{
    if (state == WarrantyState::Unknown)
        return QStringLiteral("保修状态未知（客户不存在或未填购买日期）");
    return QStringLiteral("%1（保修至 %2）")
        .arg(state == WarrantyState::In ? QStringLiteral("在保") : QStringLiteral("过保"),
             end.toString(QStringLiteral("yyyy-MM-dd")));
}

ServiceWarranty serviceWarranty(Connection& connection, const QString& customerCode, const QString& model,
                                const QDate& serviceDay)
{
    if (customerCode.isEmpty() || !serviceDay.isValid())
        return {};
    Query q(connection);
    q.open(QStringLiteral("select EmptionDate, Goodsunit from T_Cust where IDCode = ?"), {customerCode});
    if (q.eof())
        return {};
    const QDate purchase = q.asDateTime(QStringLiteral("EmptionDate")).date();
    const QString machine = model.trimmed().isEmpty() ? q.asString(QStringLiteral("Goodsunit")) : model;
    q.close();
    if (!purchase.isValid())
        return {};
    const WarrantyTerms terms = WarrantyTerms::load(connection);
    return {.state = terms.stateOn(purchase, machine, serviceDay), .end = terms.endOf(purchase, machine)};
}

} // namespace zu
