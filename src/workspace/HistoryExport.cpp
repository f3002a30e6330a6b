#include "workspace/HistoryExport.h"

#include "core/DataFolder.h"
#include "core/TextFile.h"
#include "history/HistoryTextExport.h"
#include "workspace/Desktop.h"
#include "workspace/Workspace.h"

#include <QDir>

namespace quorvel {

HistoryExport::HistoryExport(Workspace& workspace) : m_workspace(workspace) {}

Result<QString> HistoryExport::writeText()
{
    const QString issue = m_workspace.issueText();
    if (!fitsInFileName(issue))
        return Failure{
            QStringLiteral("期号“%1”含有不能用在文件名中的字符，请在期号框中改正后再导出").arg(issue),
            QStringLiteral("导出历史号码")};
    const QString path = QDir(m_workspace.dataFolder()).filePath(HistoryTextExport::fileName(issue));
    if (Status written = TextFile::writeLines(path, HistoryTextExport::lines(*m_workspace.history()));
        !written)
        return written.failure();
    m_workspace.desktop().showFile(path);
    return path;
}

} // namespace quorvel
