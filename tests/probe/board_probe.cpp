// board-probe: drives and inspects a running board from outside, the way
// a user would see it, for the end-to-end tests.
//   board-probe state                 window title and every slot's texts, image and sliders
//   board-probe key VK [shift]        presses a key with SendInput (optionally with Shift held)
//   board-probe keydown VK | keyup VK
//   board-probe command ID            a menu command
//   board-probe click ID X            a left click at client x of a control (y centred)
//   board-probe volume SLOT VALUE     drags a volume slider to VALUE
//   board-probe position SLOT VALUE   lets a position slider go at VALUE
//   board-probe copydata HEX|-null N  sends WM_COPYDATA with raw bytes (or a null pointer and size N)
//   board-probe close                 asks the board to close (WM_CLOSE)
//   board-probe rect ID               a control's client rectangle in screen coordinates
//   board-probe menuzone SLOT         a real mouse click on the menu zone of a slot's Play button
//   board-probe dismiss               closes the open pop-up menu with Esc
//   board-probe choose N              chooses the Nth item (separators not counted) of the open pop-up menu
//   board-probe dialog CAPTION set ID TEXT | press ID | select ID INDEX | get ID | choose ID TEXT | check ID 0|1
//                                     | hotkey ID VALUE (a hot-key control's value)
//                                     (choose: the first drop-down entry that contains TEXT;
//                                     check: a check box set as a click leaves it)
//                                     works a top-level dialog of that caption (waits for it)
//   board-probe gone CAPTION          waits until no dialog of that caption is shown
//   board-probe boards                how many boards are running
//   board-probe hotkey MODS VK        holds that system-wide hotkey until ended, for at most 5 minutes
// An action returns once the board (or the dialog) has handled it, exit code
// 1 when it did not in time; exit code 3 when no board is running.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/SlotIds.h"
#include "tools/trigger/FindBoard.h"

namespace {

std::string TextOf(HWND hwnd) {
    char buf[512] = {};
    ::SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000,
                          nullptr);
    return buf;
}

// Which image the Play button shows, read from the screen: the 9x5 image
// stands 5 pixels in from the left, centred vertically.
const char* PlayImageOf(HWND button) {
    RECT r;
    ::GetClientRect(button, &r);
    POINT origin{5, (r.bottom - 5) / 2};
    ::ClientToScreen(button, &origin);
    HDC screen = ::GetDC(nullptr);
    int green = 0, amber = 0, grey = 0;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 9; ++x) {
            const COLORREF c = ::GetPixel(screen, origin.x + x, origin.y + y);
            const int red = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
            if (g > 140 && red < 100 && b < 120) ++green;
            else if (red > 180 && g > 100 && g < 220 && b < 90) ++amber;
            else if (red < 160 && std::abs(red - g) < 20 && std::abs(g - b) < 20) ++grey;
        }
    }
    ::ReleaseDC(nullptr, screen);
    if (green >= 4) return "playing";
    if (amber >= 4) return "paused";
    if (grey >= 4) return "idle";
    return "unknown";
}

void Key(WORD vk, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    ::SendInput(1, &input, sizeof input);
}

// A click at a screen point: the buttons go down and up where the cursor was
// put, whether or not the X pointer has followed yet.
void ClickAt(POINT at) {
    ::SetCursorPos(at.x, at.y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, input, sizeof input[0]);
}

DWORD ThreadOf(HWND window) { return ::GetWindowThreadProcessId(window, nullptr); }

bool WaitFor(bool (*done)(), DWORD milliseconds = 20000) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > milliseconds) return false;
        ::Sleep(1);
    }
    return true;
}

// Waiting for the board. A thread takes sent messages first, then posted
// ones, then input in the order it came, and handles each before it takes
// the next. So once the thread that has the keyboard has taken a key pressed
// after an action, it has handled the action (posted or typed) and all that
// came before; an action that opened a menu or a dialog has gone as far as
// that loop, which took the key. The marker is a key no keyboard has and no
// window handles. Attached to that thread's input, the probe reads the key
// state the thread reads, which shows the marker down once it was taken, as
// on Windows: Wine keeps that state as the thread's own while keys wait in
// its queue, and brings it in step with the keyboard only when none are left.
constexpr WORD kMarkerKey = 0x97;  // unassigned

bool MarkerTaken() { return ::GetKeyState(kMarkerKey) < 0; }
bool MarkerReleased() { return !MarkerTaken(); }

// Until `thread`, which has the keyboard, has handled what came before; false
// when it has not in 20 s.
bool RoundTrip(DWORD thread) {
    const DWORD self = ::GetCurrentThreadId();
    if (!::AttachThreadInput(self, thread, TRUE)) return false;
    // A marker left down by a probe that was stopped half-way goes up first.
    if (::GetAsyncKeyState(kMarkerKey) < 0) Key(kMarkerKey, false);
    const bool ready = WaitFor(MarkerReleased);
    Key(kMarkerKey, true);
    const bool taken = ready && WaitFor(MarkerTaken);
    Key(kMarkerKey, false);
    ::AttachThreadInput(self, thread, FALSE);
    return taken;
}

// Keys from SendInput go to the thread of the foreground window, so every
// action makes sure that is the thread it waits for.
bool TakeKeyboard(HWND window) {
    if (ThreadOf(::GetForegroundWindow()) == ThreadOf(window)) return true;
    ::SetForegroundWindow(window);
    return ThreadOf(::GetForegroundWindow()) == ThreadOf(window) && RoundTrip(ThreadOf(window));
}

int NotHandled() {
    std::fprintf(stderr, "board-probe: the board did not take the input in time\n");
    return 1;
}

// The exit code of an action once its thread has handled it.
int Handled(DWORD thread) { return RoundTrip(thread) ? 0 : NotHandled(); }

// The first visible top-level window of the class (and caption, when given),
// waited for up to ten seconds.
HWND WaitForTopLevel(const char* className, const char* caption) {
    for (int tries = 0; tries < 100; ++tries) {
        HWND found = nullptr;
        while ((found = ::FindWindowExA(nullptr, found, className, caption)))
            if (::IsWindowVisible(found)) return found;
        ::Sleep(100);
    }
    return nullptr;
}

int CountBoards() {
    struct Count {
        static BOOL CALLBACK Visit(HWND hwnd, LPARAM count) {
            char caption[512];
            const int length = ::GetWindowTextA(hwnd, caption, sizeof caption);
            const int end = static_cast<int>(sizeof board::kTitleSuffix) - 1;
            if (::IsWindowVisible(hwnd) && length > end && std::strcmp(caption + length - end, board::kTitleSuffix) == 0)
                ++*reinterpret_cast<int*>(count);
            return TRUE;
        }
    };
    int count = 0;
    ::EnumWindows(Count::Visit, reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: board-probe COMMAND ...\n");
        return 2;
    }
    // Another program holding a file open without sharing, until it is killed
    // (at most a minute).
    if (std::strcmp(argv[1], "hold") == 0 && argc > 2) {
        HANDLE file = ::CreateFileA(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 1;
        std::printf("held\n");
        std::fflush(stdout);
        ::Sleep(60000);
        ::CloseHandle(file);
        return 0;
    }
    if (std::strcmp(argv[1], "hotkey") == 0 && argc > 3) {
        if (!::RegisterHotKey(nullptr, 1, std::strtoul(argv[2], nullptr, 0), std::strtoul(argv[3], nullptr, 0)))
            return 1;
        std::printf("held\n");
        std::fflush(stdout);
        // Held until the test that started it ends it; should the test be
        // gone, no longer than an end-to-end test may last.
        constexpr DWORD kLongestTestMs = 300000;
        ::Sleep(kLongestTestMs);
        return 0;
    }
    HWND board = FindBoardWindow();
    if (!board) {
        std::fprintf(stderr, "board-probe: no board running\n");
        return 3;
    }
    const std::string command = argv[1];
    auto arg = [&](int i) { return i < argc ? std::strtol(argv[i], nullptr, 0) : 0L; };

    if (command == "state") {
        std::printf("title=%s\n", TextOf(board).c_str());
        for (int i = 0; i < board::kSlotCount; ++i) {
            HWND play = ::GetDlgItem(board, app::kSlotIds[i].play);
            std::printf("slot=%d|title=%s|time=%s|tenths=%s|caption=%s|image=%s|position=%ld|volume=%ld\n", i,
                        TextOf(::GetDlgItem(board, app::kSlotIds[i].title)).c_str(),
                        TextOf(::GetDlgItem(board, app::kSlotIds[i].time)).c_str(),
                        TextOf(::GetDlgItem(board, app::kSlotIds[i].tenths)).c_str(), TextOf(play).c_str(),
                        PlayImageOf(play),
                        static_cast<long>(::SendMessageA(::GetDlgItem(board, app::kSlotIds[i].position), TBM_GETPOS, 0, 0)),
                        static_cast<long>(::SendMessageA(::GetDlgItem(board, app::kSlotIds[i].volume), TBM_GETPOS, 0, 0)));
        }
        return 0;
    }
    const DWORD boardThread = ThreadOf(board);
    if (command == "key" || command == "keydown" || command == "keyup") {
        if (!TakeKeyboard(board)) return NotHandled();
        const WORD vk = static_cast<WORD>(arg(2));
        const bool shift = argc > 3 && std::strcmp(argv[3], "shift") == 0;
        if (shift) Key(VK_SHIFT, true);
        if (command != "keyup") Key(vk, true);
        if (command != "keydown") Key(vk, false);
        // Shift is read from the asynchronous key state when the key is
        // handled, so it is let go only after that, the way a hand holds it.
        if (shift) {
            const bool handled = RoundTrip(boardThread);
            Key(VK_SHIFT, false);
            if (!handled) return NotHandled();
        }
        return Handled(boardThread);
    }
    if (command == "command") {
        if (!TakeKeyboard(board)) return NotHandled();
        ::PostMessageA(board, WM_COMMAND, static_cast<WPARAM>(arg(2)), 0);
        return Handled(boardThread);
    }
    if (command == "click") {
        HWND control = ::GetDlgItem(board, static_cast<int>(arg(2)));
        RECT r;
        ::GetClientRect(control, &r);
        const LPARAM at = MAKELPARAM(arg(3), r.bottom / 2);
        // Posted: a click may open a menu, which holds the board until it closes.
        if (!TakeKeyboard(board)) return NotHandled();
        ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageA(control, WM_LBUTTONUP, 0, at);
        return Handled(boardThread);
    }
    if (command == "volume" || command == "position") {
        const int slot = static_cast<int>(arg(2));
        if (slot < 0 || slot >= board::kSlotCount) return 2;
        const bool volume = command == "volume";
        HWND slider = ::GetDlgItem(board, volume ? app::kSlotIds[slot].volume : app::kSlotIds[slot].position);
        ::SendMessageA(slider, TBM_SETPOS, TRUE, arg(3));
        const WPARAM code = volume ? SB_THUMBTRACK : SB_THUMBPOSITION;
        ::SendMessageA(board, volume ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, arg(3)),
                       reinterpret_cast<LPARAM>(slider));
        return 0;
    }
    if (command == "copydata") {
        COPYDATASTRUCT data{};
        std::vector<char> bytes;
        if (argc > 2 && std::strcmp(argv[2], "-null") == 0) {
            data.cbData = static_cast<DWORD>(arg(3));
        } else if (argc > 2) {
            const std::string hex = argv[2];
            for (size_t i = 0; i + 1 < hex.size(); i += 2)
                bytes.push_back(static_cast<char>(std::strtol(hex.substr(i, 2).c_str(), nullptr, 16)));
            data.cbData = static_cast<DWORD>(argc > 3 ? arg(3) : static_cast<long>(bytes.size()));
            data.lpData = bytes.data();
        }
        DWORD_PTR result = 1;
        if (!::SendMessageTimeoutA(board, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                                   &result))
            return 1;
        std::printf("result=%lu\n", static_cast<unsigned long>(result));
        return 0;
    }
    if (command == "close") {
        ::PostMessageA(board, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == "rect") {
        HWND control = argc > 2 ? ::GetDlgItem(board, static_cast<int>(arg(2))) : board;
        RECT r;
        ::GetClientRect(control, &r);
        POINT tl{r.left, r.top};
        ::ClientToScreen(control, &tl);
        std::printf("%ld %ld %ld %ld\n", static_cast<long>(tl.x), static_cast<long>(tl.y),
                    static_cast<long>(r.right), static_cast<long>(r.bottom));
        return 0;
    }
    if (command == "menuzone") {
        const int slot = static_cast<int>(arg(2));
        if (slot < 0 || slot >= board::kSlotCount) return 2;
        HWND play = ::GetDlgItem(board, app::kSlotIds[slot].play);
        if (!TakeKeyboard(board)) return NotHandled();
        RECT r;
        ::GetClientRect(play, &r);
        POINT at{r.right - 6, r.bottom / 2};
        ::ClientToScreen(play, &at);
        ClickAt(at);
        return Handled(boardThread);
    }
    if (command == "dismiss") {
        if (!WaitForTopLevel("#32768", nullptr)) {
            std::fprintf(stderr, "board-probe: no pop-up menu\n");
            return 1;
        }
        Key(VK_ESCAPE, true);
        Key(VK_ESCAPE, false);
        return Handled(boardThread);
    }
    if (command == "choose") {
        // Menus belong to the process that shows them, so the item is
        // reached with the keyboard: down the list, then Enter.
        if (!WaitForTopLevel("#32768", nullptr)) {
            std::fprintf(stderr, "board-probe: no pop-up menu\n");
            return 1;
        }
        for (long i = 0; i < arg(2); ++i) {
            Key(VK_DOWN, true);
            Key(VK_DOWN, false);
        }
        Key(VK_RETURN, true);
        Key(VK_RETURN, false);
        return Handled(boardThread);
    }
    if (command == "dialog" && argc > 4) {
        HWND dialog = WaitForTopLevel("#32770", argv[2]);
        if (!dialog) {
            std::fprintf(stderr, "board-probe: no dialog %s\n", argv[2]);
            return 1;
        }
        const std::string action = argv[3];
        const int id = static_cast<int>(arg(4));
        HWND item = ::GetDlgItem(dialog, id);
        if (action == "set" && argc > 5) {
            ::SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[5]));
        } else if (action == "press") {
            const DWORD thread = ThreadOf(dialog);  // the press may end the dialog
            // The focus goes to the button, as with a click: the round trip's
            // marker key must not reach a control that takes any key.
            ::SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
            if (!TakeKeyboard(dialog)) return NotHandled();
            ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(item));
            return Handled(thread);
        } else if (action == "check" && argc > 5) {
            ::SendMessageA(item, BM_SETCHECK, arg(5) ? BST_CHECKED : BST_UNCHECKED, 0);
            ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(item));
        } else if (action == "select" && argc > 5) {
            ::SendMessageA(item, CB_SETCURSEL, static_cast<WPARAM>(arg(5)), 0);
        } else if (action == "choose" && argc > 5) {
            const int count = static_cast<int>(::SendMessageA(item, CB_GETCOUNT, 0, 0));
            int found = -1;
            std::string entries;
            for (int i = 0; i < count; ++i) {
                // Read as UTF-16: Wine hands ANSI entries of another process's
                // list back cut to their first character.
                wchar_t wide[512] = {};
                char entry[1024] = {};
                if (::SendMessageW(item, CB_GETLBTEXTLEN, i, 0) < 512)
                    ::SendMessageW(item, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide));
                ::WideCharToMultiByte(CP_ACP, 0, wide, -1, entry, sizeof entry, nullptr, nullptr);
                if (found < 0 && std::strstr(entry, argv[5])) found = i;
                entries += std::string(" [") + entry + "]";
            }
            if (found < 0) {
                std::fprintf(stderr, "board-probe: no entry with %s among%s\n", argv[5], entries.c_str());
                return 1;
            }
            ::SendMessageA(item, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
        } else if (action == "hotkey" && argc > 5) {
            ::SendMessageA(item, HKM_SETHOTKEY, static_cast<WPARAM>(arg(5)), 0);
        } else if (action == "get") {
            std::printf("%s\n", TextOf(item).c_str());
        } else {
            return 2;
        }
        return 0;
    }
    if (command == "gone" && argc > 2) {
        for (int tries = 0; tries < 100; ++tries) {
            HWND dialog = ::FindWindowExA(nullptr, nullptr, "#32770", argv[2]);
            if (!dialog || !::IsWindowVisible(dialog)) return 0;
            ::Sleep(100);
        }
        return 1;
    }
    if (command == "boards") {
        std::printf("%d\n", CountBoards());
        return 0;
    }
    std::fprintf(stderr, "board-probe: unknown command %s\n", command.c_str());
    return 2;
}
