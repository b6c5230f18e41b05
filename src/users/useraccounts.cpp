#include "useraccounts.h"

#include "passwords.h"
#include "permissions.h"

#include "data/dataset.h"
#include "data/errors.h"
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

namespace {

std::optional<UserCredentials> firstUser(Query& query, const QString& sql, const QVariantList& values)
{
    query.open(sql, values);
    std::optional<UserCredentials> user;
    if (!query.eof())
        user = UserCredentials{query.value(QStringLiteral("id")), query.asString(QStringLiteral("Password")),
                               query.asString(QStringLiteral("qxList")),
                               query.value(QString::fromLatin1(kRowVersionColumn))};
    query.close();
    return user;
}

struct UserRights
{
    QVariant key;
    QString rights;
};

QList<UserRights> readUserRights(Query& query)
{
    query.open(QStringLiteral("select id, qxList from t_user where type = ? order by id"),
               {QString::fromUtf8(kUserType)});
    QList<UserRights> users;
    for (; !query.eof(); query.next())
        users.append({query.value(0), query.value(1).toString()});
    query.close();
    return users;
}

bool mayManageUsers(const QList<CatalogueRight>& catalogue, const QString& rights)
{
    return Permissions(decideRights(catalogue, rights)).allows(Right::Users);
}

bool sameKey(const QVariant& a, const QVariant& b)
{
    return a.isValid() && b.isValid() && a.toString() == b.toString();
}

// Whether users other than `key` may manage users, and whether the catalogue governs it at all.
struct Managers
{
    bool governed = false;
    int others = 0;
};

Managers otherManagers(Query& query, const QVariant& key)
{
    const QList<CatalogueRight> catalogue = readRightsCatalogue(query);
    Managers m;
    m.governed = Permissions(decideRights(catalogue, QString())).decides(Right::Users);
    for (const UserRights& user : readUserRights(query))
        if (!sameKey(user.key, key) && mayManageUsers(catalogue, user.rights))
            ++m.others;
    return m;
}

QString lastManagerText()
{
    return QStringLiteral("至少要保留一个拥有“%1”权限的用户，否则将没有人能够管理用户和权限！")
        .arg(rightCaption(Right::Users));
}

} // namespace

std::optional<UserCredentials> findUser(Query& query, const QString& name)
{
    return firstUser(query, QStringLiteral("select * from t_user where username = ? and type = ?"),
                     {name, QString::fromUtf8(kUserType)});
}

std::optional<UserCredentials> findUserByKey(Query& query, const QVariant& key)
{
    if (!key.isValid() || key.isNull())
        return std::nullopt;
    return firstUser(query, QStringLiteral("select * from t_user where id = ? and type = ?"),
                     {key, QString::fromUtf8(kUserType)});
}

void storePassword(Query& query, const UserCredentials& user, const QString& stored)
{
    if (query.exec(QStringLiteral("update T_user set Password = ? where id = ? and %1 = ?")
                       .arg(QLatin1String(kRowVersionColumn)),
                   {stored, user.key, user.version}) != 0)
        return;
    query.open(QStringLiteral("select count(*) from T_user where id = ?"), {user.key});
    const bool exists = query.value(0).toInt() > 0;
    query.close();
    if (exists)
        throw DbError(QStringLiteral("该用户的资料刚被其他用户修改，密码没有修改，请再试一次。"),
                      DbFailure::ChangedElsewhere);
    throw DbError(QStringLiteral("该用户已被其他用户删除，密码没有修改。"), DbFailure::DeletedElsewhere);
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

QString deleteRefusal(Query& query, const QVariant& key, const QVariant& loggedInKey)
{
    if (countUsers(query) <= 1)
        return QStringLiteral("不能删除最后一个用户，否则将没有人能够登录本系统！");
    if (sameKey(key, loggedInKey))
        return QStringLiteral("不能删除当前登录的用户！");
    const std::optional<UserCredentials> user = findUserByKey(query, key);
    if (!user)
        return {};
    const Managers managers = otherManagers(query, key);
    if (managers.governed && managers.others == 0 && mayManageUsers(readRightsCatalogue(query), user->rights))
        return lastManagerText();
    return {};
}

QString rightsChangeRefusal(Query& query, const QVariant& key, const QString& rights)
{
    const QList<CatalogueRight> catalogue = readRightsCatalogue(query);
    if (mayManageUsers(catalogue, rights))
        return {};
    const Managers managers = otherManagers(query, key);
    if (!managers.governed || managers.others > 0)
        return {};
    // Nobody else may manage users: the change may not take it from this user.
    const std::optional<UserCredentials> user = findUserByKey(query, key);
    if (user && mayManageUsers(catalogue, user->rights))
        return lastManagerText();
    return {};
}

int countUserManagers(Query& query, const QVariant& exceptKey)
{
    return otherManagers(query, exceptKey).others;
}

QString groupRights(Query& query, const QString& group)
{
    query.open(QStringLiteral("select qxList from t_user where UserName = ? and type = ? order by id"),
               {group, QString::fromUtf8(kGroupType)});
    const QString rights = query.eof() ? QString() : query.value(0).toString();
    query.close();
    return rights;
}

QString groupToStore(int index, const QString& text)
{
    return index > 0 ? text : QString();
}

} // namespace zu
