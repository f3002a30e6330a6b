#pragma once

#include "core/Result.h"
#include "history/HistoryTextImport.h"

#include <QString>

#include <vector>

namespace quorvel {

class Workspace;

struct HistoryImportOutcome
{
    bool cancelled = false; // no file chosen, or Cancel in the preview: nothing stored
    int stored = 0;
    std::vector<qint32> missing; // issues missing between the oldest and newest draw afterwards
    Status refreshed = success();
};

// The history import of the window ("从文本文件导入历史号码(&I)"): a text or CSV file of draw lines
// (the formats `history import` reads) is read and checked first; a preview says how many draws
// are new, already stored or refused, with the first refused lines; OK stores the new draws in
// one transaction through the online parameter path, Cancel stores nothing. The refused lines are
// left out. Then history, verification and the next issue.
class HistoryFileImport
{
public:
    static const QString kTitle; // "导入历史号码"
    static constexpr int kPreviewRefusals = 10;

    explicit HistoryFileImport(Workspace& workspace);

    // Asks for the file, then import(path).
    Result<HistoryImportOutcome> chooseAndImport();
    Result<HistoryImportOutcome> import(const QString& filePath);

    // The text of the preview.
    static QString previewText(const QString& filePath, const HistoryTextImport::Plan& plan);
    // The notice after an import that stored draws.
    static QString outcomeMessage(const HistoryImportOutcome& outcome);

private:
    Workspace& m_workspace;
};

} // namespace quorvel
