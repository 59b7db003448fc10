#include "ui/FileDialog.h"

#include <algorithm>
#include <cstddef>

#include "audio/SoundKind.h"

const char kSchemeFilter[] = "Scheme files (*.scheme)|*.scheme|All files (*.*)|*.*||";
namespace {
const std::string kSoundFilterText = audio::SoundFileFilter();
}  // namespace
const char* const kSoundFilter = kSoundFilterText.c_str();

namespace {
// Room for long paths; the dialog needs the size up front.
constexpr std::size_t kFileBufferSize = 32768;

// The short record of the systems before Windows 2000: everything up to
// lpTemplateName. The long one adds three reserved fields, kept zero.
constexpr DWORD kShortRecordSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
static_assert(kShortRecordSize == 76 && sizeof(OPENFILENAMEA) == 88, "record sizes of the 32-bit system");
}  // namespace

bool IsWin2000OrLater() {
    OSVERSIONINFOEXA ex{};
    ex.dwOSVersionInfoSize = sizeof ex;
    OSVERSIONINFOA& info = reinterpret_cast<OSVERSIONINFOA&>(ex);
    if (!::GetVersionExA(&info)) {
        // Systems before NT 4 SP6 know only the plain record.
        info = OSVERSIONINFOA{};
        info.dwOSVersionInfoSize = sizeof info;
        if (!::GetVersionExA(&info)) return false;
    }
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 5;
}

CFileDialogEx::CFileDialogEx(bool open, const char* defaultExt, const std::string& initialName, DWORD flags,
                             const char* filter, HWND parent)
    : m_open(open),
      m_defaultExt(defaultExt ? defaultExt : ""),
      m_hasDefaultExt(defaultExt != nullptr),
      m_flags(flags),
      m_parent(parent),
      m_file(kFileBufferSize, '\0') {
    // Zero-filled after the initial name, so the buffer ends in two zeros.
    std::copy_n(initialName.begin(), std::min(initialName.size(), m_file.size() - 2), m_file.begin());
    if (filter) {
        m_filter = filter;
        std::replace(m_filter.begin(), m_filter.end(), '|', '\0');
        m_filter.append(2, '\0');  // ends in two zeros even without the closing "||"
    }
}

INT_PTR CFileDialogEx::DoModal() {
    HWND focus = ::GetFocus();
    HWND owner = m_parent ? m_parent : ::GetActiveWindow();
    if (owner) owner = ::GetAncestor(owner, GA_ROOT);

    OPENFILENAMEA ofn{};
    ofn.lStructSize = IsWin2000OrLater() ? sizeof ofn : kShortRecordSize;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    ofn.lpstrFile = m_file.data();
    ofn.nMaxFile = static_cast<DWORD>(m_file.size());
    ofn.lpstrDefExt = m_hasDefaultExt ? m_defaultExt.c_str() : nullptr;
    ofn.Flags = OFN_EXPLORER | m_flags;

    const BOOL chosen = m_open ? ::GetOpenFileNameA(&ofn) : ::GetSaveFileNameA(&ofn);
    m_path = chosen ? std::string(m_file.data()) : std::string();

    if (focus && ::IsWindow(focus)) ::SetFocus(focus);
    return chosen ? IDOK : IDCANCEL;
}
