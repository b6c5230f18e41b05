#include "customerimportrules.h"

#include "data/connection.h"
#include "data/query.h"

namespace zu {

namespace {

const QString kName = QStringLiteral("custname");
const QString kCategoryName = QStringLiteral("classcode");
const QString kCategoryCode = QStringLiteral("typecode");
const QString kEnteredBy = QStringLiteral("exemen");
const QString kCustomerCategories = QStringLiteral("用户类别");

bool isBlank(const QVariant& value)
{
    return value.isNull() || value.toString().trimmed().isEmpty();
}

} // namespace

bool CustomerImportRules::appliesTo(const QString& table)
{
    return table.compare(QLatin1String("T_Cust"), Qt::CaseInsensitive) == 0;
}

QString CustomerImportRules::pairingProblem(const QList<ImportPair>& pairs)
{
    for (const ImportPair& pair : pairs)
        if (pair.field.compare(kName, Qt::CaseInsensitive) == 0)
            return {};
    return QStringLiteral("“客户名称”没有配对：每位客户都需要名称，请先为“客户名称”选择 Excel 的列。");
}

QStringList CustomerImportRules::filledColumns()
{
    return {QStringLiteral("TypeCode"), QStringLiteral("exeMen")};
}

CustomerImportRules::CustomerImportRules(Connection& connection, QString userName)
    : m_userName(std::move(userName))
{
    Query q(connection);
    q.open(QStringLiteral("select name, code from T_Dict_cate where tableName = ? order by code"),
           {kCustomerCategories});
    for (; !q.eof(); q.next())
        m_categoryCodes[q.value(0).toString().trimmed()].append(q.value(1).toString());
}

CustomerImportRules::Columns CustomerImportRules::Columns::of(const QStringList& fields)
{
    Columns columns;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString field = fields[i].toLower();
        if (field == kName)
            columns.name = i;
        else if (field == kCategoryName)
            columns.categoryName = i;
        else if (field == kCategoryCode)
            columns.categoryCode = i;
        else if (field == kEnteredBy)
            columns.enteredBy = i;
    }
    return columns;
}

CustomerImportRules::Values CustomerImportRules::Columns::in(QVariantList& values) const
{
    auto at = [&values](qsizetype i) { return i >= 0 && i < values.size() ? &values[i] : nullptr; };
    return {at(name), at(categoryName), at(categoryCode), at(enteredBy)};
}

QString CustomerImportRules::complete(const Values& values, QString* note) const
{
    if (!values.name || isBlank(*values.name))
        return QStringLiteral("客户名称不能为空");
    if (values.enteredBy && isBlank(*values.enteredBy))
        *values.enteredBy = m_userName;
    const QString category = values.categoryName ? values.categoryName->toString().trimmed() : QString();
    if (!values.categoryCode || !isBlank(*values.categoryCode) || category.isEmpty())
        return {};
    const QStringList codes = m_categoryCodes.value(category);
    if (codes.size() == 1)
        *values.categoryCode = codes.first();
    else if (codes.isEmpty())
        *note = QStringLiteral("没有名为“%1”的客户类别，这位客户没有归入任何类别").arg(category);
    else
        *note = QStringLiteral("有 %1 个客户类别都叫“%2”（%3），这位客户没有归入任何类别")
                    .arg(codes.size())
                    .arg(category, codes.join(QStringLiteral("、")));
    return {};
}

} // namespace zu
