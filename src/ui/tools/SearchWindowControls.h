#pragma once

#include "core/TermTable.h"
#include "search/AcceptanceBounds.h"

#include <QString>

#include <array>
#include <optional>

class QAction;
class QCheckBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QListView;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QWidget;

namespace quorvel {

class FoundLinesModel;
struct FoundFormula;

// The controls of the search window, laid out in it with their captions, object names and the
// values they show before the window reads its settings; the window connects them. Members of a
// control array are named `<name>_<index>` (`Option2_0`, `Text1_2`, `Text5_1`, `Label4_8`,
// `chkAutApd_1`), except the position options `optXing1`..`optXing8`, named as in the main window.
struct SearchWindowControls
{
    // Builds every control into `window`.
    void setUp(QDialog* window);

    // The bounds boxes `Text1_2`..`Text1_9`; a box without a number reads as 0.
    void showBounds(const AcceptanceBounds& bounds);
    AcceptanceBounds boundsInBoxes() const;
    // The scheme targets `Text5_1`..`Text5_8`; empty where a box holds no number.
    std::array<std::optional<int>, kPositionCount> schemeTargets() const;
    // A candidate in `Text11` with its statistics in `Text1_11`..`Text1_14`.
    void showCandidate(const FoundFormula& shown);
    std::optional<quint64> typedSeed() const;

    // Names of the rows of bound and statistic boxes, in the order of bounds 2..9 (two per row).
    static const std::array<QString, 4>& statisticNames();
    static constexpr int kMinimumSamples = 20;
    static constexpr int kMaximumSamples = 1000;

    std::array<QRadioButton*, kPositionCount> positionOptions{}; // `optXing1`..`optXing8`
    std::array<QRadioButton*, 2> kindOptions{};                  // `Option2_0` 杀, `Option2_1` 生
    std::array<QRadioButton*, 2> formOptions{};                  // `Option6_0` prefix, `Option6_1` suffix
    std::array<QRadioButton*, 2> constantOptions{};              // `Option5_0` 指定, `Option5_1` 随机
    QLineEdit* constantBox = nullptr;                            // `Text6`
    QLineEdit* operandBox = nullptr;                             // `Text2`
    QScrollBar* operandScroll = nullptr;                         // `HScroll1`
    std::array<QLineEdit*, 8> boundBoxes{};                      // `Text1_2`..`Text1_9`
    std::array<QLineEdit*, 4> statisticBoxes{};                  // `Text1_11`..`Text1_14`
    QLineEdit* candidateBox = nullptr;                           // `Text11`
    QCheckBox* autoStop = nullptr;                               // `Check1`
    QLineEdit* autoStopTarget = nullptr;                         // `Text1_15`
    QLineEdit* triedBox = nullptr;                               // `Text3`
    QLineEdit* foundBox = nullptr;                               // `Text4`
    QLabel* repeatsLabel = nullptr;                              // "重复 D" beside it
    QLabel* luckLabel = nullptr;                                 // `lblLuck`
    QLineEdit* seedBox = nullptr;                                // `txtSeed`
    QListView* list = nullptr;                                   // `List1`
    FoundLinesModel* lines = nullptr;
    QAction* sortByFamilywise = nullptr;                  // `List1`'s menu: the smallest 族概率 first
    QPushButton* startButton = nullptr;                   // `Command1`
    QPushButton* pauseButton = nullptr;                   // `Command2`
    QPushButton* appendButton = nullptr;                  // `Command3`
    QPushButton* replaceButton = nullptr;                 // `Command4`
    QPushButton* exportButton = nullptr;                  // `Command20`
    std::array<QLabel*, kPositionCount> schemeLabels{};   // `Label4_1`..`Label4_8`
    std::array<QLineEdit*, kPositionCount> targetBoxes{}; // `Text5_1`..`Text5_8`
    std::array<QLabel*, kPositionCount> countLabels{};    // `Label5_1`..`Label5_8`
    std::array<QRadioButton*, 2> countModeOptions{};      // `Option4_0` hold, `Option4_1` new
    QLabel* totalLabel = nullptr;                         // `Label6`
    std::array<QCheckBox*, 2> autoStoreBoxes{};           // `chkAutApd_0`, `chkAutApd_1`
    QPushButton* saveTargetsButton = nullptr;             // `Command9`
    QPushButton* loadTargetsButton = nullptr;             // `Command10`
    QPushButton* schemeButton = nullptr;                  // `Command5`
    QPushButton* schemePauseButton = nullptr;             // `Command7`
    QPushButton* schemeContinueButton = nullptr;          // `Command6`
    QScrollBar* sampleScroll = nullptr;                   // `HScroll2`
    QLineEdit* sampleBox = nullptr;                       // `Text7`
    QPushButton* tuneButton = nullptr;                    // `Command11`
    QPushButton* saveCategoryButton = nullptr;            // `Command8`
    QPushButton* tuneAllButton = nullptr;                 // `Command12`

private:
    QGroupBox* createFormFrame(QWidget* window);
    QGroupBox* createConstantFrame(QWidget* window);
    QGroupBox* createOperandFrame(QWidget* window);
    QGroupBox* createBoundsFrame(QWidget* window);
    QGroupBox* createStatisticsFrame(QWidget* window);
    QWidget* createRunArea(QWidget* window);
    QGroupBox* createSchemeFrame(QWidget* window);
    QGroupBox* createTuningFrame(QWidget* window);
};

} // namespace quorvel
