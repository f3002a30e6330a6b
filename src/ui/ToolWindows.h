#pragma once

#include <QPointer>
#include <QWidget>

#include <map>
#include <typeindex>

namespace quorvel {

// Owns the tool windows: each is created on first use and kept, with what it holds, for the rest
// of the run, so opening it again shows the same window as the user left it.
class ToolWindows
{
public:
    ToolWindows() = default;
    ~ToolWindows();
    ToolWindows(const ToolWindows&) = delete;
    ToolWindows& operator=(const ToolWindows&) = delete;

    // The one window of its type, made by `create` (returning a new Window*) the first time.
    template <typename Window, typename Create> Window& window(Create&& create)
    {
        QPointer<QWidget>& slot = m_windows[std::type_index(typeid(Window))];
        if (!slot)
            slot = create();
        return static_cast<Window&>(*slot);
    }

private:
    std::map<std::type_index, QPointer<QWidget>> m_windows;
};

} // namespace quorvel
