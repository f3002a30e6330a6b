#include "workspace/SpreadsheetExport.h"

#include "core/Job.h"
#include "core/ThreadStart.h"
#include "core/Workbook.h"
#include "workspace/Desktop.h"
#include "workspace/FormulaListSheet.h"
#include "workspace/PredictionState.h"
#include "workspace/Prompts.h"
#include "workspace/VerificationDisplay.h"
#include "workspace/Workspace.h"

#include <QDir>
#include <QFileInfo>

namespace quorvel {

SpreadsheetExport::SpreadsheetExport(Workspace& workspace) : m_workspace(workspace) {}

QString SpreadsheetExport::pathOf(const QString& fileName) const
{
    return QDir(m_workspace.dataFolder()).absoluteFilePath(fileName);
}

std::optional<SpreadsheetJob> SpreadsheetExport::history(bool withResults) const
{
    std::optional<HistorySheetResults> results;
    if (withResults) {
        if (!m_workspace.prompts().question(
                QStringLiteral("查询等待确认"),
                QStringLiteral(
                    "将本表导出到EXCEL，因为公式每一期验证数据较多可能需要数分钟，确认需要执行并等待吗？")))
            return std::nullopt;
        results = HistorySheetResults{
            m_workspace.currentPosition(), VerificationDisplay::modeOf(m_workspace.settings()), {}};
        for (const FormulaListRow& row : m_workspace.formulaList().rows())
            results->formulas.push_back({row.code, row.kill, row.displayText});
    }
    return SpreadsheetJob{pathOf(historyFileName()), QStringLiteral("导出列表到Excel"),
                          ExportSheets::history(m_workspace.history(), std::move(results))};
}

SpreadsheetJob SpreadsheetExport::formulaList(const std::vector<SortedFormulaRow>* sortedOrder) const
{
    return {pathOf(formulaListFileName()), QStringLiteral("导出到EXCEL表格"),
            FormulaListSheet::sheet(m_workspace, sortedOrder)};
}

SpreadsheetJob SpreadsheetExport::ranking(const PredictionState& state) const
{
    return {pathOf(rankingFileName()), QStringLiteral("列表显示错误"),
            ExportSheets::ranking(state.ranking().rankingTableRows())};
}

SpreadsheetJob SpreadsheetExport::detailList(const DetailList& list) const
{
    return {pathOf(formulaListFileName()), QStringLiteral("导出数据"), ExportSheets::detailList(list)};
}

SpreadsheetJob SpreadsheetExport::calculationSteps(const QString& code, const QString& displayText,
                                                   std::shared_ptr<const DrawTable> history) const
{
    return {pathOf(calculationStepsFileName()), QStringLiteral("导出到Excel"),
            ExportSheets::calculationSteps(code, displayText, std::move(history))};
}

SpreadsheetJob SpreadsheetExport::trend(TrendTables::TrendTab tab, TrendScope scope, int range) const
{
    return {pathOf(trendFileName()), QStringLiteral("导出Excel"),
            TrendTables::tabSheet(m_workspace.history(), tab, scope, range)};
}

int SpreadsheetExport::progressUnits(const SpreadsheetJob& job)
{
    // Packing the rows into the file takes about as long as half of them took to write.
    return job.sheet.rowCount + job.sheet.rowCount / 2 + 1;
}

Status SpreadsheetExport::write(const SpreadsheetJob& job)
{
    return write(job, nullptr);
}

void SpreadsheetExport::write(QPromise<Status>& promise, const SpreadsheetJob& job)
{
    promise.setProgressRange(0, progressUnits(job));
    promise.addResult(write(job, &promise));
}

Status SpreadsheetExport::write(const SpreadsheetJob& job, QPromise<Status>* promise)
{
    const auto failed = [&job](const QString& message) { return Failure{message, job.failureTitle}; };
    const auto stopped = [promise](int done) {
        if (!promise)
            return false;
        promise->setProgressValue(done);
        return promise->isCanceled();
    };
    const QString cancelled =
        QStringLiteral("导出已取消，%1 保持原样").arg(QDir::toNativeSeparators(job.path));
    Result<std::unique_ptr<Workbook>> workbook = Workbook::create(job.path);
    if (!workbook)
        return failed(workbook.error());
    std::vector<WorkbookCell> cells;
    for (int row = 0; row < job.sheet.rowCount; ++row) {
        if (stopped(row))
            return failed(cancelled);
        cells.clear();
        job.sheet.row(row, cells);
        if (Status appended = (*workbook)->appendRow(cells); !appended)
            return failed(appended.error());
    }
    if (stopped(job.sheet.rowCount))
        return failed(cancelled);
    if (promise)
        promise->setProgressValueAndText(job.sheet.rowCount,
                                         QStringLiteral("正在保存 %1 ...").arg(QFileInfo(job.path).fileName()));
    if (Status finished = (*workbook)->finish(); !finished)
        return failed(finished.error());
    return success();
}

void SpreadsheetExport::show(const SpreadsheetJob& job) const
{
    m_workspace.desktop().showFile(job.path);
}

Result<QString> SpreadsheetExport::run(const SpreadsheetJob& job) const
{
    Job<Status> writing;
    writing.run([&job](QPromise<Status>& promise) { write(promise, job); });
    if (!writing.hasResult())
        return Failure{outOfMemoryMessage(), job.failureTitle};
    if (const Status written = writing.result(); !written)
        return written.failure();
    show(job);
    return job.path;
}

} // namespace quorvel
