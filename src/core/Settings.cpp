#include "core/Settings.h"

#include "core/LotteryType.h"
#include "core/TermTable.h"

#include <QLocale>
#include <QSettings>

#include <array>
#include <cmath>
#include <optional>
#include <utility>

namespace quorvel {

namespace {

constexpr std::array<int, Settings::kRetrievalPeriodsCount> kRetrievalPeriods = {0,   100, 200,  300,  500,
                                                                                 600, 800, 1000, 1500, 3000};
constexpr int kFirstBound = 2;
constexpr int kLastBound = 9;
// Acceptance bounds 2..9 (lower and upper ends of 最大连错, 最大连对, 最后连错, 最后连对).
constexpr std::array<double, 8> kDefaultKillBounds = {2, 32768, 0, 64, 2, 32768, 0, 0};
constexpr std::array<double, 8> kDefaultKeepBounds = {96, 32768, 0, 2, 96, 32768, 0, 0};

enum class Type
{
    Integer,
    Flag,
    Number,
    Text,
    Bytes
};

// One row of the key table. Keys of the search window compute their section, name and default
// from the position, kind and bound of the key.
struct Definition
{
    Type type;
    QString (*section)(const SettingKey&);
    QString (*name)(const SettingKey&);
    QVariant (*defaultValue)(const SettingKey&);
    bool (*valid)(const QVariant&);   // checks a value already converted to the key's type
    std::optional<QVariant> restored; // written by "restore defaults"
};

QString mainSection(const SettingKey&)
{
    return QStringLiteral("IniSetting");
}
QString windowSection(const SettingKey&)
{
    return QStringLiteral("Window");
}
QString positionSection(const SettingKey& key)
{
    return QString::number(key.position);
}
QString schemeSection(const SettingKey&)
{
    return QStringLiteral("SSSZ");
}

// Keys of the search window: kill uses the plain number, keep the number + 10.
QString boundName(const SettingKey& key)
{
    return QString::number(key.bound + (key.kill ? 0 : 10));
}
QString operandName(const SettingKey&)
{
    return QStringLiteral("text2");
}
QString schemeName(const SettingKey& key)
{
    return QString::number(key.position + (key.kill ? 0 : 10));
}

bool anyValue(const QVariant&)
{
    return true;
}
bool lotteryTypeValue(const QVariant& v)
{
    return isLotteryTypeIndex(v.toInt()) || v.toInt() == kNoLotteryType;
}
bool historyDaysValue(const QVariant& v)
{
    return v.toInt() >= 2 && v.toInt() <= 10;
}
bool retrievalValue(const QVariant& v)
{
    return v.toInt() >= 0 && v.toInt() < Settings::kRetrievalPeriodsCount;
}
bool operandValue(const QVariant& v)
{
    return v.toInt() >= 2 && v.toInt() <= 24;
}
bool finiteValue(const QVariant& v)
{
    return std::isfinite(v.toDouble());
}

template <int Value> QVariant fixedInt(const SettingKey&)
{
    return Value;
}
template <bool Value> QVariant fixedFlag(const SettingKey&)
{
    return Value;
}
QVariant emptyText(const SettingKey&)
{
    return QString();
}
QVariant emptyBytes(const SettingKey&)
{
    return QByteArray();
}
QVariant boundDefault(const SettingKey& key)
{
    return Settings::defaultCategoryBound(key.kill, key.bound);
}

QString nameOf(const char* name)
{
    return QString::fromLatin1(name);
}

#define QUORVEL_NAME(text) [](const SettingKey&) { return nameOf(text); }

const std::array<Definition, SettingKey::IdCount>& definitions()
{
    static const std::array<Definition, SettingKey::IdCount> table = {{
        {Type::Integer, mainSection, QUORVEL_NAME("GsZl"), fixedInt<kNoLotteryType>, lotteryTypeValue,
         std::nullopt},
        {Type::Integer, mainSection, QUORVEL_NAME("IniSerchDay"), fixedInt<3>, historyDaysValue, QVariant(6)},
        {Type::Flag, mainSection, QUORVEL_NAME("JSFF"), fixedFlag<true>, anyValue, std::nullopt},
        {Type::Flag, mainSection, QUORVEL_NAME("LsXs"), fixedFlag<false>, anyValue, QVariant(false)},
        {Type::Flag, mainSection, QUORVEL_NAME("SyBq"), fixedFlag<true>, anyValue, QVariant(true)},
        {Type::Flag, mainSection, QUORVEL_NAME("ZqlJq"), fixedFlag<true>, anyValue, QVariant(true)},
        {Type::Integer, mainSection, QUORVEL_NAME("JSQS"), fixedInt<3>, retrievalValue, QVariant(3)},
        {Type::Text, mainSection, QUORVEL_NAME("GsUrl"), emptyText, anyValue, std::nullopt},
        {Type::Text, mainSection, QUORVEL_NAME("KjUrl"), emptyText, anyValue, std::nullopt},
        {Type::Bytes, windowSection, QUORVEL_NAME("frmMain"), emptyBytes, anyValue, std::nullopt},
        {Type::Flag, mainSection, QUORVEL_NAME("SjGl"), fixedFlag<false>, anyValue, std::nullopt},
        {Type::Number, positionSection, boundName, boundDefault, finiteValue, std::nullopt},
        {Type::Integer, positionSection, operandName, fixedInt<8>, operandValue, std::nullopt},
        {Type::Integer, schemeSection, schemeName, fixedInt<80>, anyValue, std::nullopt},
    }};
    return table;
}

#undef QUORVEL_NAME

const Definition& definition(const SettingKey& key)
{
    Q_ASSERT(key.id >= 0 && key.id < SettingKey::IdCount);
    Q_ASSERT(key.id < SettingKey::CategoryBound || (key.position >= 1 && key.position <= kPositionCount));
    Q_ASSERT(key.id != SettingKey::CategoryBound || (key.bound >= kFirstBound && key.bound <= kLastBound));
    return definitions()[std::size_t(key.id)];
}

// Every key of the table, each position, kind and bound of the search window's keys included.
const std::vector<SettingKey>& everyKey()
{
    static const std::vector<SettingKey> keys = [] {
        std::vector<SettingKey> all;
        for (int id = 0; id < SettingKey::CategoryBound; ++id)
            all.push_back({SettingKey::Id(id)});
        for (int position = 1; position <= kPositionCount; ++position) {
            for (const bool kill : {false, true}) {
                for (int bound = kFirstBound; bound <= kLastBound; ++bound)
                    all.push_back(SettingKey::categoryBound(position, kill, bound));
                all.push_back(SettingKey::schemeTarget(position, kill));
            }
            all.push_back(SettingKey::operandCount(position));
        }
        return all;
    }();
    return keys;
}

QString fullKey(const SettingKey& key)
{
    const Definition& d = definition(key);
    return d.section(key) + QLatin1Char('/') + d.name(key);
}

// The stored text read as the key's type; empty when it does not read as one.
std::optional<QVariant> parse(Type type, const QVariant& stored)
{
    if (type == Type::Bytes)
        return stored.toByteArray();
    const QString text = stored.toString().trimmed();
    switch (type) {
    case Type::Integer: {
        bool ok = false;
        const int value = text.toInt(&ok);
        return ok ? std::optional<QVariant>(value) : std::nullopt;
    }
    case Type::Flag:
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return QVariant(true);
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return QVariant(false);
        return std::nullopt;
    case Type::Number: {
        bool ok = false;
        const double value = text.toDouble(&ok);
        return ok ? std::optional<QVariant>(value) : std::nullopt;
    }
    case Type::Text:
        return QVariant(stored.toString());
    case Type::Bytes:
        break;
    }
    return std::nullopt;
}

// The value as the store keeps it: text for everything but the window geometry.
QVariant storedForm(Type type, const QVariant& value)
{
    switch (type) {
    case Type::Integer:
        return QString::number(value.toInt());
    case Type::Flag:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Number:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case Type::Text:
        return value.toString();
    case Type::Bytes:
        return value.toByteArray();
    }
    return {};
}

} // namespace

Settings::Settings()
    : m_store(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                          QStringLiteral("Quorvel"), QStringLiteral("Quorvel")))
{
}

Settings::Settings(const QString& iniFilePath)
    : m_store(std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat))
{
}

Settings::~Settings() = default;

int Settings::retrievalPeriods(int index)
{
    Q_ASSERT(index >= 0 && index < kRetrievalPeriodsCount);
    return kRetrievalPeriods[std::size_t(index)];
}

double Settings::defaultCategoryBound(bool kill, int bound)
{
    Q_ASSERT(bound >= kFirstBound && bound <= kLastBound);
    return (kill ? kDefaultKillBounds : kDefaultKeepBounds)[std::size_t(bound - kFirstBound)];
}

QString Settings::section(const SettingKey& key)
{
    return definition(key).section(key);
}

QString Settings::name(const SettingKey& key)
{
    return definition(key).name(key);
}

QVariant Settings::defaultValue(const SettingKey& key) const
{
    return definition(key).defaultValue(key);
}

QVariant Settings::value(const SettingKey& key) const
{
    const Definition& d = definition(key);
    const QVariant stored = m_store->value(fullKey(key));
    if (!stored.isValid())
        return d.defaultValue(key);
    const std::optional<QVariant> parsed = parse(d.type, stored);
    if (!parsed || !d.valid(*parsed))
        return d.defaultValue(key);
    return *parsed;
}

bool Settings::setValue(const SettingKey& key, const QVariant& value)
{
    const Definition& d = definition(key);
    const std::optional<QVariant> parsed = parse(d.type, storedForm(d.type, value));
    if (!parsed || !d.valid(*parsed))
        return false;
    // Settings take effect for good the moment they change, so every write reaches the file at once.
    // The store writes the whole file again from what it parsed, and a hand-written file can hold
    // lines it reads one way and writes another (a key it lists but cannot read, in a section
    // written twice); every other key is made to read as it did before.
    const QString written = fullKey(key);
    std::vector<std::pair<QString, QVariant>> others;
    for (const SettingKey& other : everyKey()) {
        if (const QString name = fullKey(other); name != written)
            others.emplace_back(name, m_store->value(name));
    }
    m_store->setValue(written, storedForm(d.type, value));
    m_store->sync();
    bool restored = false;
    for (const auto& [name, before] : others) {
        if (m_store->value(name) == before)
            continue;
        if (before.isValid())
            m_store->setValue(name, before);
        else
            m_store->remove(name);
        restored = true;
    }
    if (restored)
        m_store->sync();
    Q_EMIT changed(key);
    return true;
}

void Settings::restoreDefaults()
{
    for (int id = 0; id < SettingKey::IdCount; ++id) {
        const Definition& d = definitions()[std::size_t(id)];
        if (d.restored)
            setValue(SettingKey{SettingKey::Id(id)}, *d.restored);
    }
}

QString Settings::rawValue(const QString& section, const QString& key) const
{
    return m_store->value(section + QLatin1Char('/') + key).toString();
}

void Settings::sync()
{
    m_store->sync();
}

} // namespace quorvel
