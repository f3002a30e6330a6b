#pragma once

class QCoreApplication;

namespace quorvel {

// Loads Qt's own Chinese translations (the buttons of message boxes, the file dialog) into the
// application; true when they were found.
bool installChineseTranslations(QCoreApplication& application);

} // namespace quorvel
