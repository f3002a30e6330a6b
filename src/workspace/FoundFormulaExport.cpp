#include "workspace/FoundFormulaExport.h"

#include "core/DataFolder.h"
#include "core/TextFile.h"
#include "search/FoundListExport.h"
#include "workspace/Desktop.h"
#include "workspace/Workspace.h"

#include <QDir>

namespace quorvel {

const QString FoundFormulaExport::kTitle = QStringLiteral("公式中文导出");

FoundFormulaExport::FoundFormulaExport(Workspace& workspace) : m_workspace(workspace) {}

Result<QString> FoundFormulaExport::writeText(const QStringList& listLines)
{
    const QString issue = m_workspace.issueText();
    if (!fitsInFileName(issue))
        return Failure{
            QStringLiteral("期号“%1”含有不能用在文件名中的字符，请在期号框中改正后再导出").arg(issue),
            kTitle};
    const QString path = QDir(m_workspace.dataFolder()).filePath(FoundListExport::fileName(issue));
    if (Status written = TextFile::writeLines(path, FoundListExport::lines(listLines)); !written)
        return Failure{written.error(), kTitle};
    m_workspace.desktop().showFile(path);
    return path;
}

} // namespace quorvel
