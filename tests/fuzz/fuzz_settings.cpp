// A settings file written by hand (the ini text of --settings-file, or a store another program
// left), read through the key table: every key of every section.
//
// Invariants: every key reads a value of its own type that is valid for it (or its default), so
// the typed accessors and what they index never see a value out of range; and writing one key
// changes how no other key reads.

#include "fuzz/FuzzSupport.h"

#include "core/LotteryType.h"
#include "core/Settings.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>

using namespace quorvel;

namespace {

std::vector<SettingKey> everyKey()
{
    std::vector<SettingKey> keys;
    for (int id = 0; id < SettingKey::CategoryBound; ++id)
        keys.push_back({SettingKey::Id(id)});
    for (int position = 1; position <= 8; ++position) {
        for (const bool kill : {false, true}) {
            for (int bound = 2; bound <= 9; ++bound)
                keys.push_back(SettingKey::categoryBound(position, kill, bound));
            keys.push_back(SettingKey::schemeTarget(position, kill));
        }
        keys.push_back(SettingKey::operandCount(position));
    }
    return keys;
}

QString nameOf(const SettingKey& key)
{
    return Settings::section(key) + QLatin1Char('/') + Settings::name(key);
}

QMetaType::Type typeOf(SettingKey::Id id)
{
    switch (id) {
    case SettingKey::ComputeSelected:
    case SettingKey::ResultsAtCurrentPeriod:
    case SettingKey::ExcludeCurrentPeriod:
    case SettingKey::WeightedAccuracy:
    case SettingKey::ChanceColumn:
        return QMetaType::Bool;
    case SettingKey::FormulaDownloadUrl:
    case SettingKey::ResultsHost:
        return QMetaType::QString;
    case SettingKey::MainWindowGeometry:
        return QMetaType::QByteArray;
    case SettingKey::CategoryBound:
        return QMetaType::Double;
    default:
        return QMetaType::Int;
    }
}

// The range each key's readers rely on, checked here independently of the key table.
bool inRange(const SettingKey& key, const QVariant& value)
{
    const int n = value.toInt();
    switch (key.id) {
    case SettingKey::LotteryType:
        return (n >= 0 && n < kLotteryTypeCount) || n == kNoLotteryType;
    case SettingKey::HistoryDays:
        return n >= 2 && n <= 10;
    case SettingKey::RetrievalPeriods:
        return n >= 0 && n < Settings::kRetrievalPeriodsCount;
    case SettingKey::OperandCount:
        return n >= 2 && n <= 24;
    case SettingKey::CategoryBound:
        return std::isfinite(value.toDouble());
    default:
        return true;
    }
}

std::vector<QVariant> readAll(const Settings& settings, const std::vector<SettingKey>& keys)
{
    std::vector<QVariant> values;
    for (const SettingKey& key : keys) {
        const QVariant value = settings.value(key);
        if (value.metaType().id() != typeOf(key.id))
            fuzz::violated("a key reads a value of its type",
                           nameOf(key) + QLatin1Char(' ') + value.typeName());
        if (!inRange(key, value))
            fuzz::violated("a key reads a valid value", nameOf(key) + QLatin1Char('=') + value.toString());
        values.push_back(value);
    }
    return values;
}

} // namespace

// A value may be a variant the store deserialises ("@Variant(...)"), whose stored length can ask
// for gigabytes. In the program that allocation fails or is never touched, the store refuses the
// value and the key reads its default (the released build reads such a file in 16 MB). Under the
// sanitizer the same request would end the run, or fill gigabytes of shadow memory, so here
// every request over 256 MB fails at once, as it would on a machine without that memory.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1:max_allocation_size_mb=256";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QTemporaryDir folder(QFile::exists(QStringLiteral("/dev/shm"))
                                          ? QStringLiteral("/dev/shm/quorvel-fuzz-settings-XXXXXX")
                                          : QString());
    static const std::vector<SettingKey> keys = everyKey();
    const QString path = folder.filePath(QStringLiteral("settings.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(fuzz::bytesOf(data, size)) != qint64(size))
            fuzz::violated("the fuzz input can be written", path);
    }

    std::vector<QVariant> before;
    {
        const Settings settings(path);
        before = readAll(settings, keys);
        Settings::retrievalPeriods(settings.retrievalPeriodsIndex());
        drawsPerDayOf(settings.lotteryTypeIndex());
        lotteryTypeCode(settings.lotteryTypeIndex());
    }

    // One key written, as the window writes a setting the moment it changes. A text whose other
    // keys no new text can keep (bytes the store cannot write back) refuses the write, which is
    // then reported, and every key, the written one too, reads as before.
    const int days = before[SettingKey::HistoryDays].toInt() == 4 ? 5 : 4;
    bool stored = false;
    {
        Settings settings(path);
        stored = settings.setValue({SettingKey::HistoryDays}, days);
        Settings::takeWriteFailure();
    }
    const Settings settings(path);
    const std::vector<QVariant> after = readAll(settings, keys);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const bool written = stored && keys[i] == SettingKey{SettingKey::HistoryDays};
        if (written ? after[i].toInt() != days : after[i] != before[i])
            fuzz::violated("writing one key changes how no other key reads",
                           nameOf(keys[i]) + QLatin1Char(' ') + before[i].toString() + QLatin1String(" -> ") +
                               after[i].toString());
    }
    return 0;
}
