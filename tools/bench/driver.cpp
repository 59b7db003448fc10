// clangster-bench-driver: fires a running board (or the floor program) the
// way the benchmark needs, and prints the performance-counter time of every
// trigger it sends, for matching against the board's own time stamps.
//   fire NAME...                 one WM_COPYDATA per name, as clangster-trigger sends it
//   toggle NAME COUNT GAP_MS     COUNT triggers of one name, GAP_MS to 1.5 x GAP_MS apart
//   keys VK COUNT GAP_MS [HELD]  COUNT presses of a key through SendInput, with key HELD down throughout
//   seek SLOT COUNT GAP_MS NAME  COUNT releases of the slot's position slider at places far apart,
//                                each right after a trigger of NAME
//   close                        asks the window to close
//   ping SECONDS                 a WM_NULL round trip every 10 ms for SECONDS; prints "worst MS" and
//                                "pings N" (a board that does not answer in 5 s counts 5,000 ms)
// Output: "sent COUNT" lines. Exit code 3 when no board runs.
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

long long Now() {
    LARGE_INTEGER c{};
    ::QueryPerformanceCounter(&c);
    return c.QuadPart;
}

bool SendName(HWND board, const std::string& name) {
    COPYDATASTRUCT data{};
    data.cbData = static_cast<DWORD>(name.size());
    data.lpData = const_cast<char*>(name.data());
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(board, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                                 &result) != 0;
}

void Key(WORD vk, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    ::SendInput(1, &input, sizeof input);
}

// Spread over one and a half gaps, so triggers do not lock onto the board's 100 ms ticks.
void Pause(int gapMs, unsigned& seed) {
    seed = seed * 1103515245u + 12345u;
    ::Sleep(static_cast<DWORD>(gapMs + static_cast<int>((seed >> 16) % static_cast<unsigned>(gapMs / 2 + 1))));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: clangster-bench-driver fire|toggle|keys|close ...\n");
        return 2;
    }
    HWND board = FindBoardWindow();
    if (!board) {
        std::fprintf(stderr, "clangster-bench-driver: no board running\n");
        return 3;
    }
    const std::string command = argv[1];
    auto number = [&](int i) { return i < argc ? std::atoi(argv[i]) : 0; };
    std::vector<long long> sent;
    unsigned seed = 1;

    if (command == "fire") {
        for (int i = 2; i < argc; ++i) {
            sent.push_back(Now());
            if (!SendName(board, argv[i])) return 1;
        }
    } else if (command == "toggle" && argc == 5) {
        const int count = number(3), gap = number(4);
        for (int i = 0; i < count; ++i) {
            if (i) Pause(gap, seed);
            sent.push_back(Now());
            if (!SendName(board, argv[2])) return 1;
        }
    } else if (command == "keys" && (argc == 5 || argc == 6)) {
        const WORD vk = static_cast<WORD>(std::strtol(argv[2], nullptr, 0));
        const WORD held = argc == 6 ? static_cast<WORD>(std::strtol(argv[5], nullptr, 0)) : 0;
        const int count = number(3), gap = number(4);
        ::SetForegroundWindow(board);
        ::Sleep(200);
        if (held) Key(held, true);
        for (int i = 0; i < count; ++i) {
            if (i) Pause(gap, seed);
            sent.push_back(Now());
            Key(vk, true);
            Key(vk, false);
        }
        if (held) Key(held, false);
        ::Sleep(200);  // the last key reaches the board before the driver goes
    } else if (command == "seek" && argc == 6) {
        HWND slider = ::GetDlgItem(board, app::kSlotIds[number(2) % board::kSlotCount].position);
        const int count = number(3), gap = number(4);
        for (int i = 0; i < count; ++i) {
            if (i) Pause(gap, seed);
            const int value = 20 + (i * 397) % 960;
            sent.push_back(Now());
            if (!SendName(board, argv[5])) return 1;
            ::SendMessageA(slider, TBM_SETPOS, TRUE, value);
            ::SendMessageA(board, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, value), reinterpret_cast<LPARAM>(slider));
        }
    } else if (command == "ping" && argc == 3) {
        LARGE_INTEGER freq{};
        ::QueryPerformanceFrequency(&freq);
        const long long end = Now() + number(2) * freq.QuadPart;
        double worst = 0;
        int pings = 0;
        for (; Now() < end; ++pings) {
            const long long from = Now();
            DWORD_PTR result = 0;
            const bool answered = ::SendMessageTimeoutA(board, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
            const double ms = answered ? static_cast<double>(Now() - from) * 1000.0 / static_cast<double>(freq.QuadPart)
                                       : 5000.0;
            if (ms > worst) worst = ms;
            ::Sleep(10);
        }
        std::printf("worst %.1f\npings %d\n", worst, pings);
    } else if (command == "close") {
        ::PostMessageA(board, WM_CLOSE, 0, 0);
    } else {
        std::fprintf(stderr, "clangster-bench-driver: unknown command %s\n", command.c_str());
        return 2;
    }
    for (long long t : sent) std::printf("sent %lld\n", t);
    return 0;
}
