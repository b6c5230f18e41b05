#include "passwords.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

namespace zu {

namespace {

const QString kScheme = QStringLiteral("pbkdf2-sha256");
constexpr int kIterations = 60000;
constexpr int kSaltBytes = 16;
constexpr int kKeyBytes = 32;

QByteArray derive(const QString& password, const QByteArray& salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt, iterations,
                                              kKeyBytes);
}

// Compares without stopping at the first difference.
bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

bool isPasswordHash(const QString& stored)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    return parts.size() == 4 && parts[0] == kScheme && parts[1].toInt() > 0;
}

QString hashPassword(const QString& password)
{
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltBytes / 4);
    return QStringList{kScheme, QString::number(kIterations), QString::fromLatin1(salt.toBase64()),
                       QString::fromLatin1(derive(password, salt, kIterations).toBase64())}
        .join(QLatin1Char('$'));
}

PasswordCheck checkPassword(const QString& stored, const QString& typed)
{
    if (!isPasswordHash(stored)) {
        const bool same = stored == typed;
        return {same, same};
    }
    const QStringList parts = stored.split(QLatin1Char('$'));
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray expected = QByteArray::fromBase64(parts[3].toLatin1());
    return {sameBytes(derive(typed, salt, parts[1].toInt()), expected), false};
}

} // namespace zu
