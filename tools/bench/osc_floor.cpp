// clangster-osc-floor PORT SCHEME: the least a sound board does to take OSC
// volume commands the way the board takes them: the scheme's sounds all
// playing, the board's own socket class told to a window, every waiting
// datagram read and a volume command set on its sound, nothing drawn. The
// bench holds the board's cost per command against this one. A datagram
// "/floor/quit" ends it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "FloorSounds.h"
#include "framework/Trace.h"
#include "remote/Osc.h"
#include "remote/OscSocket.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    fw::trace::Start();
    int port = 0, schemeAt = 0;
    if (std::sscanf(commandLine, "%d %n", &port, &schemeAt) != 1) return 1;
    std::string scheme = commandLine + schemeAt;
    if (scheme.size() >= 2 && scheme.front() == '"' && scheme.back() == '"') scheme = scheme.substr(1, scheme.size() - 2);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "clangster-osc-floor";
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowA(windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    audio::SoundError error = audio::SoundError::None;
    auto device = audio::DirectSoundDevice::Create(window, "", audio::OutputChoice::OrDefault, error);
    bench::Floor floor;
    if (!window || !device || !floor.Load(scheme, *device)) return 1;
    floor.PlayAll();

    constexpr UINT kWaiting = WM_APP + 1;
    remote::OscSocket socket;
    if (!socket.Open(window, kWaiting, port, false).empty()) return 1;
    bool quit = false;
    MSG msg;
    while (!quit && ::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != kWaiting) {
            ::DispatchMessageA(&msg);
            continue;
        }
        socket.ReadAll(msg.wParam, [&](const char* bytes, std::size_t size, const remote::Endpoint&) {
            for (const remote::OscMessage& m : remote::ReadOsc(bytes, size)) {
                int slot = 0;
                if (std::sscanf(m.address.c_str(), "/clangster/slot/%d/volume", &slot) == 1 && slot >= 1 &&
                    slot <= board::kSlotCount && m.arguments.size() == 1 && m.arguments[0].type == 'f')
                    floor.SetVolume(slot - 1, m.arguments[0].number);
                quit = quit || m.address == "/floor/quit";
            }
        });
    }
    floor.Clear();
    return 0;
}
