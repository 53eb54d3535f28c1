#include "passwordhash.h"

#include <QList>

#include <cstring>

// The plain SHA-256 state is what makes the derivation cheap (see derive()); OpenSSL 3 marks it
// as old, not as unsafe.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/crypto.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

namespace {

constexpr int saltBytes = 16;
constexpr int digestBytes = 32;
const QByteArray scheme = QByteArrayLiteral("pbkdf2-sha256");

// PBKDF2-HMAC-SHA256 for one block of output, as the standard defines it. OpenSSL's own copies and
// clears a whole digest context through its providers twice per iteration, which costs more than
// the hashing itself and was most of a bulk creation's time: here the keyed inner and outer states
// are computed once and copied by value into each step.
QByteArray derive(const QByteArray &password, const QByteArray &salt, int iterations)
{
    static_assert(digestBytes == SHA256_DIGEST_LENGTH, "one block of output");
    unsigned char key[SHA256_CBLOCK] = {};
    if (password.size() > SHA256_CBLOCK)
        SHA256(reinterpret_cast<const unsigned char *>(password.constData()), size_t(password.size()), key);
    else
        std::memcpy(key, password.constData(), size_t(password.size()));
    unsigned char pad[SHA256_CBLOCK];
    SHA256_CTX inner;
    SHA256_CTX outer;
    for (int i = 0; i < SHA256_CBLOCK; ++i)
        pad[i] = key[i] ^ 0x36;
    SHA256_Init(&inner);
    SHA256_Update(&inner, pad, sizeof pad);
    for (int i = 0; i < SHA256_CBLOCK; ++i)
        pad[i] = key[i] ^ 0x5c;
    SHA256_Init(&outer);
    SHA256_Update(&outer, pad, sizeof pad);

    // U1 = HMAC(password, salt || INT(1)).
    unsigned char u[digestBytes];
    SHA256_CTX step = inner;
    const unsigned char blockIndex[4] = {0, 0, 0, 1};
    SHA256_Update(&step, salt.constData(), size_t(salt.size()));
    SHA256_Update(&step, blockIndex, sizeof blockIndex);
    SHA256_Final(u, &step);
    step = outer;
    SHA256_Update(&step, u, sizeof u);
    SHA256_Final(u, &step);
    unsigned char sum[digestBytes];
    std::memcpy(sum, u, digestBytes);
    for (int n = 1; n < iterations; ++n) {
        step = inner;
        SHA256_Update(&step, u, sizeof u);
        SHA256_Final(u, &step);
        step = outer;
        SHA256_Update(&step, u, sizeof u);
        SHA256_Final(u, &step);
        for (int i = 0; i < digestBytes; ++i)
            sum[i] ^= u[i];
    }
    QByteArray digest(reinterpret_cast<const char *>(sum), digestBytes);

    OPENSSL_cleanse(key, sizeof key);
    OPENSSL_cleanse(pad, sizeof pad);
    OPENSSL_cleanse(u, sizeof u);
    OPENSSL_cleanse(sum, sizeof sum);
    OPENSSL_cleanse(&inner, sizeof inner);
    OPENSSL_cleanse(&outer, sizeof outer);
    OPENSSL_cleanse(&step, sizeof step);
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
