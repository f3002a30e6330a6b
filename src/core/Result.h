#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace quorvel {

// A readable reason why an operation failed; converts into any Result.
struct Failure
{
    QString message;
};

// Either a value or the message of what went wrong, for operations that can fail for reasons
// outside the program (files, database, network, user input).
template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Failure failure) : m_error(std::move(failure.message)) {}

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return *m_value; }
    T& value() & { return *m_value; }
    T&& value() && { return std::move(*m_value); }
    const T& operator*() const& { return *m_value; }
    T& operator*() & { return *m_value; }
    const T* operator->() const { return &*m_value; }
    T* operator->() { return &*m_value; }

    const QString& error() const { return m_error; }

private:
    std::optional<T> m_value;
    QString m_error;
};

// Result of an operation that produces nothing but can fail.
using Status = Result<std::monostate>;

inline Status success()
{
    return Status(std::monostate{});
}

} // namespace quorvel
