#include "ui/OptionsDlg.h"

#include "framework/App.h"
#include "res/resource.h"
#include "ui/FileDialog.h"

namespace {
constexpr int kEditIds[board::kFavouriteCount] = {
    IDC_FAVOURITE_1, IDC_FAVOURITE_2, IDC_FAVOURITE_3, IDC_FAVOURITE_4,  IDC_FAVOURITE_5,  IDC_FAVOURITE_6,
    IDC_FAVOURITE_7, IDC_FAVOURITE_8, IDC_FAVOURITE_9, IDC_FAVOURITE_10, IDC_FAVOURITE_11, IDC_FAVOURITE_12};
constexpr int kBrowseIds[board::kFavouriteCount] = {
    IDC_BROWSE_1, IDC_BROWSE_2, IDC_BROWSE_3, IDC_BROWSE_4,  IDC_BROWSE_5,  IDC_BROWSE_6,
    IDC_BROWSE_7, IDC_BROWSE_8, IDC_BROWSE_9, IDC_BROWSE_10, IDC_BROWSE_11, IDC_BROWSE_12};

// The text a monitor is stored as: the device's GUID. The system's default
// device, listed first without one, is stored as DirectSound's
// DSDEVID_DefaultPlayback, which names whichever device that is.
std::string OutputText(const audio::SoundOutput& output) {
    return output.id.empty() ? "{DEF00000-9C6D-47ED-AAF1-4DDA8F2B5C03}" : output.id;
}

// The drop-down's entries; an entry's index is the mode it stands for.
constexpr const char* kOnPlayModes[] = {"leave other sounds alone", "pause any other sounds playing",
                                        "fade out and pause any other sounds playing"};
}  // namespace

COptionsDlg::COptionsDlg() : fw::Dialog(IDD_OPTIONS) {}

bool COptionsDlg::OnInitDialog() {
    Send(WM_SETICON, ICON_SMALL,
         reinterpret_cast<LPARAM>(::LoadIconA(fw::App::Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME))));
    fw::Window modes(Item(IDC_ONPLAY_MODE));
    for (const char* mode : kOnPlayModes) modes.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
    m_givenFavourites = m_favourites;
    m_givenMode = m_onPlayMode;
    fw::Window outputs(Item(IDC_SOUND_OUTPUT));
    m_outputs = audio::EnumerateSoundOutputs();
    m_shownOutput = 0;
    for (std::size_t i = 0; i < m_outputs.size(); ++i) {
        outputs.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_outputs[i].name.c_str()));
        if (m_outputs[i].id == m_soundOutput) m_shownOutput = static_cast<int>(i);
    }
    outputs.Send(CB_SETCURSEL, static_cast<WPARAM>(m_shownOutput));
    fw::Window monitors(Item(IDC_MONITOR_OUTPUT));
    monitors.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("(none)"));
    m_shownMonitor = 0;
    for (std::size_t i = 0; i < m_outputs.size(); ++i) {
        monitors.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_outputs[i].name.c_str()));
        // The system's default has no text of its own: it is never a stored monitor.
        if (!m_monitor.output.empty() && m_outputs[i].id == m_monitor.output) m_shownMonitor = static_cast<int>(i + 1);
    }
    monitors.Send(CB_SETCURSEL, static_cast<WPARAM>(m_shownMonitor));
    fw::Window(Item(IDC_MONITOR_ALL)).Send(BM_SETCHECK, m_monitor.hearsAll ? BST_CHECKED : BST_UNCHECKED);
    ShowMembers();
    return true;
}

bool COptionsDlg::OnCommand(int id, int code, HWND control) {
    for (int i = 0; i < board::kFavouriteCount; ++i) {
        if (id == kBrowseIds[i] && code == BN_CLICKED) {
            BrowseFavourite(i);
            return true;
        }
    }
    return fw::Dialog::OnCommand(id, code, control);
}

void COptionsDlg::OnOK() {
    TakeControls();
    const auto chosen = static_cast<int>(fw::Window(Item(IDC_SOUND_OUTPUT)).Send(CB_GETCURSEL));
    if (chosen != m_shownOutput && chosen >= 0 && chosen < static_cast<int>(m_outputs.size()))
        m_soundOutput = m_outputs[static_cast<std::size_t>(chosen)].id;
    const auto monitor = static_cast<int>(fw::Window(Item(IDC_MONITOR_OUTPUT)).Send(CB_GETCURSEL));
    if (monitor != m_shownMonitor && monitor >= 0 && monitor <= static_cast<int>(m_outputs.size()))
        m_monitor.output = monitor == 0 ? std::string() : OutputText(m_outputs[static_cast<std::size_t>(monitor - 1)]);
    m_monitor.hearsAll = fw::Window(Item(IDC_MONITOR_ALL)).Send(BM_GETCHECK) == BST_CHECKED;
    EndDialog(IDOK);
}

void COptionsDlg::OnCancel() {
    // Browsing has already written its row into the members.
    m_favourites = m_givenFavourites;
    m_onPlayMode = m_givenMode;
    EndDialog(IDCANCEL);
}

void COptionsDlg::ShowMembers() {
    for (int i = 0; i < board::kFavouriteCount; ++i) fw::Window(Item(kEditIds[i])).SetText(m_favourites[i]);
    // A mode outside the list clears the selection.
    fw::Window(Item(IDC_ONPLAY_MODE)).Send(CB_SETCURSEL, static_cast<WPARAM>(m_onPlayMode));
}

void COptionsDlg::TakeControls() {
    for (int i = 0; i < board::kFavouriteCount; ++i) m_favourites[i] = fw::Window(Item(kEditIds[i])).Text();
    m_onPlayMode = static_cast<int>(fw::Window(Item(IDC_ONPLAY_MODE)).Send(CB_GETCURSEL));  // CB_ERR is -1
}

void COptionsDlg::BrowseFavourite(int index) {
    TakeControls();
    CFileDialogEx dialog(true, nullptr, m_favourites[index], OFN_HIDEREADONLY | OFN_NOCHANGEDIR, kSchemeFilter,
                         hwnd_);
    if (dialog.DoModal() == IDOK) m_favourites[index] = dialog.GetPathName();
    ShowMembers();
}
