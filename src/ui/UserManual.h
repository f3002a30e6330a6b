#pragma once

#include "core/Result.h"

#include <QString>
#include <QUrl>

namespace quorvel {

// The program's own user manual: an HTML page built into the program, written out to the
// subfolder "说明" of the data folder when the user asks for it, so the browser can open it.
class UserManual
{
public:
    // Sections of the page, one per documentation button.
    static constexpr auto kManualSection = "manual"; // 使用说明 (`Command18`)
    static constexpr auto kSlidesSection = "slides"; // 图示说明 (`Command139`)
    static constexpr auto kVideoSection = "video";   // 演示说明 (`Command6`)

    static constexpr auto kResourcePath = ":/manual/index.html";
    static constexpr auto kFolderName = "说明";
    static constexpr auto kFileName = "index.html";

    // Writes the page (replacing an older copy) and returns its address at the section.
    static Result<QUrl> install(const QString& dataFolder, const QString& section);
};

} // namespace quorvel
