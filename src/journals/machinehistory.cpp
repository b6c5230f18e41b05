#include "machinehistory.h"

#include "data/connection.h"
#include "data/query.h"
#include "data/sqldialect.h"

#include <QStringList>

#include <algorithm>

namespace zu {

namespace {

// "原因：…；处理：…" from the parts that hold text.
QString joined(std::initializer_list<QPair<const char*, QString>> parts)
{
    QStringList out;
    for (const auto& [label, text] : parts) {
        const QString t = text.trimmed();
        if (t.isEmpty())
            continue;
        out << (*label ? QString::fromUtf8(label) + QStringLiteral("：") + t : t);
    }
    return out.join(QStringLiteral("；"));
}

// The journal rows of the buyers' codes: one statement per table, the codes bound.
QString inList(qsizetype count)
{
    QStringList marks;
    for (qsizetype i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(QLatin1Char(','));
}

} // namespace

QString MachineEvent::kindText() const
{
    switch (kind) {
    case Kind::Purchase:
        return QStringLiteral("购买");
    case Kind::Service:
        return QStringLiteral("维修");
    case Kind::Call:
        return QStringLiteral("回访");
    case Kind::Complaint:
        return QStringLiteral("投诉");
    }
    return {};
}

QList<MachineEvent> machineHistory(Connection& connection, const QString& goodsCode)
{
    QList<MachineEvent> events;
    const QString code = goodsCode.trimmed();
    if (code.isEmpty())
        return events;
    const SqlDialect& dialect = connection.dialect();
    Query q(connection);

    QVariantList buyers;
    q.open(QStringLiteral("select IDCode, CustName, EmptionDate, Goodsunit, BusinessMen, Emptionaddress "
                          "from T_Cust where %1")
               .arg(dialect.textEquals(QStringLiteral("trim(GoodsCode)"))),
           {code});
    for (; !q.eof(); q.next()) {
        events.push_back({.kind = MachineEvent::Kind::Purchase,
                          .date = q.asDateTime(QStringLiteral("EmptionDate")),
                          .customerCode = q.asString(QStringLiteral("IDCode")),
                          .customerName = q.asString(QStringLiteral("CustName")),
                          .model = q.asString(QStringLiteral("Goodsunit")),
                          .person = q.asString(QStringLiteral("BusinessMen")),
                          .detail = joined({{"购买地点", q.asString(QStringLiteral("Emptionaddress"))}})});
        if (!events.back().customerCode.isEmpty())
            buyers << events.back().customerCode;
    }

    q.open(QStringLiteral("select CustCode, CustName, serviceDate, Goodsunit, hitchName, servicedeMen, "
                          "servicedepartment, Remark from T_service where %1")
               .arg(dialect.textEquals(QStringLiteral("trim(GoodsCode)"))),
           {code});
    for (; !q.eof(); q.next())
        events.push_back({.kind = MachineEvent::Kind::Service,
                          .date = q.asDateTime(QStringLiteral("serviceDate")),
                          .customerCode = q.asString(QStringLiteral("CustCode")),
                          .customerName = q.asString(QStringLiteral("CustName")),
                          .model = q.asString(QStringLiteral("Goodsunit")),
                          .person = q.asString(QStringLiteral("servicedeMen")),
                          .detail = joined({{"故障原因", q.asString(QStringLiteral("hitchName"))},
                                            {"维修部门", q.asString(QStringLiteral("servicedepartment"))},
                                            {"备注", q.asString(QStringLiteral("Remark"))}})});

    if (!buyers.isEmpty()) {
        q.open(QStringLiteral("select CustCode, CustName, callDate, callMen, callRemark, callRemarkhandle "
                              "from T_call where CustCode in (%1)")
                   .arg(inList(buyers.size())),
               buyers);
        for (; !q.eof(); q.next())
            events.push_back({.kind = MachineEvent::Kind::Call,
                              .date = q.asDateTime(QStringLiteral("callDate")),
                              .customerCode = q.asString(QStringLiteral("CustCode")),
                              .customerName = q.asString(QStringLiteral("CustName")),
                              .model = {},
                              .person = q.asString(QStringLiteral("callMen")),
                              .detail = joined({{"", q.asString(QStringLiteral("callRemark"))},
                                                {"处理", q.asString(QStringLiteral("callRemarkhandle"))}})});
        q.open(QStringLiteral(
                   "select CustCode, CustName, complainDate, complainType, complainMen, complaincause, "
                   "complainresult from T_complain where CustCode in (%1)")
                   .arg(inList(buyers.size())),
               buyers);
        for (; !q.eof(); q.next())
            events.push_back({.kind = MachineEvent::Kind::Complaint,
                              .date = q.asDateTime(QStringLiteral("complainDate")),
                              .customerCode = q.asString(QStringLiteral("CustCode")),
                              .customerName = q.asString(QStringLiteral("CustName")),
                              .model = {},
                              .person = q.asString(QStringLiteral("complainMen")),
                              .detail = joined({{"级别", q.asString(QStringLiteral("complainType"))},
                                                {"原因", q.asString(QStringLiteral("complaincause"))},
                                                {"结果", q.asString(QStringLiteral("complainresult"))}})});
    }

    // On the same day the later step of a machine's life comes first: a service before the sale.
    std::stable_sort(events.begin(), events.end(), [](const MachineEvent& a, const MachineEvent& b) {
        if (a.date.isNull() != b.date.isNull())
            return b.date.isNull();
        if (a.date != b.date)
            return a.date > b.date;
        return a.kind > b.kind;
    });
    return events;
}

QString machineCodeOf(Connection& connection, const QString& ownCode, const QString& customerCode)
{
    if (!ownCode.trimmed().isEmpty() || customerCode.isEmpty())
        return ownCode.trimmed();
    Query q(connection);
    q.open(QStringLiteral("select GoodsCode from T_Cust where IDCode = ?"), {customerCode});
    return q.eof() ? QString() : q.asString(QStringLiteral("GoodsCode")).trimmed();
}

QStringList customersOf(const QList<MachineEvent>& history)
{
    QStringList codes;
    for (const MachineEvent& e : history)
        if (!codes.contains(e.customerCode))
            codes << e.customerCode;
    return codes;
}

} // namespace zu
