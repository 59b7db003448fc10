// clangster-osc-floor PORT: the least a Win32 program does to take OSC
// datagrams the way the board takes them (the board's own socket class,
// told to a window, every waiting datagram read) and nothing else: the bench
// holds the board's cost per datagram against what Wine costs for it. A
// datagram "/floor/quit" ends it.
#include <windows.h>

#include <cstdlib>

#include "framework/Trace.h"
#include "remote/Osc.h"
#include "remote/OscSocket.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    fw::trace::Start();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "clangster-osc-floor";
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowA(windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    constexpr UINT kWaiting = WM_APP + 1;
    remote::OscSocket socket;
    if (!window || !socket.Open(window, kWaiting, std::atoi(commandLine), false).empty()) return 1;
    bool quit = false;
    MSG msg;
    while (!quit && ::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != kWaiting) {
            ::DispatchMessageA(&msg);
            continue;
        }
        socket.ReadAll(msg.wParam, [&](const char* bytes, std::size_t size, const remote::Endpoint&) {
            const auto messages = remote::ReadOsc(bytes, size);
            quit = quit || (!messages.empty() && messages[0].address == "/floor/quit");
        });
    }
    return 0;
}
