#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>
#include <variant>

namespace quorvel {

// A readable reason why an operation failed, with the title of the notice that shows it in the
// window (empty: the caller's default title). Converts into any Result.
struct Failure
{
    Failure(QString failureMessage, QString noticeTitle = QString())
        : message(std::move(failureMessage)), title(std::move(noticeTitle))
    {
    }

    QString message;
    QString title;
};

// Either a value or the reason it could not be produced, for operations that can fail for reasons
// outside the program (files, database, network, user input). The names follow std::expected;
// reading the value of a failure, or the failure of a success, is a programming error and asserts.
// The message of a success is empty, so a check can always name what it saw.
template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value) : m_value(std::move(value)), m_failure(QString()) {}
    Result(Failure failure) : m_value(), m_failure(std::move(failure)) {}

    bool has_value() const { return m_value.has_value(); }
    bool ok() const { return has_value(); }
    explicit operator bool() const { return has_value(); }

    const T& value() const&
    {
        Q_ASSERT(has_value());
        return *m_value;
    }
    T& value() &
    {
        Q_ASSERT(has_value());
        return *m_value;
    }
    T&& value() &&
    {
        Q_ASSERT(has_value());
        return std::move(*m_value);
    }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }
    template <typename U> T value_or(U&& fallback) const&
    {
        return has_value() ? *m_value : T(std::forward<U>(fallback));
    }

    // The message of a failure; empty for a success.
    const QString& error() const { return m_failure.message; }
    // The whole failure (message and title), to pass on as the caller's own result.
    const Failure& failure() const
    {
        Q_ASSERT(!has_value());
        return m_failure;
    }

private:
    std::optional<T> m_value;
    Failure m_failure;
};

// Result of an operation that produces nothing but can fail.
using Status = Result<std::monostate>;

inline Status success()
{
    return Status(std::monostate{});
}

} // namespace quorvel
