#pragma once
#include <windows.h>

#include <string>

namespace fw {

class App {
public:
    static HINSTANCE Instance() { return ::GetModuleHandleA(nullptr); }
    // Common controls (track bars) and the look of the standard controls.
    static void InitCommonControls();
    // The command line after the program's own name, as typed.
    static std::string CommandLineArguments();
};

// A modal message box with the text and an OK button (or the given buttons).
int ShowMessage(HWND owner, const std::string& text, UINT type = MB_OK);

// An exception that reached a window procedure is a fault in the program or
// an exhausted memory: the user is told what failed, and the program goes on.
// Call only from inside a catch block.
void ReportUnexpectedException(HWND owner) noexcept;

// Tests replace the message box with a hook that records the text and
// returns the answer; null restores the real message box.
using MessageHook = int (*)(HWND owner, const std::string& text, UINT type);
void SetMessageHook(MessageHook hook);

}  // namespace fw
