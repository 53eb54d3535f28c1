#pragma once

#include <QString>

#include <optional>
#include <utility>

// Expected failures travel as values: an operation that can fail returns a Status or a Result<T>
// carrying a readable French message instead of throwing.
class Status
{
public:
    Status() = default;
    static Status failure(QString message) { return Status(std::move(message)); }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString &message() const { return m_message; }

private:
    explicit Status(QString message) : m_failed(true), m_message(std::move(message)) {}
    bool m_failed = false;
    QString m_message;
};

template <typename T>
class Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Status failure) : m_failure(std::move(failure)) {}
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
