#include "reportenvironment.h"

#include "data/query.h"

namespace zu {

CompanyInfo readCompanyInfo(Connection& connection)
{
    Query q(connection);
    q.open(QStringLiteral("select * from t_SoftInfo"));
    CompanyInfo info;
    if (q.eof())
        return info;
    info.coName = q.asString(QStringLiteral("CoName"));
    info.contact = q.asString(QStringLiteral("Contact"));
    info.address = q.asString(QStringLiteral("Address"));
    info.phone = q.asString(QStringLiteral("Phone"));
    info.fax = q.asString(QStringLiteral("Fax"));
    info.email = q.asString(QStringLiteral("Email"));
    return info;
}

} // namespace zu
