// clangster-floor SCHEME: the least a sound board must do, as a yardstick
// for the board's own cost. It loads the scheme's sounds into DirectSound
// buffers the way the board does (same device set-up, same buffer code and
// flags), and plays or pauses a sound when its slot key is pressed or its
// name arrives by WM_COPYDATA, like the board leaving other sounds alone.
// It has one empty window and draws nothing.
#include <windows.h>

#include <memory>
#include <string>

#include "FloorSounds.h"
#include "audio/DirectSoundDevice.h"
#include "board/Keys.h"
#include "framework/App.h"
#include "framework/Trace.h"

namespace {

bench::Floor* g_floor = nullptr;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_COPYDATA:
        fw::trace::Stamp("copydata");
        g_floor->OnName(reinterpret_cast<const COPYDATASTRUCT*>(l));
        return 0;
    default:
        return bench::FloorWindowDefault(hwnd, msg, w, l);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    fw::trace::Start();
    const std::string scheme = bench::SchemeArgument();
    // The caption ends like the board's, so the same trigger tool finds it.
    HWND hwnd = bench::CreateFloorWindow(instance, WindowProc, "ClangsterFloor", "floor - Clangster");
    if (!hwnd) return 1;

    bench::Floor floor;
    g_floor = &floor;
    audio::SoundError error = audio::SoundError::None;
    std::unique_ptr<audio::DirectSoundDevice> device =
        audio::DirectSoundDevice::Create(hwnd, "", audio::OutputChoice::OrDefault, error);
    if (device && !floor.Load(scheme, *device)) fw::ShowMessage(hwnd, "Error opening " + scheme);
    ::ShowWindow(hwnd, SW_SHOW);
    fw::trace::Stamp("ready");

    MSG msg;
    bool shown = false;
    for (;;) {
        if (!shown && fw::trace::On() && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            fw::trace::Stamp("shown");
            shown = true;
        }
        if (::GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
        if (msg.message == WM_KEYDOWN) {
            fw::trace::Stamp("key");
            const int slot = board::SlotForKey(static_cast<unsigned>(msg.wParam));
            if (slot >= 0) {
                floor.Toggle(slot);
                continue;
            }
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    floor.Clear();
    return 0;
}
