#pragma once

#include <QString>

#include <optional>
#include <stdexcept>
#include <utility>

// Expected failures travel as values: an operation that can fail returns a Status or a Result<T>
// carrying a readable French message instead of throwing. Both must be read: dropping one is a
// build error, and a failure left unread on purpose goes through one of the helpers below.
class [[nodiscard]] Status
{
public:
    Status() = default;
    static Status failure(QString message) { return Status(std::move(message)); }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString &message() const { return m_message; }

private:
    explicit Status(QString message)
        : m_failed(true)
        , m_message(std::move(message))
    {
    }
    bool m_failed = false;
    QString m_message;
};

template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value)
        : m_value(std::move(value))
    {
    }
    // Only a failure becomes a failed Result: from a success it would be a failure without a message,
    // so the slip stops here instead of reaching the administrator as an empty complaint.
    Result(Status failure)
        : m_failure(std::move(failure))
    {
        if (m_failure.ok())
            throw std::logic_error("Result built from a successful Status");
    }
    static Result failure(QString message) { return Result(Status::failure(std::move(message))); }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const QString &message() const { return m_failure.message(); }
    Status status() const { return m_failure; }

    T &value() { return *m_value; }
    const T &value() const { return *m_value; }
    T &operator*() { return *m_value; }
    const T &operator*() const { return *m_value; }
    T *operator->() { return &*m_value; }
    const T *operator->() const { return &*m_value; }

private:
    std::optional<T> m_value;
    Status m_failure;
};

// A failure read by no one, on purpose, because the action goes on whether this step worked or not:
// an object that is there already, a folder or script that a later run makes again, an undo that
// cannot leave things worse. Each call says which.
inline void skipAndContinue(const Status &) { }
template <typename T> void skipAndContinue(const Result<T> &) { }
