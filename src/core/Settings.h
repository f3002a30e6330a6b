#pragma once

#include "core/Result.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

class QSettings;

namespace quorvel {

// A key of the settings store. Most keys stand alone; the search window's keys also name the
// position (section "1".."8"), the kind and the bound number they belong to.
struct SettingKey
{
    enum Id
    {
        LotteryType,            // `GsZl`: lottery type index 0..7, 544 when none is chosen
        HistoryDays,            // `IniSerchDay`: days of draws the online update keeps
        ComputeSelected,        // `JSFF`: True "计算选中公式", False "最优公式法"
        ResultsAtCurrentPeriod, // `LsXs`: verification results shown at the current period
        ExcludeCurrentPeriod,   // `SyBq`: the retrieval window excludes the current period
        WeightedAccuracy,       // `ZqlJq`: hit rates weighted by period
        RetrievalPeriods,       // `JSQS`: retrieval periods index 0..9
        FormulaDownloadUrl,     // `GsUrl`: the whole address of the online formula file
        ResultsHost,            // `KjUrl`: the host of the results page (or a whole base address)
        MainWindowGeometry,     // where and how large the main window was last
        ChanceColumn,           // `SjGl`: the formula list shows the column "随机概率"
        CategoryBound,          // search bound 2..9 of a position and kind (section = position)
        OperandCount,           // search operand count of a position (`text2`)
        SchemeTarget,           // scheme target of a position and kind (section `SSSZ`)
        IdCount
    };

    Id id = LotteryType;
    int position = 0; // 1..8 for the search keys
    bool kill = false;
    int bound = 0; // 2..9 for CategoryBound

    static SettingKey categoryBound(int position, bool kill, int bound)
    {
        return {CategoryBound, position, kill, bound};
    }
    static SettingKey operandCount(int position) { return {OperandCount, position, false, 0}; }
    static SettingKey schemeTarget(int position, bool kill) { return {SchemeTarget, position, kill, 0}; }
    bool operator==(const SettingKey&) const = default;
};

// The per-user settings store, every key in one table (section, name, default, validation and
// the value "restore defaults" writes): section `IniSetting` for the main window, sections
// "1".."8" and "SSSZ" for the search window. Values are written as text (numbers as decimal
// digits, flags as "True"/"False") and take effect the moment they are written. A stored value
// that is not valid for its key reads as the key's default.
//
// Several processes share the file: a write changes the line of its key only, in the file as it is
// at that moment (read again under the lock QSettings uses), so a key another process saved is
// never put back. A write that does not reach the file is a failure that names the file
// (writeFailed); the key then keeps the value in force before.
class Settings : public QObject
{
    Q_OBJECT
public:
    // The real user's store (organisation and application "Quorvel").
    Settings();
    // A store kept in an ini file, for tests and --settings-file.
    explicit Settings(const QString& iniFilePath);
    ~Settings() override;

    static constexpr int kRetrievalPeriodsCount = 10;
    // N for retrieval index 0..9: 0 (all), 100, 200, 300, 500, 600, 800, 1000, 1500, 3000.
    static int retrievalPeriods(int index);

    QVariant value(const SettingKey& key) const; // the stored value, or the default
    QVariant defaultValue(const SettingKey& key) const;
    // Refuses (returns false, stores nothing) a value that is not valid for the key; returns false
    // as well when the value could not be saved (writeFailed has said why).
    bool setValue(const SettingKey& key, const QVariant& value);
    // Writes the restored value of every key that has one; the lottery type and the prediction
    // method are not touched.
    void restoreDefaults();

    // The section and name a key is stored under.
    static QString section(const SettingKey& key);
    static QString name(const SettingKey& key);

    // Typed access.
    int lotteryTypeIndex() const { return value({SettingKey::LotteryType}).toInt(); }
    void setLotteryTypeIndex(int index) { setValue({SettingKey::LotteryType}, index); }
    int historyDays() const { return value({SettingKey::HistoryDays}).toInt(); }
    void setHistoryDays(int days) { setValue({SettingKey::HistoryDays}, days); }
    bool computeSelectedFormulas() const { return value({SettingKey::ComputeSelected}).toBool(); }
    void setComputeSelectedFormulas(bool on) { setValue({SettingKey::ComputeSelected}, on); }
    bool resultsAtCurrentPeriod() const { return value({SettingKey::ResultsAtCurrentPeriod}).toBool(); }
    void setResultsAtCurrentPeriod(bool on) { setValue({SettingKey::ResultsAtCurrentPeriod}, on); }
    bool excludeCurrentPeriod() const { return value({SettingKey::ExcludeCurrentPeriod}).toBool(); }
    void setExcludeCurrentPeriod(bool on) { setValue({SettingKey::ExcludeCurrentPeriod}, on); }
    bool weightedAccuracy() const { return value({SettingKey::WeightedAccuracy}).toBool(); }
    void setWeightedAccuracy(bool on) { setValue({SettingKey::WeightedAccuracy}, on); }
    int retrievalPeriodsIndex() const { return value({SettingKey::RetrievalPeriods}).toInt(); }
    void setRetrievalPeriodsIndex(int index) { setValue({SettingKey::RetrievalPeriods}, index); }
    QString formulaDownloadUrl() const { return value({SettingKey::FormulaDownloadUrl}).toString(); }
    void setFormulaDownloadUrl(const QString& url) { setValue({SettingKey::FormulaDownloadUrl}, url); }
    QString resultsHost() const { return value({SettingKey::ResultsHost}).toString(); }
    void setResultsHost(const QString& host) { setValue({SettingKey::ResultsHost}, host); }
    bool chanceColumn() const { return value({SettingKey::ChanceColumn}).toBool(); }
    void setChanceColumn(bool on) { setValue({SettingKey::ChanceColumn}, on); }
    QByteArray mainWindowGeometry() const { return value({SettingKey::MainWindowGeometry}).toByteArray(); }
    void setMainWindowGeometry(const QByteArray& geometry)
    {
        setValue({SettingKey::MainWindowGeometry}, geometry);
    }

    double categoryBound(int position, bool kill, int bound) const
    {
        return value(SettingKey::categoryBound(position, kill, bound)).toDouble();
    }
    void setCategoryBound(int position, bool kill, int bound, double value)
    {
        setValue(SettingKey::categoryBound(position, kill, bound), value);
    }
    static double defaultCategoryBound(bool kill, int bound);
    int operandCount(int position) const { return value(SettingKey::operandCount(position)).toInt(); }
    void setOperandCount(int position, int count) { setValue(SettingKey::operandCount(position), count); }
    int schemeTarget(int position, bool kill) const
    {
        return value(SettingKey::schemeTarget(position, kill)).toInt();
    }
    void setSchemeTarget(int position, bool kill, int target)
    {
        setValue(SettingKey::schemeTarget(position, kill), target);
    }

    // The stored text of a key, or empty when absent (tests look at what is written).
    QString rawValue(const QString& section, const QString& key) const;
    void sync();

    // The first write of the process that failed, once (empty when none failed since the last
    // call): the companion ends with it and exit status 1.
    static QString takeWriteFailure();
    // The ini text with the line of one key set (see write()); public for the tests.
    static QByteArray spliceIniLine(const QByteArray& text, const QByteArray& section, const QByteArray& line);

Q_SIGNALS:
    // After every accepted write, saved or not: the value in force may be read again.
    void changed(const quorvel::SettingKey& key);
    // A write that did not reach the file: "设置未能保存到 FILE：reason".
    void writeFailed(const QString& message);

private:
    void parseWholeFile();
    Status write(const QString& section, const QString& name, const QVariant& stored);
    static Result<QByteArray> plannedText(const QByteArray& text, const QString& section, const QString& name,
                                          const QVariant& stored, const QByteArray& line);

    std::unique_ptr<QSettings> m_store;
};

} // namespace quorvel

Q_DECLARE_METATYPE(quorvel::SettingKey)
