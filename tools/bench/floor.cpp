// clangster-floor SCHEME: the least a sound board must do, as a yardstick
// for the board's own cost. It loads the scheme's sounds into DirectSound
// buffers the way the board does (same device set-up, same buffer code and
// flags), and plays or pauses a sound when its slot key is pressed or its
// name arrives by WM_COPYDATA, like the board leaving other sounds alone.
// It has one empty window and draws nothing.
#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "audio/SoundBuffer.h"
#include "board/Board.h"
#include "board/Keys.h"
#include "framework/AnsiText.h"
#include "framework/App.h"
#include "framework/TextFile.h"
#include "framework/Trace.h"
#include "scheme/SchemeFormat.h"

namespace {

struct Sound {
    std::string name;
    bool loop = false;
    std::unique_ptr<audio::ISoundBuffer> buffer;
};

class Floor {
public:
    bool Load(const std::string& schemePath, audio::ISoundDevice& device) {
        fw::TextFileReader file;
        if (!file.Open(schemePath)) return false;
        std::string line;
        for (int i = 0; i < board::kSlotCount && file.ReadLine(line); ++i) {
            const auto fields = scheme::SplitSlotFields(line);
            Sound& s = sounds_[static_cast<size_t>(i)];
            if (fields[0].empty()) continue;
            s.name = fields[1].empty() ? board::NameFromPath(fields[0]) : fields[1];
            s.loop = scheme::IsSwitchOn(fields[5]);
            s.buffer = device.CreateBuffer(fields[0], audio::kBufferFlags);
            if (s.buffer && !s.buffer->IsLoaded()) s.buffer.reset();
            if (s.buffer) s.buffer->SetVolume(board::SliderToVolume(scheme::FieldToInt(fields[3])));
        }
        return true;
    }

    void Toggle(int i) {
        Sound& s = sounds_[static_cast<size_t>(i)];
        if (!s.buffer) return;
        std::uint32_t status = 0;
        if (audio::Succeeded(s.buffer->GetStatus(status)) && (status & audio::kStatusPlaying))
            s.buffer->Stop();
        else
            s.buffer->Play(s.loop);
    }

    void OnName(const COPYDATASTRUCT* data) {
        if (!data || !data->lpData) return;
        const char* bytes = static_cast<const char*>(data->lpData);
        std::string name(bytes, bytes + data->cbData);
        name = name.substr(0, name.find('\0'));
        for (int i = 0; i < board::kSlotCount; ++i)
            if (fw::EqualsIgnoreCaseAnsi(name, sounds_[static_cast<size_t>(i)].name)) Toggle(i);
    }

    void Clear() {
        for (Sound& s : sounds_) s.buffer.reset();
    }

private:
    std::array<Sound, board::kSlotCount> sounds_;
};

Floor* g_floor = nullptr;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_COPYDATA:
        fw::trace::Stamp("copydata");
        g_floor->OnName(reinterpret_cast<const COPYDATASTRUCT*>(l));
        return 0;
    case WM_CLOSE:
        ::DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(hwnd, msg, w, l);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    fw::trace::Start();
    std::string scheme = fw::App::CommandLineArguments();
    if (scheme.size() >= 2 && scheme.front() == '"' && scheme.back() == '"') scheme = scheme.substr(1, scheme.size() - 2);

    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = "ClangsterFloor";
    ::RegisterClassA(&wc);
    // The caption ends like the board's, so the same trigger tool finds it.
    HWND hwnd = ::CreateWindowA(wc.lpszClassName, "floor - Clangster", WS_OVERLAPPEDWINDOW, 0, 0, 320, 120,
                                nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;

    Floor floor;
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
