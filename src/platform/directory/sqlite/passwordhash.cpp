#include "passwordhash.h"

#include <QList>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace {

constexpr int saltBytes = 16;
constexpr int digestBytes = 32;
const QByteArray scheme = QByteArrayLiteral("pbkdf2-sha256");

QByteArray derive(const QByteArray &password, const QByteArray &salt, int iterations)
{
    QByteArray digest(digestBytes, Qt::Uninitialized);
    if (PKCS5_PBKDF2_HMAC(password.constData(), int(password.size()),
            reinterpret_cast<const unsigned char *>(salt.constData()), int(salt.size()), iterations, EVP_sha256(),
            digestBytes, reinterpret_cast<unsigned char *>(digest.data()))
        != 1)
        return {};
    return digest;
}

} // namespace

namespace PasswordHash {

QByteArray make(const QString &password, int iterations)
{
    QByteArray salt(saltBytes, Qt::Uninitialized);
    if (RAND_bytes(reinterpret_cast<unsigned char *>(salt.data()), saltBytes) != 1)
        return {};
    const QByteArray digest = derive(password.toUtf8(), salt, iterations);
    if (digest.isEmpty())
        return {};
    return scheme + '$' + QByteArray::number(iterations) + '$' + salt.toBase64() + '$' + digest.toBase64();
}

bool matches(const QString &password, const QByteArray &stored)
{
    const QList<QByteArray> parts = stored.split('$');
    if (parts.size() != 4 || parts[0] != scheme)
        return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1)
        return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2]);
    const QByteArray expected = QByteArray::fromBase64(parts[3]);
    if (salt.isEmpty() || expected.size() != digestBytes)
        return false;
    const QByteArray digest = derive(password.toUtf8(), salt, iterations);
    return digest.size() == digestBytes && CRYPTO_memcmp(digest.constData(), expected.constData(), digestBytes) == 0;
}

} // namespace PasswordHash
