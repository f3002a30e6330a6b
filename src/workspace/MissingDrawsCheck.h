#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

namespace quorvel {

class Workspace;

// The issues missing from the history between its oldest and its newest draw, day by day, with D
// of the chosen lottery type ("检查缺失期号(&M)", and after an online update or an import).
class MissingDrawsCheck
{
public:
    static const QString kTitle; // "检查缺失期号"
    static constexpr int kListedDays = 20;

    explicit MissingDrawsCheck(const Workspace& workspace);

    std::vector<qint32> missing() const;
    // The notice of the menu item: the range looked at and what is missing in it.
    QString report() const;
    // The missing issues one day to a line, at most kListedDays lines; empty when none is missing.
    static QString describe(const std::vector<qint32>& missing);

private:
    const Workspace& m_workspace;
};

} // namespace quorvel
