#include "framework/App.h"

#include <commctrl.h>

#include <exception>
#include <new>

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

void ReportUnexpectedException(HWND owner) noexcept {
    try {
        std::string what;
        try {
            throw;
        } catch (const std::bad_alloc&) {
            what = "There is not enough memory.";
        } catch (const std::exception& e) {
            what = std::string("Internal error: ") + e.what();
        } catch (...) {
            what = "Internal error.";
        }
        ShowMessage(owner, "This action could not be completed.\n\n" + what, MB_OK | MB_ICONERROR);
    } catch (...) {
        // Not even the message could be shown; the program carries on.
    }
}

int ShowMessage(HWND owner, const std::string& text, UINT type) {
    if (g_messageHook) return g_messageHook(owner, text, type);
    return ::MessageBoxA(owner, text.c_str(), "Clangster", type);
}

}  // namespace fw
