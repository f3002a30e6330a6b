#include "ui/ToolWindows.h"

namespace quorvel {

ToolWindows::~ToolWindows()
{
    for (auto& [type, window] : m_windows)
        delete window.data();
}

} // namespace quorvel
