#include "workspace/FormulaExport.h"

#include "core/TermTable.h"
#include "core/TextFile.h"
#include "formulas/FormulaTextExport.h"
#include "workspace/Desktop.h"
#include "workspace/Workspace.h"

#include <QDir>

#include <array>

namespace quorvel {

namespace {

const QString kTitle = QStringLiteral("公式中文导出");

// The issue box is free text; only a name part without folders or characters a file name cannot
// hold may become part of the file name.
bool isFileNamePart(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            return false;
    }
    return text != QLatin1String(".") && text != QLatin1String("..");
}

} // namespace

FormulaExport::FormulaExport(Workspace& workspace) : m_workspace(workspace) {}

Result<QString> FormulaExport::exportAll()
{
    if (!m_workspace.chineseDisplay()) {
        if (Status switched = m_workspace.setChineseDisplay(true); !switched)
            return switched.failure();
    }
    std::array<std::vector<FormulaTextExport::Row>, kPositionCount> rows;
    for (int position = 1; position <= kPositionCount; ++position) {
        const Result<std::vector<LightPassRow>> pass = m_workspace.YansuanCalcu(position);
        if (!pass)
            return pass.failure();
        for (const LightPassRow& row : *pass)
            rows[std::size_t(position - 1)].push_back({row.displayText, row.lastHits});
    }
    return write(FormulaTextExport::allPositions(rows));
}

Result<QString> FormulaExport::exportShown()
{
    if (!m_workspace.chineseDisplay()) {
        if (Status switched = m_workspace.setChineseDisplay(true); !switched)
            return switched.failure();
    }
    const FormulaList& list = m_workspace.formulaList();
    std::vector<FormulaTextExport::Row> rows;
    rows.reserve(std::size_t(list.count()));
    for (int listNumber = 1; listNumber <= list.count(); ++listNumber) {
        const std::size_t index = std::size_t(listNumber - 1);
        const int lastHits = index < list.results().size() ? list.results()[index].statistics.lastHits : 0;
        rows.push_back({list.row(listNumber).displayText, lastHits});
    }
    return write(FormulaTextExport::shownList(rows));
}

Result<QString> FormulaExport::write(const QStringList& lines)
{
    const QString issue = m_workspace.issueText();
    if (!isFileNamePart(issue))
        return Failure{QStringLiteral("期号“%1”不能用作文件名，请在期号框中改正").arg(issue), kTitle};
    const QString path = QDir(m_workspace.dataFolder()).filePath(FormulaTextExport::fileName(issue));
    if (Status written = TextFile::writeLines(path, lines); !written)
        return Failure{written.error(), kTitle};
    m_workspace.desktop().showFile(path);
    return path;
}

} // namespace quorvel
