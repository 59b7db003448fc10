#include "framework/App.h"

#include <commctrl.h>

namespace fw {

void App::InitCommonControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
}

std::string App::CommandLineArguments() {
    const char* p = ::GetCommandLineA();
    if (!p) return "";
    // Skip the program name, quoted or not, then the blanks after it.
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

namespace {
MessageHook g_messageHook = nullptr;
}

void SetMessageHook(MessageHook hook) { g_messageHook = hook; }

int ShowMessage(HWND owner, const std::string& text, UINT type) {
    if (g_messageHook) return g_messageHook(owner, text, type);
    return ::MessageBoxA(owner, text.c_str(), "Clangster", type);
}

}  // namespace fw
