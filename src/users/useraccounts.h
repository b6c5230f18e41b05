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
};
// The user (or group) named exactly `name`; nothing when there is none.
std::optional<UserCredentials> findUser(Query& query, const QString& name);
// Stores a new password value (a hash) for the user with the key.
void storePassword(Query& query, const QVariant& key, const QString& stored);

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

// Why the user `name` may not be deleted, empty when it may: nobody could log in after the last
// user is gone, and the logged-in user cannot remove themself.
QString deleteRefusal(int userCount, const QString& name, const QString& loggedInUser);

// The group a save stores from the group box: the chosen group; nothing for the box's first
// entry (empty or "No") or when no entry is chosen.
QString groupToStore(int index, const QString& text);

} // namespace zu
