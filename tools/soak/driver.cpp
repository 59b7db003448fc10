// clangster-soak-driver: works a running board hard from outside and reads
// what its process holds, for `make soak`.
//   figures           the board process's handles, GDI and USER objects,
//                     windows, private bytes, working set ("-" where the
//                     system does not answer) and the spool files in %TEMP%
//   run ROUNDS TRIGGERS
//                     ROUNDS times: New scheme, favourite 1 opened, TRIGGERS /
//                     ROUNDS name triggers across all 18 slots, a slot's Reload
//                     or Clear through its menu, a theme; every 5th round a
//                     layout switch; the on-play mode changed through Options
//                     nine times over the run (each mode in turn)
//   reset             the reference state: New, favourite 1 loaded, Normal,
//                     green, fade mode, all stopped
//   close             asks the board to close
// Sound names are "SOAK 01" to "SOAK 18". Exit code 1 when the board stops
// answering or a step does not take, 3 when no board runs.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/SlotIds.h"
#include "res/resource.h"
#include "tools/trigger/FindBoard.h"

namespace {

HWND g_board;
DWORD g_pid;

bool Fail(const char* what, int n = -1) {
    std::fprintf(stderr, "clangster-soak-driver: %s %d (error %lu)\n", what, n, ::GetLastError());
    return false;
}

// Sent, so each step is done when the call returns; a board that does not
// answer within 20 s counts as hung.
bool Send(UINT msg, WPARAM w, LPARAM l, HWND to = nullptr) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(to ? to : g_board, msg, w, l, SMTO_ABORTIFHUNG, 20000, &result) != 0;
}
bool Command(int id) { return Send(WM_COMMAND, static_cast<WPARAM>(id), 0) || Fail("command", id); }

std::string Name(int slot) {
    char name[16];
    std::snprintf(name, sizeof name, "SOAK %02d", slot + 1);
    return name;
}

bool Trigger(int slot) {
    const std::string name = Name(slot);
    COPYDATASTRUCT data{0, static_cast<DWORD>(name.size()), const_cast<char*>(name.data())};
    return Send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) || Fail("trigger", slot);
}

// A visible top-level window of the board's process of that class (and
// caption), waited for up to 20 s; with `gone`, waits until there is none.
HWND WaitForWindow(const char* className, const char* caption, bool gone = false) {
    for (int tries = 0; tries < 4000; ++tries) {
        HWND found = nullptr, shown = nullptr;
        while (!shown && (found = ::FindWindowExA(nullptr, found, className, caption))) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(found, &pid);
            if (pid == g_pid && ::IsWindowVisible(found)) shown = found;
        }
        if (gone != (shown != nullptr)) return gone ? g_board : shown;
        ::Sleep(5);
    }
    return nullptr;
}

std::string TitleText(int slot) {
    char text[64] = {};
    ::SendMessageTimeoutA(::GetDlgItem(g_board, app::kSlotIds[slot].title), WM_GETTEXT, sizeof text,
                          reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 20000, nullptr);
    return text;
}

// Opens the slot's menu with a click on its menu zone and chooses the
// `item`th entry with the keys (3 Clear, 4 Reload).
bool SlotMenu(int slot, int item) {
    HWND play = ::GetDlgItem(g_board, app::kSlotIds[slot].play);
    RECT r{};
    ::GetClientRect(play, &r);
    const LPARAM at = MAKELPARAM(r.right - 6, r.bottom / 2);
    ::PostMessageA(play, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageA(play, WM_LBUTTONUP, 0, at);
    HWND menu = WaitForWindow("#32768", nullptr);
    if (!menu) return Fail("no slot menu", slot);
    for (int i = 0; i < item; ++i) ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    if (!WaitForWindow("#32768", nullptr, true)) return Fail("slot menu stays", slot);
    return Send(WM_NULL, 0, 0) || Fail("no answer after slot menu", slot);
}

bool SetOnPlayMode(int mode) {
    ::PostMessageA(g_board, WM_COMMAND, ID_TOOLS_OPTIONS, 0);
    HWND options = WaitForWindow("#32770", "Options");
    if (!options) return Fail("no Options dialog", mode);
    ::SendMessageA(::GetDlgItem(options, IDC_ONPLAY_MODE), CB_SETCURSEL, static_cast<WPARAM>(mode), 0);
    ::PostMessageA(options, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return WaitForWindow("#32770", "Options", true) != nullptr || Fail("Options stays", mode);
}

bool OpenScheme() {
    return Command(ID_FILE_NEW) && Command(ID_SCHEME_1) && (TitleText(0).rfind("SOAK 01", 0) == 0 ||
                                                            Fail("favourite 1 not loaded"));
}

// Sounds load off the board's thread; a slot still loading shows "..;.." for its length.
bool LoadsDone() {
    for (int tries = 0; tries < 6000; ++tries) {
        bool loading = false;
        for (int slot = 0; slot < board::kSlotCount && !loading; ++slot)
            loading = TitleText(slot).find("..;..") != std::string::npos;
        if (!loading) return true;
        ::Sleep(10);
    }
    return Fail("sounds still loading after a minute");
}

bool Reset() {
    return OpenScheme() && LoadsDone() && Command(ID_VIEW_NORMAL) && Command(ID_VIEW_GREEN) && SetOnPlayMode(2) &&
           Command(ID_TOOLS_STOP_ALL);
}

// The board's decoded sounds kept in files of the temporary folder.
int SpoolFiles() {
    char folder[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof folder, folder);
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((std::string(folder) + "clangster-*.spool").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do ++n;
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return n;
}

// Milliseconds spent in each kind of step, for the report.
struct Clock {
    double total[5] = {};
    LARGE_INTEGER last{};
    Clock() { ::QueryPerformanceCounter(&last); }
    void Lap(int kind) {
        LARGE_INTEGER now{}, frequency{};
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        total[kind] += 1000.0 * static_cast<double>(now.QuadPart - last.QuadPart) / static_cast<double>(frequency.QuadPart);
        last = now;
    }
};

bool Run(int rounds, int triggers) {
    int sent = 0, slotOps = 0, themes = 0, layouts = 0, modes = 0;
    Clock clock;
    for (int round = 0; round < rounds; ++round) {
        if (round == 0 || round * 9 / rounds != (round - 1) * 9 / rounds) {  // nine changes, or one a round
            if (!SetOnPlayMode(modes % 3)) return false;
            ++modes;
        }
        clock.Lap(4);
        if (!OpenScheme()) return false;
        clock.Lap(0);
        for (const int end = static_cast<int>(static_cast<long long>(triggers) * (round + 1) / rounds); sent < end;
             ++sent)
            if (!Trigger((sent * 7) % board::kSlotCount)) return false;  // 7 and 18 share no factor: every slot
        clock.Lap(1);
        const int slot = (round * 5) % board::kSlotCount;
        if (round % 2 == 0) {
            if (!SlotMenu(slot, 4)) return false;  // Reload: the sound freed and read again
        } else if (!SlotMenu(slot, 3) || TitleText(slot).find("SOAK") != std::string::npos) {
            return Fail("Clear did not empty slot", slot);
        }
        ++slotOps;
        clock.Lap(2);
        if (!Command(ID_VIEW_GREEN + round % 5)) return false;
        ++themes;
        if (round % 5 == 4) {
            if (!Command(layouts % 2 ? ID_VIEW_NORMAL : ID_VIEW_COMPACT)) return false;
            ++layouts;
        }
        clock.Lap(3);
    }
    std::printf("rounds=%d\nschemes=%d\nnew=%d\ntriggers=%d\nslotops=%d\nthemes=%d\nlayouts=%d\nmodes=%d\n", rounds,
                rounds, rounds, sent, slotOps, themes, layouts, modes);
    std::printf("ms: scheme loads %.0f, triggers %.0f, slot menu %.0f, views %.0f, options %.0f\n", clock.total[0],
                clock.total[1], clock.total[2], clock.total[3], clock.total[4]);
    return true;
}

int CountWindows() {
    struct Count {
        static BOOL CALLBACK Child(HWND, LPARAM n) {
            ++*reinterpret_cast<int*>(n);
            return TRUE;
        }
        static BOOL CALLBACK Top(HWND hwnd, LPARAM n) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(hwnd, &pid);
            if (pid != g_pid) return TRUE;
            ++*reinterpret_cast<int*>(n);
            ::EnumChildWindows(hwnd, Child, n);
            return TRUE;
        }
    };
    int n = 0;
    ::EnumWindows(Count::Top, reinterpret_cast<LPARAM>(&n));
    return n;
}

// The process's entry in the system's process list, which Wine fills from
// its server where the per-process calls answer nothing.
bool SystemEntry(ULONG& handles, SIZE_T& privateBytes) {
    std::string buffer(1 << 20, '\0');
    ULONG size = 0;
    if (::NtQuerySystemInformation(SystemProcessInformation, &buffer[0], static_cast<ULONG>(buffer.size()), &size) != 0)
        return false;
    for (std::size_t at = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
        if (reinterpret_cast<DWORD_PTR>(entry->UniqueProcessId) == g_pid) {
            handles = entry->HandleCount;
            privateBytes = entry->PrivatePageCount;
            return true;
        }
        if (!entry->NextEntryOffset) return false;
        at += entry->NextEntryOffset;
    }
}

bool Figures() {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, g_pid);
    if (!process) return Fail("OpenProcess", static_cast<int>(::GetLastError()));
    auto print = [](const char* name, bool answered, unsigned long long value) {
        if (answered)
            std::printf("%s=%llu\n", name, value);
        else
            std::printf("%s=-\n", name);
    };
    // A running process holds handles; 0 means the call answers nothing.
    DWORD handles = 0;
    print("handles", ::GetProcessHandleCount(process, &handles) != 0 && handles != 0, handles);
    ULONG listed = 0;
    SIZE_T listedPrivate = 0;
    const bool inList = SystemEntry(listed, listedPrivate);
    print("listhandles", inList && listed != 0, listed);
    print("listprivate", inList && listedPrivate != 0, listedPrivate);
    // A process with a window has GDI and USER objects; 0 means the call is not implemented.
    const DWORD gdi = ::GetGuiResources(process, GR_GDIOBJECTS), user = ::GetGuiResources(process, GR_USEROBJECTS);
    print("gdi", gdi != 0, gdi);
    print("user", user != 0, user);
    print("windows", true, static_cast<unsigned long long>(CountWindows()));
    PROCESS_MEMORY_COUNTERS_EX memory{};
    const bool got = ::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                            sizeof memory) != 0;
    print("private", got && memory.PrivateUsage != 0, memory.PrivateUsage);
    print("workingset", got && memory.WorkingSetSize != 0, memory.WorkingSetSize);
    print("spools", true, static_cast<unsigned long long>(SpoolFiles()));
    ::CloseHandle(process);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: clangster-soak-driver figures|run ROUNDS TRIGGERS|reset|close\n");
        return 2;
    }
    g_board = FindBoardWindow();
    if (!g_board) {
        std::fprintf(stderr, "clangster-soak-driver: no board running\n");
        return 3;
    }
    ::GetWindowThreadProcessId(g_board, &g_pid);
    const std::string command = argv[1];
    bool ok = false;
    if (command == "figures") {
        ok = Figures();
    } else if (command == "run" && argc == 4) {
        ok = Run(std::max(1, std::atoi(argv[2])), std::max(0, std::atoi(argv[3])));
    } else if (command == "reset") {
        ok = Reset();
    } else if (command == "close") {
        ok = ::PostMessageA(g_board, WM_CLOSE, 0, 0) != 0;
    } else {
        std::fprintf(stderr, "clangster-soak-driver: unknown command %s\n", command.c_str());
        return 2;
    }
    return ok ? 0 : 1;
}
