#include "ui/ControlArrays.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>

namespace quorvel::ControlArrays {

QString name(const char* base, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(index);
}

QGroupBox* positionFrame(std::array<QRadioButton*, kPositionCount>& options, QWidget* parent)
{
    auto* frame = new QGroupBox(QStringLiteral("位数选择"), parent);
    auto* layout = new QGridLayout(frame);
    for (int position = 1; position <= kPositionCount; ++position) {
        auto* option = new QRadioButton(positionName(position), frame);
        option->setObjectName(QStringLiteral("optXing%1").arg(position));
        options[std::size_t(position - 1)] = option;
        layout->addWidget(option, (position - 1) / 4, (position - 1) % 4);
    }
    return frame;
}

QGroupBox* kindFrame(std::array<QRadioButton*, 2>& options, QWidget* parent)
{
    auto* frame = new QGroupBox(QStringLiteral("生杀"), parent);
    auto* layout = new QHBoxLayout(frame);
    options = ControlArrays::options<2>("Option2", {QStringLiteral("杀"), QStringLiteral("生")}, frame);
    for (QRadioButton* option : options)
        layout->addWidget(option);
    return frame;
}

} // namespace quorvel::ControlArrays
