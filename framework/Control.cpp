#include "framework/Control.h"

#include <commctrl.h>

#include <unordered_map>

#include "framework/App.h"

namespace fw {

namespace {
constexpr UINT_PTR kSubclassId = 1;

// The control object of each bound window. Kept in the process rather than
// as a window property: under Wine every property read or write is a server
// request, and the board binds 126 controls at start-up. Windows are only
// bound from the thread that owns them.
std::unordered_map<HWND, Control*>& Bound() {
    static std::unordered_map<HWND, Control*> bound;
    return bound;
}
}  // namespace

Control::~Control() { Detach(); }

bool Control::Attach(HWND dialog, int id) {
    Detach();
    HWND hwnd = ::GetDlgItem(dialog, id);
    if (!hwnd || !::SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    hwnd_ = hwnd;
    Bound()[hwnd] = this;
    OnAttached();
    return true;
}

void Control::Detach() {
    if (!hwnd_) return;
    Bound().erase(hwnd_);
    ::RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    hwnd_ = nullptr;
}

Control* Control::FromHandle(HWND hwnd) {
    const auto found = Bound().find(hwnd);
    return found == Bound().end() ? nullptr : found->second;
}

bool Control::RegisterOwnDcClass(const char* name) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!::GetClassInfoExA(nullptr, name, &wc)) return false;
    wc.cbSize = sizeof wc;
    wc.style = (wc.style | CS_OWNDC) & ~(CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS);
    wc.hInstance = App::Instance();
    wc.lpszClassName = name;
    return ::RegisterClassExA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Control::OnReflected(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT Control::WndProc(UINT msg, WPARAM w, LPARAM l) { return Default(msg, w, l); }

LRESULT Control::Default(UINT msg, WPARAM w, LPARAM l) { return ::DefSubclassProc(hwnd_, msg, w, l); }

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<Control*>(ref);
    if (msg == WM_NCDESTROY) {
        // The window goes first: forget it so the object never touches a dead handle.
        self->Detach();
        return ::DefSubclassProc(hwnd, msg, w, l);
    }
    try {
        return self->WndProc(msg, w, l);
    } catch (...) {
        // No exception may cross into the system's window procedure.
        ReportUnexpectedException(::GetAncestor(hwnd, GA_ROOT));
        return ::DefSubclassProc(hwnd, msg, w, l);
    }
}

}  // namespace fw
