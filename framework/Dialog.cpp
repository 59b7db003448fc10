#include "framework/Dialog.h"

#include "framework/App.h"
#include "framework/Control.h"
#include "framework/Trace.h"

namespace fw {

namespace {
// Messages whose result a dialog procedure returns directly rather than through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT msg) {
    switch (msg) {
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG: case WM_QUERYDRAGICON: case WM_COMPAREITEM: case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return true;
    default:
        return false;
    }
}

bool IsControlColour(UINT msg) { return msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC; }
}  // namespace

Dialog::~Dialog() {
    if (hwnd_) {
        HWND hwnd = hwnd_;
        ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        hwnd_ = nullptr;
        ::DestroyWindow(hwnd);
    }
}

bool Dialog::Create(HWND parent) {
    ended_ = false;
    result_ = -1;
    return ::CreateDialogParamA(App::Instance(), MAKEINTRESOURCEA(templateId_), parent, DialogProc,
                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

INT_PTR Dialog::DoModal(HWND parent) {
    if (!Create(parent)) return -1;
    HWND hwnd = hwnd_;
    const bool parentWasEnabled = parent && ::IsWindowEnabled(parent);
    if (parentWasEnabled) ::EnableWindow(parent, FALSE);
    if (!ended_) ::ShowWindow(hwnd, SW_SHOW);
    trace::Stamp("ready");

    MSG msg;
    bool shown = false;
    while (!ended_) {
        if (!shown && trace::On() && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            trace::Stamp("shown");  // everything of the first showing painted
            shown = true;
        }
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));  // leave WM_QUIT for the outer loop
            break;
        }
        if (got < 0) break;
        if (msg.message == WM_KEYDOWN) trace::Stamp("key");
        if (msg.message == WM_HOTKEY) trace::Stamp("hotkey");
        if (PreTranslateMessage(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }

    if (parentWasEnabled) ::EnableWindow(parent, TRUE);
    if (hwnd_) {
        HWND own = hwnd_;
        ::DestroyWindow(own);  // clears hwnd_ on WM_NCDESTROY
    }
    if (parent) ::SetActiveWindow(parent);
    return result_;
}

void Dialog::EndDialog(INT_PTR result) {
    result_ = result;
    ended_ = true;
    ::PostMessageA(hwnd_, WM_NULL, 0, 0);  // wake the loop
}

bool Dialog::PreTranslateMessage(MSG& msg) {
    return hwnd_ && (msg.hwnd == hwnd_ || ::IsChild(hwnd_, msg.hwnd)) && ::IsDialogMessageA(hwnd_, &msg);
}

bool Dialog::OnCommand(int id, int, HWND) {
    switch (id) {
    case IDOK: OnOK(); return true;
    case IDCANCEL: OnCancel(); return true;
    default: return false;
    }
}

bool Dialog::Reflect(UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
    HWND child = nullptr;
    if (msg == WM_DRAWITEM)
        child = reinterpret_cast<const DRAWITEMSTRUCT*>(l)->hwndItem;
    else if (IsControlColour(msg) || msg == WM_HSCROLL || msg == WM_VSCROLL || (msg == WM_COMMAND && l))
        child = reinterpret_cast<HWND>(l);
    Control* control = (child && child != hwnd_) ? Control::FromHandle(child) : nullptr;
    return control && control->OnReflected(msg, w, l, result);
}

bool Dialog::OnMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        result = OnInitDialog() ? TRUE : FALSE;
        return true;
    case WM_COMMAND:
        return OnCommand(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l));
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(w));
        return true;
    case WM_CLOSE:
        OnCancel();
        return true;
    default:
        return false;
    }
}

INT_PTR Dialog::Dispatch(UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_COPYDATA) trace::Stamp("copydata");
    LRESULT result = 0;
    bool handled = Reflect(msg, w, l, result);
    if (!handled) handled = OnMessage(msg, w, l, result);
    if (msg == WM_DESTROY) OnDestroy();
    if (!handled) return FALSE;
    if (ReturnsResultDirectly(msg)) return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    Dialog* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(l);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    INT_PTR result = FALSE;
    try {
        result = self->Dispatch(msg, w, l);
    } catch (...) {
        // No exception may cross into the system's dialog manager.
        ReportUnexpectedException(hwnd);
        result = FALSE;
    }
    if (msg == WM_NCDESTROY) {
        // The window is gone: the object must not keep its handle.
        ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

}  // namespace fw
