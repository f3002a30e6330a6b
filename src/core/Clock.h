#pragma once

#include <QDate>

#include <optional>

namespace quorvel {

// Where the program takes "today" from: the system's date, or a fixed date (tests, and the
// command-line companion's --today). Copied freely; a worker gets its own copy.
class Clock
{
public:
    Clock() = default;
    explicit Clock(const QDate& fixedToday) : m_fixedToday(fixedToday) {}

    QDate today() const { return m_fixedToday.value_or(QDate::currentDate()); }
    bool isFixed() const { return m_fixedToday.has_value(); }

private:
    std::optional<QDate> m_fixedToday;
};

} // namespace quorvel
