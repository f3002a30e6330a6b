#pragma once

#include "search/SearchSession.h"
#include "ui/DialogPrompts.h"
#include "ui/tools/SearchWindowControls.h"

#include <QDialog>
#include <QStringList>
#include <QTimer>

#include <array>
#include <memory>
#include <optional>

class QColor;

namespace quorvel {

class OperationProgress;
class Prompts;
class WaitCursor;
class Workspace;

// The formula search window `frmGSGL` "公式搜索设置以及搜索结果": the search settings, the single
// search, the automatic scheme, the tuning of the acceptance bounds, and the found formulas with
// their store and export. Modal, made once and kept, so it shows its settings and found formulas
// as they were left. The runs and the found list belong to its SearchSession (the companion's
// search commands drive the same one); the window shows the session's state and forwards clicks.
// One run at a time (single search, scheme or tuning): while one runs, the buttons that start the
// others are disabled. Closing the window stops what runs; what was found stays.
//
// The seed box `txtSeed` shows the seed of the last run and takes one typed by the user.
class SearchWindow : public QDialog
{
    Q_OBJECT
public:
    explicit SearchWindow(Workspace& workspace, QWidget* parent = nullptr);
    ~SearchWindow() override;

    // Where questions and notices go; the window's own dialogs unless set (tests, unattended runs).
    void setPrompts(Prompts& prompts) { m_prompts = &prompts; }

    const FoundList& foundList() const { return m_session.foundList(); }

public Q_SLOTS:
    void reject() override; // closing: stops every run first

protected:
    void showEvent(QShowEvent* event) override;

private:
    void connectControls();
    void connectSession();

    // --- settings (changes of position, kind and form reach a running search at once) ---
    void selectPosition(int position);
    void selectKind(bool kill);
    GenerationSettings generation() const;
    std::optional<int> specifiedConstant() const;
    FormulaText::Shape shape() const;
    std::optional<int> autoStopTarget() const;
    void applyLiveSettings();
    void refreshTableCounts();
    void refreshPlannedTotal();
    void saveSchemeTargets();
    void loadSchemeTargets();

    // --- runs ---
    void startSingleSearch();
    void startScheme();
    void schemePositionStarted(int position, int target, const AcceptanceBounds& bounds);
    void colourPositionLabel(int position, const QColor& colour);
    void schemeCompleted();
    void tune(bool all);
    void tuningResultReady(const TuningResult& result);
    void tuningFinished(bool outOfMemory);
    // --- found formulas and counters ---
    void addFound(const FoundBatch& formulas);
    void flushList();
    void storeFound(bool replace, bool automatic);
    void exportFound();
    void saveCategory();

    void updateButtons();
    void notice(const QString& title, const QString& message);

    Workspace& m_workspace;
    DialogPrompts m_dialogPrompts;
    Prompts* m_prompts = nullptr;
    SearchSession m_session;
    SearchWindowControls m_controls;

    int m_position = 1;
    bool m_kill = false;
    SchemeCountMode m_countMode = SchemeCountMode::New;
    std::array<int, kPositionCount> m_tableCounts{}; // `Label5`
    int m_existingTotal = 0;
    int m_runFirstLine = 0; // the `List1` line of the last single search's first found formula

    QStringList m_pendingLines; // found formulas not in `List1` yet
    QTimer m_listFlush;
    OperationProgress* m_tuneAllProgress = nullptr;
    std::unique_ptr<WaitCursor> m_waitCursor;
};

} // namespace quorvel
