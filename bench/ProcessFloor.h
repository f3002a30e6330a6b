#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quorvel::bench {

// One formula row's four run statistics as stored (empty for NULL).
struct StoredStatistics
{
    std::int64_t rowId = 0;
    std::array<std::optional<int>, 4> values;
};

// The least any program must do for the result of a process figure, straight through SQLite's C
// interface with the file's own settings: no Qt, no checks, no verification. A process figure
// printed beside its floor measured in the same run gives a ratio that holds on another machine,
// where absolute times do not.
class ProcessFloor
{
public:
    explicit ProcessFloor(const QString& dataFolder);

    // What the window's start reads: every draw's issue and parameters, and the shown formula
    // table (position 1), into arrays.
    bool readTables() const;
    // What the companion's verify must do besides computing: the same read, then `rows` written
    // back in one transaction.
    bool readAndWriteStatistics(const std::vector<StoredStatistics>& rows) const;

    // Setting up between runs, not timed: the statistics a run stored, and clearing them again so
    // that the next run finds every row to write.
    std::optional<std::vector<StoredStatistics>> storedStatistics() const;
    bool clearStatistics() const;

private:
    QByteArray m_path;
    QByteArray m_historySql;
};

} // namespace quorvel::bench
