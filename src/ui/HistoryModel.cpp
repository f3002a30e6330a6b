#include "ui/HistoryModel.h"

#include "core/Settings.h"
#include "core/TermTable.h"
#include "verification/HistoryDisplay.h"
#include "workspace/VerificationDisplay.h"
#include "workspace/Workspace.h"

#include <QBrush>
#include <QFont>

namespace quorvel {

namespace {
constexpr int kTwipsPerPixel = 15;
constexpr int kFormulaWidthTwips = 760;
} // namespace

HistoryModel::HistoryModel(Workspace& workspace, QObject* parent)
    : QAbstractTableModel(parent), m_workspace(workspace)
{
    m_rows = m_workspace.history()->drawCount();
    m_markedPosition = m_workspace.currentPosition();
    connect(&m_workspace, &Workspace::historyChanged, this, &HistoryModel::reload);
    connect(&m_workspace, &Workspace::currentPositionChanged, this, &HistoryModel::markPosition);
    connect(&m_workspace, &Workspace::currentPositionChanged, this, &HistoryModel::refreshDisplay);
    connect(&m_workspace, &Workspace::formulaListChanged, this, &HistoryModel::refreshDisplay);
    connect(&m_workspace.settings(), &Settings::changed, this, [this](const SettingKey& key) {
        if (key.id == SettingKey::ResultsAtCurrentPeriod)
            refreshDisplay();
    });
}

int HistoryModel::columnWidthPixels(int column)
{
    if (column >= kColumnCount)
        return kFormulaWidthTwips / kTwipsPerPixel;
    return (column == kIssueColumn ? kIssueWidthTwips : kNumberWidthTwips) / kTwipsPerPixel;
}

void HistoryModel::setResultsShown(bool shown)
{
    if (shown == resultsShown())
        return;
    beginResetModel();
    if (shown)
        rebuildDisplay();
    else
        m_display.reset();
    endResetModel();
}

int HistoryModel::formulaColumnCount() const
{
    return m_display ? m_display->formulaCount() : 0;
}

void HistoryModel::rebuildDisplay()
{
    m_display =
        VerificationDisplay::forList(m_workspace, VerificationDisplay::modeOf(m_workspace.settings()));
}

void HistoryModel::refreshDisplay()
{
    if (!m_display)
        return;
    beginResetModel();
    rebuildDisplay();
    endResetModel();
}

QVariant HistoryModel::displayData(int draw, int listNumber, int role) const
{
    switch (role) {
    case Qt::DisplayRole:
        return HistoryDisplay::cellText(m_display->cell(listNumber, draw));
    case Qt::BackgroundRole:
        switch (m_display->cell(listNumber, draw).colour) {
        case CellColour::Blue:
            return QBrush(QColor(0, 0, 255));
        case CellColour::Green:
            return QBrush(QColor(0, 255, 0));
        case CellColour::White:
            return QBrush(Qt::white);
        case CellColour::None:
            return {};
        }
        return {};
    case Qt::ForegroundRole:
        // Readable on the blue of a hit.
        if (m_display->cell(listNumber, draw).colour == CellColour::Blue)
            return QBrush(Qt::white);
        return {};
    case Qt::TextAlignmentRole:
        return QVariant(Qt::AlignCenter);
    default:
        return {};
    }
}

int HistoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int HistoryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount + formulaColumnCount();
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const DrawTable& history = *m_workspace.history();
    const int draw = index.row();
    const int column = index.column();
    if (draw >= history.drawCount())
        return {};
    if (column >= kColumnCount)
        return m_display ? displayData(draw, column - kColumnCount + 1, role) : QVariant();
    switch (role) {
    case Qt::DisplayRole:
        if (column == kIssueColumn)
            return QStringLiteral("%1").arg(history.issues()[std::size_t(draw)], 8, 10, QLatin1Char('0'));
        return QString::number(history.numbersAt(column)[draw]);
    case Qt::TextAlignmentRole:
        return column == kIssueColumn ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                      : QVariant(Qt::AlignCenter);
    case Qt::FontRole:
        if (column == m_markedPosition) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::ForegroundRole:
        if (column == m_markedPosition)
            return QBrush(Qt::blue);
        return {};
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= kColumnCount && section < columnCount() &&
        role == Qt::DisplayRole)
        return HistoryDisplay::formulaHeader(section - kColumnCount + 1);
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return section == kIssueColumn ? QStringLiteral("期号") : positionName(section);
    return {};
}

void HistoryModel::reload()
{
    beginResetModel();
    m_rows = m_workspace.history()->drawCount();
    m_markedPosition = m_workspace.currentPosition();
    if (m_display)
        rebuildDisplay();
    endResetModel();
}

void HistoryModel::markPosition(int position)
{
    if (position == m_markedPosition)
        return;
    const int previous = m_markedPosition;
    m_markedPosition = position;
    if (m_rows == 0)
        return;
    const QList<int> roles{Qt::FontRole, Qt::ForegroundRole};
    for (int column : {previous, position}) {
        if (column >= 1 && column < kColumnCount)
            Q_EMIT dataChanged(index(0, column), index(m_rows - 1, column), roles);
    }
}

} // namespace quorvel
