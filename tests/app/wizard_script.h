// Scripts for the wizard tests: steps run one per tick of a thread timer
// inside whatever loop runs (the sheet's, or a message box's), and the
// texts of the windows a step looks at.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/afx/afx.h"

namespace wizard_test
{

struct Steps
{
    std::vector<std::function<void()>> list;
    size_t next = 0;
    UINT_PTR timer = 0;
};

inline Steps& Script()
{
    static Steps steps;
    return steps;
}

// Starts the steps; after the last one the active dialog is ended (after
// two seconds), so that no loop is left running. StopSteps ends them.
inline void RunSteps(std::vector<std::function<void()>> list)
{
    Script() = Steps{std::move(list), 0, 0};
    Script().timer = ::SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
        Steps& s = Script();
        if (s.next < s.list.size())
            s.list[s.next++]();
        else if (++s.next > s.list.size() + 100)
            ::EndDialog(::GetActiveWindow(), -7);
    });
}

inline void StopSteps()
{
    ::KillTimer(nullptr, Script().timer);
}

inline std::string WindowText(HWND hwnd)
{
    char text[512] = {};
    ::GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

// The texts of a window's children, each followed by '|'.
inline std::string ChildTexts(HWND hwnd)
{
    std::string texts;
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        texts += WindowText(child) + "|";
    return texts;
}

}  // namespace wizard_test
