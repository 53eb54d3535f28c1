#include "passwordgenerator.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <QCryptographicHash>

#include <array>
#include <cstring>
#include <stdexcept>

struct PasswordGenerator::Stream
{
    EVP_CIPHER_CTX *ctx = nullptr;
    std::array<unsigned char, 256> block {};
    std::size_t used = 256;
};

namespace {

QByteArray secureKey()
{
    QByteArray key(32, Qt::Uninitialized);
    if (RAND_bytes(reinterpret_cast<unsigned char *>(key.data()), static_cast<int>(key.size())) != 1)
        throw std::runtime_error("no secure random source");
    return key;
}

QByteArray seedKey(std::uint64_t seed)
{
    QByteArray raw(sizeof seed, Qt::Uninitialized);
    std::memcpy(raw.data(), &seed, sizeof seed);
    return QCryptographicHash::hash(raw, QCryptographicHash::Sha256);
}

} // namespace

PasswordGenerator::PasswordGenerator()
    : m_stream(std::make_unique<Stream>())
{
    reseed();
}

PasswordGenerator::PasswordGenerator(std::uint64_t seed)
    : m_stream(std::make_unique<Stream>())
    , m_seed(seed)
{
    reseed(seed);
}

PasswordGenerator::~PasswordGenerator()
{
    EVP_CIPHER_CTX_free(m_stream->ctx);
}

void PasswordGenerator::reseed()
{
    rekey(m_seed ? seedKey(*m_seed) : secureKey());
}

void PasswordGenerator::reseed(std::uint64_t seed)
{
    rekey(seedKey(seed));
}

void PasswordGenerator::rekey(const QByteArray &key)
{
    EVP_CIPHER_CTX_free(m_stream->ctx);
    m_stream->ctx = EVP_CIPHER_CTX_new();
    const std::array<unsigned char, 16> iv {};
    if (!m_stream->ctx
        || EVP_EncryptInit_ex(m_stream->ctx, EVP_chacha20(), nullptr,
               reinterpret_cast<const unsigned char *>(key.constData()), iv.data())
            != 1)
        throw std::runtime_error("ChaCha20 unavailable");
    m_stream->used = m_stream->block.size();
}

unsigned char PasswordGenerator::nextByte()
{
    if (m_stream->used == m_stream->block.size()) {
        const std::array<unsigned char, 256> zeros {};
        int written = 0;
        EVP_EncryptUpdate(
            m_stream->ctx, m_stream->block.data(), &written, zeros.data(), static_cast<int>(zeros.size()));
        m_stream->used = 0;
    }
    return m_stream->block[m_stream->used++];
}

QString PasswordGenerator::getpass(int length)
{
    constexpr int kSize = 35;
    constexpr int kLimit = 256 - 256 % kSize; // bytes at or above this are drawn again: no bias
    QString password;
    for (int i = 0; i < length; ++i) {
        int byte = 0;
        do {
            byte = nextByte();
        } while (byte >= kLimit);
        password += QLatin1Char(kAlphabet[byte % kSize]);
    }
    return password;
}
