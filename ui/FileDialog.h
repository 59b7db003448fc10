#pragma once
// The program's one file chooser: the system's open-file dialog in its
// explorer style. On Windows 2000 and later the long form of the record is
// handed over, which gets the newer layout with the places bar.
#include <windows.h>
#include <commdlg.h>  // the OFN_ flags callers pass

#include <string>
#include <vector>

// Filters in the "description|pattern|...||" form. The sound filter lists
// every kind of sound file the board reads first, then WAV files alone.
extern const char kSchemeFilter[];
extern const char* const kSoundFilter;

class CFileDialogEx {
public:
    // open: an open-file dialog, else a save-file one; defaultExt may be null;
    // initialName is the file name shown at the start.
    CFileDialogEx(bool open, const char* defaultExt, const std::string& initialName, DWORD flags,
                  const char* filter, HWND parent = nullptr);
    CFileDialogEx(const CFileDialogEx&) = delete;
    CFileDialogEx& operator=(const CFileDialogEx&) = delete;

    // IDOK when a file was chosen; IDCANCEL when cancelled or when the
    // dialog could not be shown.
    INT_PTR DoModal();
    // The full path chosen; empty unless DoModal gave IDOK.
    std::string GetPathName() const { return m_path; }

private:
    bool m_open;
    std::string m_defaultExt;
    bool m_hasDefaultExt;
    std::string m_filter;  // zero-separated, as the system wants it
    DWORD m_flags;
    HWND m_parent;
    std::vector<char> m_file;  // the name buffer the dialog reads and writes
    std::string m_path;
};

// True on the NT line from version 5 (Windows 2000) on.
bool IsWin2000OrLater();
