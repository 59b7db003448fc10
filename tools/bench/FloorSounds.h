// What the floor programs share: a scheme's sounds in DirectSound buffers,
// loaded the way the board loads them (same device set-up, buffer code and
// flags), and an empty window that draws nothing.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "audio/DirectSoundDevice.h"
#include "board/Action.h"
#include "board/Board.h"
#include "framework/AnsiText.h"
#include "framework/App.h"
#include "framework/TextFile.h"
#include "scheme/SchemeFormat.h"

namespace bench {

// The scheme named on the command line, without its quotes.
inline std::string SchemeArgument() {
    std::string scheme = fw::App::CommandLineArguments();
    if (scheme.size() >= 2 && scheme.front() == '"' && scheme.back() == '"') scheme = scheme.substr(1, scheme.size() - 2);
    return scheme;
}

// Closing the window ends the program; the rest as any window.
inline LRESULT FloorWindowDefault(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
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

// A small black top-level window, not yet shown.
inline HWND CreateFloorWindow(HINSTANCE instance, WNDPROC proc, const char* className, const char* caption) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = className;
    ::RegisterClassA(&wc);
    return ::CreateWindowA(className, caption, WS_OVERLAPPEDWINDOW, 0, 0, 320, 120, nullptr, nullptr, instance, nullptr);
}

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

    // Every sound at once, looping as its scheme line says.
    void PlayAll() {
        for (Sound& s : sounds_)
            if (s.buffer) s.buffer->Play(s.loop);
    }

    void SetVolume(int i, double volume) {
        Sound& s = sounds_[static_cast<size_t>(i)];
        if (s.buffer) s.buffer->SetVolume(board::SliderToVolume(board::VolumeSliderValue(volume)));
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

}  // namespace bench
