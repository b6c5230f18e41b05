#pragma once

#include "data/routines.h"

#include <optional>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace zu {

class DataSet;
class Query;

// Rules of the user window that need no widget.

// The rows of T_user that are users (the others are permission groups).
inline constexpr const char* kUserType = "用户";
inline constexpr const char* kGroupType = "权限组";

// What a save writes into Password: a hash of the typed password. An empty box keeps an
// existing user's stored password (nullopt: the column is not written) and gives a new user an
// empty password.
std::optional<QString> passwordToStore(bool isAdd, const QString& typed);

// The names of the users, in the order they were added (the login's choice).
QStringList loginUserNames(Query& query);

// What the login and the password change read of one user.
struct UserCredentials
{
    QVariant key;     // T_user.id
    QString password; // as stored: a hash, or plain text from an older release
    QString rights;   // the rights string
    QVariant version; // of the row as read (RowVersion)
};
// The user named exactly `name`; nothing when there is none. A permission group is never a user,
// whatever its name or password.
std::optional<UserCredentials> findUser(Query& query, const QString& name);
// The user with the key (T_user.id); nothing when it is gone or is a group.
std::optional<UserCredentials> findUserByKey(Query& query, const QVariant& key);
// Stores a new password value (a hash) for the user as findUser() or findUserByKey() read it. A
// user changed or deleted since is not written: DbError (ChangedElsewhere, DeletedElsewhere).
void storePassword(Query& query, const UserCredentials& user, const QString& stored);

// The user window's two lists: the users and the permission groups, in the order they were added.
void openUsers(DataSet& users);
void openGroups(DataSet& groups);
// The names of the permission groups for a drop-down box (FillComboFromSql).
Statement groupListStatement();

// A save looks for another user of the same name when it adds a user or renames one (exact,
// case-sensitive comparison with the name the user had).
bool nameNeedsCheck(bool isAdd, const QString& typed, const QString& oldName);

// Users (not groups) named exactly `name`.
int countUsersNamed(Query& query, const QString& name);
// All users (not groups).
int countUsers(Query& query);

// Why the user with the key may not be deleted, empty when it may: nobody could log in after the
// last user is gone, the logged-in user (told by key, so a rename changes nothing) cannot remove
// themself, and nobody could manage users after the last user who may is gone.
QString deleteRefusal(Query& query, const QVariant& key, const QVariant& loggedInKey);

// Why a save may not give the user with the key (invalid: a new user) the rights string, empty
// when it may: it would take managing users from the last user who has that right.
QString rightsChangeRefusal(Query& query, const QVariant& key, const QString& rights);

// Users (not groups) other than the one with the key whose rights allow managing users.
int countUserManagers(Query& query, const QVariant& exceptKey);

// The rights string of the permission group named exactly `group`; empty when there is none.
QString groupRights(Query& query, const QString& group);

// The group a save stores from the group box: the chosen group; nothing for the box's first
// entry (empty) or when no entry is chosen.
QString groupToStore(int index, const QString& text);

} // namespace zu
