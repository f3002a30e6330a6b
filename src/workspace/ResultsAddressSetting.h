#pragma once

#include "core/Result.h"

#include <QString>

#include <optional>

namespace quorvel {

class Workspace;

// The address of the results page (`KjUrl` of `IniSetting`): a host the type code and the host are
// joined into ("http://" + type code + host), or a whole base address starting with "http://" or
// "https://". Changed from the settings menu ("开奖数据地址设置(&K)"), asked for by the online
// update when none is set.
class ResultsAddressSetting
{
public:
    static const QString kTitle;
    static const QString kPrompt;

    explicit ResultsAddressSetting(Workspace& workspace);

    // The menu item: an input box with the stored value. An empty answer or Cancel keeps it; an
    // address that cannot be used is refused with a notice and asked for again.
    void edit();
    // The stored value; when none is stored, the answer of the input box, stored. Empty when the
    // user cancelled.
    std::optional<QString> ensure();
    // Whether a value can form a results page address.
    Status check(const QString& value) const;

private:
    std::optional<QString> ask(const QString& current);

    Workspace& m_workspace;
};

} // namespace quorvel
