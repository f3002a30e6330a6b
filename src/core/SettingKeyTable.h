#pragma once

#include "core/Settings.h"

#include <QString>
#include <QVariant>

#include <optional>

namespace quorvel {

// The search bounds a position and kind keep, numbered as their keys are.
inline constexpr int kFirstCategoryBound = 2;
inline constexpr int kLastCategoryBound = 9;

// How a key's value is read and written.
enum class SettingType
{
    Integer,
    Flag,
    Number,
    Text,
    Bytes
};

// One row of the key table. Keys of the search window compute their section, name and default
// from the position, kind and bound of the key.
struct SettingDefinition
{
    SettingKey::Id id; // the key the row belongs to
    SettingType type;
    QString (*section)(const SettingKey&);
    QString (*name)(const SettingKey&);
    QVariant (*defaultValue)(const SettingKey&);
    bool (*valid)(const QVariant&);                    // checks a value already converted to the key's type
    QVariant (*restored)(const SettingKey&) = nullptr; // written by "restore defaults"; none: left alone
};

const SettingDefinition& settingDefinition(SettingKey::Id id);
const SettingDefinition& settingDefinition(const SettingKey& key); // checks the key's position and bound
QString settingFullKey(const SettingKey& key); // "section/name"
// The stored text read as the key's type; empty when it does not read as one.
std::optional<QVariant> parseSetting(SettingType type, const QVariant& stored);
// The value as the store keeps it: text for everything but the window geometry.
QVariant storedSettingForm(SettingType type, const QVariant& value);

} // namespace quorvel
