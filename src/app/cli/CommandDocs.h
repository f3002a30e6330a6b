#pragma once

#include <QString>

namespace quorvel::cli {

// The manual page quorvel-cli(1) and the bash completion of quorvel-cli, both made from the
// command table, so that neither can drift from what the program accepts.
QString manualPage(const QString& version);
QString bashCompletion();

} // namespace quorvel::cli
