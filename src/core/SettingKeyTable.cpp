#include "core/SettingKeyTable.h"

#include "core/LotteryType.h"
#include "core/TermTable.h"

#include <QLocale>

#include <array>
#include <cmath>

namespace quorvel {

namespace {

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

// Every key's row, each naming its key; a row out of place does not compile.
constexpr std::array<SettingDefinition, SettingKey::IdCount> kDefinitions = {{
    {SettingKey::LotteryType, SettingType::Integer, mainSection, QUORVEL_NAME("GsZl"),
     fixedInt<kNoLotteryType>, lotteryTypeValue},
    {SettingKey::HistoryDays, SettingType::Integer, mainSection, QUORVEL_NAME("IniSerchDay"), fixedInt<3>,
     historyDaysValue, fixedInt<6>},
    {SettingKey::ComputeSelected, SettingType::Flag, mainSection, QUORVEL_NAME("JSFF"), fixedFlag<true>,
     anyValue},
    {SettingKey::ResultsAtCurrentPeriod, SettingType::Flag, mainSection, QUORVEL_NAME("LsXs"),
     fixedFlag<false>, anyValue, fixedFlag<false>},
    {SettingKey::ExcludeCurrentPeriod, SettingType::Flag, mainSection, QUORVEL_NAME("SyBq"), fixedFlag<true>,
     anyValue, fixedFlag<true>},
    {SettingKey::WeightedAccuracy, SettingType::Flag, mainSection, QUORVEL_NAME("ZqlJq"), fixedFlag<true>,
     anyValue, fixedFlag<true>},
    {SettingKey::RetrievalPeriods, SettingType::Integer, mainSection, QUORVEL_NAME("JSQS"), fixedInt<3>,
     retrievalValue, fixedInt<3>},
    {SettingKey::FormulaDownloadUrl, SettingType::Text, mainSection, QUORVEL_NAME("GsUrl"), emptyText,
     anyValue},
    {SettingKey::ResultsHost, SettingType::Text, mainSection, QUORVEL_NAME("KjUrl"), emptyText, anyValue},
    {SettingKey::MainWindowGeometry, SettingType::Bytes, windowSection, QUORVEL_NAME("frmMain"), emptyBytes,
     anyValue},
    {SettingKey::ChanceColumn, SettingType::Flag, mainSection, QUORVEL_NAME("SjGl"), fixedFlag<false>,
     anyValue},
    {SettingKey::CategoryBound, SettingType::Number, positionSection, boundName, boundDefault, finiteValue},
    {SettingKey::OperandCount, SettingType::Integer, positionSection, operandName, fixedInt<8>, operandValue},
    {SettingKey::SchemeTarget, SettingType::Integer, schemeSection, schemeName, fixedInt<80>, anyValue},
}};

constexpr bool keyedInOrder()
{
    for (std::size_t id = 0; id < kDefinitions.size(); ++id) {
        if (kDefinitions[id].id != SettingKey::Id(id))
            return false;
    }
    return true;
}
static_assert(keyedInOrder(), "each row of the key table must stand at the place of its key");

#undef QUORVEL_NAME

} // namespace

const SettingDefinition& settingDefinition(SettingKey::Id id)
{
    Q_ASSERT(id >= 0 && id < SettingKey::IdCount);
    return kDefinitions[std::size_t(id)];
}

const SettingDefinition& settingDefinition(const SettingKey& key)
{
    Q_ASSERT(key.id < SettingKey::CategoryBound || (key.position >= 1 && key.position <= kPositionCount));
    Q_ASSERT(key.id != SettingKey::CategoryBound ||
             (key.bound >= kFirstCategoryBound && key.bound <= kLastCategoryBound));
    return settingDefinition(key.id);
}

QString settingFullKey(const SettingKey& key)
{
    const SettingDefinition& d = settingDefinition(key);
    return d.section(key) + QLatin1Char('/') + d.name(key);
}

std::optional<QVariant> parseSetting(SettingType type, const QVariant& stored)
{
    if (type == SettingType::Bytes)
        return stored.toByteArray();
    const QString text = stored.toString().trimmed();
    switch (type) {
    case SettingType::Integer: {
        bool ok = false;
        const int value = text.toInt(&ok);
        return ok ? std::optional<QVariant>(value) : std::nullopt;
    }
    case SettingType::Flag:
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return QVariant(true);
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return QVariant(false);
        return std::nullopt;
    case SettingType::Number: {
        bool ok = false;
        const double value = text.toDouble(&ok);
        return ok ? std::optional<QVariant>(value) : std::nullopt;
    }
    case SettingType::Text:
        return QVariant(stored.toString());
    case SettingType::Bytes:
        break;
    }
    return std::nullopt;
}

QVariant storedSettingForm(SettingType type, const QVariant& value)
{
    switch (type) {
    case SettingType::Integer:
        return QString::number(value.toInt());
    case SettingType::Flag:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case SettingType::Number:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case SettingType::Text:
        return value.toString();
    case SettingType::Bytes:
        return value.toByteArray();
    }
    return {};
}

} // namespace quorvel
