#pragma once

#include <QString>

namespace zu {

// Stored passwords are salted PBKDF2-SHA256 hashes: "pbkdf2-sha256$iterations$salt$hash" (salt and
// hash in base64). A stored value in any other form is a password kept as plain text by an older
// release: it is compared as it stands and should be replaced by a hash once it matched.
QString hashPassword(const QString& password);

struct PasswordCheck
{
    bool matches = false;
    bool needsRehash = false; // matched a plain-text value
};
PasswordCheck checkPassword(const QString& stored, const QString& typed);

bool isPasswordHash(const QString& stored);

} // namespace zu
