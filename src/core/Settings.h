#pragma once

#include <QString>

#include <array>
#include <memory>

class QSettings;

namespace quorvel {

// The per-user settings store: section `IniSetting` for the main window, sections "1".."8" and
// "SSSZ" for the search window. Every value is written as text (numbers as decimal digits,
// flags as "True"/"False"). A stored value that does not read as a valid number or flag is
// treated as absent and its default applies.
class Settings
{
public:
    // The real user's store (organisation and application "Quorvel").
    Settings();
    // A store kept in an ini file, for tests and --settings-file.
    explicit Settings(const QString& iniFilePath);
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    static constexpr int kRetrievalPeriodsCount = 10;
    // N for retrieval index 0..9: 0 (all), 100, 200, 300, 500, 600, 800, 1000, 1500, 3000.
    static int retrievalPeriods(int index);

    // `GsZl`: lottery type index 0..7, or 544 when none is chosen.
    int lotteryTypeIndex() const;
    void setLotteryTypeIndex(int index);
    // `IniSerchDay`: days of draws the online update keeps (default 3).
    int historyDays() const;
    void setHistoryDays(int days);
    // `JSFF`: True = "计算选中公式", False = "最优公式法".
    bool computeSelectedFormulas() const;
    void setComputeSelectedFormulas(bool on);
    // `LsXs`: True shows verification results at the current period (`Canshu`), False at the next.
    bool resultsAtCurrentPeriod() const;
    void setResultsAtCurrentPeriod(bool on);
    // `SyBq`: the retrieval window excludes the current period.
    bool excludeCurrentPeriod() const;
    void setExcludeCurrentPeriod(bool on);
    // `ZqlJq`: hit rates weighted by period.
    bool weightedAccuracy() const;
    void setWeightedAccuracy(bool on);
    // `JSQS`: retrieval periods index 0..9 (default 3, N = 300).
    int retrievalPeriodsIndex() const;
    void setRetrievalPeriodsIndex(int index);

    // Search window: acceptance bound 2..9 of a category (section = position, key = bound + 10c).
    double categoryBound(int position, bool kill, int bound) const;
    void setCategoryBound(int position, bool kill, int bound, double value);
    static double defaultCategoryBound(bool kill, int bound);
    // Operand count of a position (section = position, key "text2", default 8).
    int operandCount(int position) const;
    void setOperandCount(int position, int count);
    // Scheme target (section "SSSZ", key = position + 10c, default 80).
    int schemeTarget(int position, bool kill) const;
    void setSchemeTarget(int position, bool kill, int target);

    // The stored text of a key, or empty when absent (tests look at what is written).
    QString rawValue(const QString& section, const QString& key) const;
    void sync();

private:
    int readInt(const QString& section, const QString& key, int fallback) const;
    bool readFlag(const QString& section, const QString& key, bool fallback) const;
    void writeText(const QString& section, const QString& key, const QString& text);

    std::unique_ptr<QSettings> m_store;
};

} // namespace quorvel
