#pragma once

#include <QByteArray>
#include <QString>

// Passwords are kept only as salted PBKDF2-HMAC-SHA256 digests, written
// "pbkdf2-sha256$<iterations>$<salt>$<digest>" (salt and digest in base64) so that the cost can be
// raised later without making older digests unreadable.
namespace PasswordHash {

// The cost used for new passwords: about 1 ms of one core, which keeps bulk account creation at
// several hundred accounts a second.
constexpr int defaultIterations = 10000;

// An empty text when the system cannot give random bytes for the salt.
QByteArray make(const QString &password, int iterations = defaultIterations);
bool matches(const QString &password, const QByteArray &stored);

} // namespace PasswordHash
