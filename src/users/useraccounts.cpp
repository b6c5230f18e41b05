#include "useraccounts.h"

#include "passwords.h"

#include "data/dataset.h"
#include "data/query.h"

namespace zu {

namespace {

const QString kRowsOfTypeSql = QStringLiteral("select * from t_user where type = ? order by id");

} // namespace

QStringList loginUserNames(Query& query)
{
    query.open(kRowsOfTypeSql, {QString::fromUtf8(kUserType)});
    QStringList names;
    for (; !query.eof(); query.next())
        names << query.value(1).toString();
    query.close();
    return names;
}

std::optional<UserCredentials> findUser(Query& query, const QString& name)
{
    query.open(QStringLiteral("select * from t_user where username = ?"), {name});
    std::optional<UserCredentials> user;
    if (!query.eof())
        user = UserCredentials{query.value(QStringLiteral("id")), query.asString(QStringLiteral("Password")),
                               query.asString(QStringLiteral("qxList"))};
    query.close();
    return user;
}

void storePassword(Query& query, const QVariant& key, const QString& stored)
{
    query.exec(QStringLiteral("update T_user set Password = ? where id = ?"), {stored, key});
}

void openUsers(DataSet& users)
{
    users.open(QStringLiteral("type = ?"), {QString::fromUtf8(kUserType)}, QStringLiteral("id"));
}

void openGroups(DataSet& groups)
{
    groups.open(QStringLiteral("type = ?"), {QString::fromUtf8(kGroupType)}, QStringLiteral("id"));
}

Statement groupListStatement()
{
    return {kRowsOfTypeSql, {QString::fromUtf8(kGroupType)}};
}

std::optional<QString> passwordToStore(bool isAdd, const QString& typed)
{
    if (!typed.isEmpty())
        return hashPassword(typed);
    if (isAdd)
        return QString();
    return std::nullopt;
}

bool nameNeedsCheck(bool isAdd, const QString& typed, const QString& oldName)
{
    return isAdd || typed.compare(oldName, Qt::CaseSensitive) != 0;
}

int countUsersNamed(Query& query, const QString& name)
{
    query.open(QStringLiteral("select count(*) from t_User where UserName = ? and type = ?"),
               {name, QString::fromUtf8(kUserType)});
    const int n = query.value(0).toInt();
    query.close();
    return n;
}

int countUsers(Query& query)
{
    query.open(QStringLiteral("select count(*) from t_User where type = ?"), {QString::fromUtf8(kUserType)});
    const int n = query.value(0).toInt();
    query.close();
    return n;
}

QString deleteRefusal(int userCount, const QString& name, const QString& loggedInUser)
{
    if (userCount <= 1)
        return QStringLiteral("不能删除最后一个用户，否则将没有人能够登录本系统！");
    if (!loggedInUser.isEmpty() && name == loggedInUser)
        return QStringLiteral("不能删除当前登录的用户“%1”！").arg(name);
    return {};
}

QString groupToStore(int index, const QString& text)
{
    return index > 0 ? text : QString();
}

} // namespace zu
