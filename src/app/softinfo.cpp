#include "softinfo.h"

#include "data/query.h"

#include <QStringList>
#include <utility>

namespace zu {

namespace {

// The columns of the details, in the order the statements name them.
const std::pair<const char*, QString CompanyInfo::*> kColumns[] = {
    {"CoName", &CompanyInfo::coName}, {"Contact", &CompanyInfo::contact}, {"Address", &CompanyInfo::address},
    {"Phone", &CompanyInfo::phone},   {"Fax", &CompanyInfo::fax},         {"Email", &CompanyInfo::email},
};

} // namespace

QString readVersion(Query& query)
{
    query.open(QStringLiteral("select * from t_SoftInfo"));
    const QString version = query.eof() ? QString() : query.asString(QStringLiteral("Version"));
    query.close();
    return version;
}

CompanyInfo readCompanyInfo(Query& query)
{
    query.open(QStringLiteral("select * from t_SoftInfo order by id"));
    CompanyInfo info;
    if (!query.eof())
        for (const auto& [column, member] : kColumns)
            info.*member = query.asString(QString::fromLatin1(column));
    query.close();
    return info;
}

void storeCompanyInfo(Query& query, const CompanyInfo& info)
{
    query.open(QStringLiteral("select id from t_SoftInfo order by id"));
    const QVariant key = query.eof() ? QVariant() : query.value(0);
    query.close();
    QStringList columns;
    QVariantList values;
    for (const auto& [column, member] : kColumns) {
        columns << QString::fromLatin1(column);
        values << info.*member;
    }
    if (key.isValid()) {
        values << key;
        query.exec(QStringLiteral("update t_SoftInfo set %1 = ? where id = ?")
                       .arg(columns.join(QStringLiteral(" = ?, "))),
                   values);
    } else {
        query.exec(QStringLiteral("insert into t_SoftInfo (%1) values (?, ?, ?, ?, ?, ?)")
                       .arg(columns.join(QLatin1Char(','))),
                   values);
    }
}

} // namespace zu
