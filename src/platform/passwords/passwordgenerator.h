#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

// The generator of initial pupil passwords: getpass(n) draws n characters, each uniformly and on its
// own from "abcdefghijklmnopqrstuvwxyz123456789". One generator serves the whole program, so every
// caller continues one sequence. It is a ChaCha20 key stream keyed from the system's secure random
// source, so that no password can be guessed from the time of the run or from other passwords;
// tests key it from an explicit seed to get a known sequence.
class PasswordGenerator
{
public:
    static constexpr const char *kAlphabet = "abcdefghijklmnopqrstuvwxyz123456789";
    // The length of a new pupil's password: short enough for a young pupil to type.
    static constexpr int kPupilPasswordLength = 6;

    PasswordGenerator(); // keyed from the system's secure random source
    explicit PasswordGenerator(std::uint64_t seed); // repeatable sequence, for tests
    ~PasswordGenerator();

    // Draws a new key from the system's secure random source (done each time the main window loads);
    // a generator made from an explicit seed starts its known sequence again instead.
    void reseed();
    void reseed(std::uint64_t seed);

    QString getpass(int length);

private:
    void rekey(const QByteArray &key);
    unsigned char nextByte();

    struct Stream;
    std::unique_ptr<Stream> m_stream;
    std::optional<std::uint64_t> m_seed;
};
