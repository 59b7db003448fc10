#include "ui/RenameDlg.h"

#include "framework/App.h"
#include "res/resource.h"

namespace {
// The text less every "|" character; double-byte characters pass whole.
std::string WithoutBars(const char* text) {
    std::string out;
    for (const char* p = text; *p;) {
        const char* next = ::CharNextA(p);
        if (next == p) break;
        if (!(next == p + 1 && *p == '|')) out.append(p, next);
        p = next;
    }
    return out;
}

// The clipboard's text, or false when it holds none.
bool ClipboardText(HWND owner, std::string& text) {
    if (!::OpenClipboard(owner)) return false;
    HANDLE data = ::GetClipboardData(CF_TEXT);
    const char* locked = data ? static_cast<const char*>(::GlobalLock(data)) : nullptr;
    if (locked) {
        text = locked;
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return locked != nullptr;
}
}  // namespace

LRESULT CNameEdit::WndProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_CHAR: {
        const bool trail = m_trailByteNext;
        const auto byte = static_cast<BYTE>(w);
        m_trailByteNext = !trail && ::IsDBCSLeadByte(byte);
        if (!trail && byte == '|') return 0;
        break;
    }
    case WM_PASTE: {
        // Pasted text goes in through EM_REPLACESEL, which filters it.
        std::string text;
        if (ClipboardText(hwnd_, text)) Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
        return 0;
    }
    case EM_REPLACESEL:
    case WM_SETTEXT:
        if (l) {
            const std::string text = WithoutBars(reinterpret_cast<const char*>(l));
            return Default(msg, w, reinterpret_cast<LPARAM>(text.c_str()));
        }
        break;
    default:
        break;
    }
    return Default(msg, w, l);
}

CRenameDlg::CRenameDlg() : fw::Dialog(IDD_RENAME) {}

bool CRenameDlg::OnInitDialog() {
    Send(WM_SETICON, ICON_SMALL,
         reinterpret_cast<LPARAM>(::LoadIconA(fw::App::Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME))));
    m_edit.Attach(hwnd_, IDC_RENAME_EDIT);
    m_edit.SetText(m_name);
    return true;
}

void CRenameDlg::OnOK() {
    m_name = m_edit.Text();
    EndDialog(IDOK);
}
