#include "categorycodes.h"

#include "data/connection.h"
#include "data/datamodule.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "data/query.h"
#include "data/sqldialect.h"

namespace zu {

const QString kLevelPattern = QStringLiteral("222222222222222");

namespace {

bool isDecimal(QStringView text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return !text.isEmpty();
}

} // namespace

int CodeLevel(const QString& pattern, const QString& code)
{
    if (pattern.isEmpty() || code.isEmpty())
        return -1;
    int sum = 0;
    for (int i = 0; i < pattern.size(); ++i) {
        sum += qMax(0, pattern.at(i).digitValue());
        if (sum == code.size())
            return i + 1;
        if (sum > code.size())
            break;
    }
    return -1;
}

QString PadCode(const QString& digits)
{
    return digits.size() % 2 == 1 ? QLatin1Char('0') + digits : digits;
}

QString categoryNodeText(const QString& code, const QString& name)
{
    return code.trimmed() + QLatin1Char('-') + name.trimmed();
}

QString codeFromNodeText(const QString& text)
{
    const qsizetype dash = text.indexOf(QLatin1Char('-'));
    return dash < 0 ? QString() : text.left(dash);
}

QString nameFromNodeText(const QString& text)
{
    const qsizetype dash = text.indexOf(QLatin1Char('-'));
    return dash < 0 ? text : text.mid(dash + 1);
}

namespace {

const QString kCategoriesSql = QStringLiteral("select * from T_Dict_cate where tablename = ? order by code");

} // namespace

QList<CategoryRow> readCategoryRows(Query& query, const QString& kind)
{
    query.open(kCategoriesSql, {kind});
    QList<CategoryRow> rows;
    for (; !query.eof(); query.next())
        rows.append({query.asString(QStringLiteral("code")).trimmed(), query.asString(QStringLiteral("name")),
                     query.value(QString::fromLatin1(kRowVersionColumn))});
    query.close();
    return rows;
}

QList<CodedName> readCategories(Query& query, const QString& kind)
{
    QList<CodedName> rows;
    for (const CategoryRow& row : readCategoryRows(query, kind))
        rows.append({row.code, row.name});
    return rows;
}

QList<CodedName> readCategories(const QString& kind)
{
    return readCategories(data().F(), kind);
}

Statement categoryListStatement(const QString& kind)
{
    return {kCategoriesSql, {kind}};
}

namespace {

const QString kCustomerCategories = QStringLiteral("用户类别");

void requireName(const QString& name)
{
    if (name.trimmed().isEmpty())
        throw CommandError(kEmptyCategoryNameText);
}

bool categoryExists(Query& query, const QString& kind, const QString& code)
{
    query.open(QStringLiteral("select count(*) from T_Dict_cate where TableName = ? and code = ?"),
               {kind, code});
    const bool exists = query.value(0).toInt() > 0;
    query.close();
    return exists;
}

} // namespace

const QString kEmptyCategoryNameText = QStringLiteral("类别名称不能为空，请您重新录入！");

void addCategory(Query& query, const QString& kind, const QString& code, const QString& name)
{
    requireName(name);
    const QString c = code.trimmed();
    if (CodeLevel(kLevelPattern, c) < 0 || !isDecimal(c))
        throw CommandError(QStringLiteral("类别编码“%1”无效，没有保存。").arg(c));
    TransactionGuard tx(query.connection());
    if (categoryExists(query, kind, c))
        throw CommandError(
            QStringLiteral("类别编码“%1”已被其他类别使用（可能是别的工作站刚刚新增的），请刷新后重新新增。")
                .arg(c));
    query.exec(QStringLiteral("insert into T_Dict_cate (name, code, tableName) values (?, ?, ?)"),
               {name, c, kind});
    tx.commit();
}

int renameCategory(Query& query, const QString& kind, const QString& code, const QString& name,
                   const QVariant& seenVersion)
{
    requireName(name);
    TransactionGuard tx(query.connection());
    QString sql = QStringLiteral("update T_Dict_cate set name = ? where TableName = ? and code = ?");
    QVariantList values{name, kind, code};
    if (seenVersion.isValid()) {
        sql += QStringLiteral(" and %1 = ?").arg(QLatin1String(kRowVersionColumn));
        values << seenVersion;
    }
    if (query.exec(sql, values) == 0) {
        if (categoryExists(query, kind, code))
            throw DbError(
                QStringLiteral(
                    "该类别已被其他用户修改，您的修改没有保存。类别树已显示最新内容，请取消后重新编辑。"),
                DbFailure::ChangedElsewhere);
        throw DbError(QStringLiteral("该类别已被其他用户删除，您的修改没有保存。"),
                      DbFailure::DeletedElsewhere);
    }
    // The customers filed under the category carry its name.
    int customers = 0;
    if (kind == kCustomerCategories)
        customers =
            query.exec(QStringLiteral("update T_Cust set classCode = ? where TypeCode = ?"), {name, code});
    tx.commit();
    return customers;
}

QString proposeCategoryCode(Query& query, const QString& kind, const QString& selectedCode, bool child)
{
    const QString selected = selectedCode.trimmed();
    if (!selected.isEmpty() && (CodeLevel(kLevelPattern, selected) < 0 || !isDecimal(selected)))
        throw CommandError(QStringLiteral("类别编码“%1”无效，不能在此增加类别").arg(selected));

    // A sibling shares the selected code's parent; the root's children are the top level.
    const QString prefix = (selected.isEmpty() || child) ? selected : selected.left(selected.size() - 2);
    const int width = int(prefix.size()) + 2;
    if (width > kMaxCodeLength)
        throw CommandError(
            QStringLiteral("类别已到第 %1 级，不能再增加下级类别").arg(CodeLevel(kLevelPattern, prefix)));

    const SqlDialect& dialect = query.connection().dialect();
    query.open(QStringLiteral("select max(code) from T_Dict_cate where tablename = ? and %1 and %2(code) = ?")
                   .arg(dialect.likeCondition(QStringLiteral("code")), dialect.lengthFunction),
               {kind, likePrefix(prefix), width});
    const QString highest = query.value(0).toString().trimmed();
    query.close();
    if (highest.isEmpty())
        return prefix + QStringLiteral("01");

    // Only the last level is counted up: the number of the parent part never changes.
    const QString lastLevel = highest.right(2);
    if (!isDecimal(lastLevel))
        throw CommandError(QStringLiteral("类别编码“%1”不是数字编码，无法生成新编码").arg(highest));
    const int number = lastLevel.toInt();
    if (number >= 99)
        throw CommandError(prefix.isEmpty()
                               ? QStringLiteral("顶层类别的编码已用到 99，不能再增加顶层类别")
                               : QStringLiteral("该类别下的子类别编码已用到 99，不能再增加子类别"));
    return prefix + PadCode(QString::number(number + 1));
}

QString proposeCategoryCode(const QString& kind, const QString& selectedCode, bool child)
{
    return proposeCategoryCode(data().F(), kind, selectedCode, child);
}

QString categoryHoldsCustomersText(int customers)
{
    return QStringLiteral("该类别（包括其下级类别）中还有 %1 位客户，不能删除！请先把这些客户改到其他类别。")
        .arg(customers);
}

int customersInSubtree(Query& query, const QString& code)
{
    query.open(QStringLiteral("select count(*) from T_Cust where ") +
                   query.connection().dialect().likeCondition(QStringLiteral("TypeCode")),
               {likePrefix(code.trimmed())});
    const int n = query.value(0).toInt();
    query.close();
    return n;
}

int deleteCategorySubtree(Query& query, const QString& kind, const QString& code, const QVariant& seenVersion)
{
    const QString top = code.trimmed();
    if (top.isEmpty())
        throw CommandError(QStringLiteral("根节点不能删除，请重新选择！"));
    const SqlDialect& dialect = query.connection().dialect();
    TransactionGuard tx(query.connection());
    // A category holding customers stays: they would be left under no category, and a category
    // given the freed code later would take them over.
    if (kind == kCustomerCategories)
        if (const int customers = customersInSubtree(query, top); customers > 0)
            throw CommandError(categoryHoldsCustomersText(customers));
    int removed = 0;
    if (seenVersion.isValid()) {
        // The category itself first, as it was shown: the statement decides, not an earlier look.
        removed =
            query.exec(QStringLiteral("delete from T_Dict_cate where tableName = ? and code = ? and %1 = ?")
                           .arg(QLatin1String(kRowVersionColumn)),
                       {kind, top, seenVersion});
        if (removed == 0) {
            if (categoryExists(query, kind, top))
                throw DbError(QStringLiteral(
                                  "该类别已被其他用户修改，没有删除。类别树已显示最新内容，请确认后再删除。"),
                              DbFailure::ChangedElsewhere);
            throw DbError(QStringLiteral("该类别已被其他用户删除。"), DbFailure::DeletedElsewhere);
        }
    }
    removed += query.exec(QStringLiteral("delete from T_Dict_cate where tableName = ? and %1")
                              .arg(dialect.likeCondition(QStringLiteral("code"))),
                          {kind, likePrefix(top)});
    tx.commit();
    return removed;
}

int deleteCategorySubtree(const QString& kind, const QString& code, const QVariant& seenVersion)
{
    return deleteCategorySubtree(data().F(), kind, code, seenVersion);
}

} // namespace zu
