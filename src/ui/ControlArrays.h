#pragma once

#include "core/TermTable.h"

#include <QRadioButton>
#include <QString>

#include <array>

class QGroupBox;

namespace quorvel::ControlArrays {

// The object name of member `index` of a control array: `<name>_<index>` (`Option2_0`).
QString name(const char* base, int index);

// Radio options with the captions in order, children of `parent`, named `<base>_<index>`.
template <std::size_t N>
std::array<QRadioButton*, N> options(const char* base, const std::array<QString, N>& captions,
                                     QWidget* parent)
{
    std::array<QRadioButton*, N> made{};
    for (std::size_t i = 0; i < N; ++i) {
        made[i] = new QRadioButton(captions[i], parent);
        made[i]->setObjectName(name(base, int(i)));
    }
    return made;
}

// "位数选择": the position options `optXing1`..`optXing8`, two rows of four.
QGroupBox* positionFrame(std::array<QRadioButton*, kPositionCount>& options, QWidget* parent);
// "生杀": `Option2_0` 杀 and `Option2_1` 生, in a row.
QGroupBox* kindFrame(std::array<QRadioButton*, 2>& options, QWidget* parent);

} // namespace quorvel::ControlArrays
