#include "softinfo.h"

#include "data/dataset.h"
#include "data/errors.h"
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

CompanyInfo readCompanyInfo(Query& query, CompanyInfoRow* row)
{
    query.open(QStringLiteral("select * from t_SoftInfo order by id"));
    CompanyInfo info;
    if (row)
        *row = {};
    if (!query.eof()) {
        for (const auto& [column, member] : kColumns)
            info.*member = query.asString(QString::fromLatin1(column));
        if (row)
            *row = {query.value(QStringLiteral("id")), query.value(QString::fromLatin1(kRowVersionColumn))};
    }
    query.close();
    return info;
}

void storeCompanyInfo(Query& query, const CompanyInfo& info, const CompanyInfoRow* row)
{
    query.open(QStringLiteral("select id from t_SoftInfo order by id"));
    const QVariant first = query.eof() ? QVariant() : query.value(0);
    query.close();
    if (row && row->key.isValid() && !first.isValid())
        throw DbError(QStringLiteral("公司信息已被其他用户删除，没有保存。"), DbFailure::DeletedElsewhere);
    if (row && !row->key.isValid() && first.isValid())
        throw DbError(QStringLiteral("公司信息刚被其他用户填写，您的修改没有保存。请关闭后重新打开再修改。"),
                      DbFailure::ChangedElsewhere);
    const QVariant key = row ? row->key : first;
    QStringList columns;
    QVariantList values;
    for (const auto& [column, member] : kColumns) {
        columns << QString::fromLatin1(column);
        values << info.*member;
    }
    if (key.isValid()) {
        values << key;
        QString sql = QStringLiteral("update t_SoftInfo set %1 = ? where id = ?")
                          .arg(columns.join(QStringLiteral(" = ?, ")));
        if (row) {
            sql += QStringLiteral(" and %1 = ?").arg(QLatin1String(kRowVersionColumn));
            values << row->version;
        }
        if (query.exec(sql, values) == 0)
            throw DbError(
                QStringLiteral("公司信息已被其他用户修改，您的修改没有保存。请关闭后重新打开再修改。"),
                DbFailure::ChangedElsewhere);
    } else {
        query.exec(QStringLiteral("insert into t_SoftInfo (%1) values (?, ?, ?, ?, ?, ?)")
                       .arg(columns.join(QLatin1Char(','))),
                   values);
    }
}

} // namespace zu
