// clangster-stream-floor SCHEME: the least a sound board that streams must
// do, as a yardstick for the board's streaming. Sounds within the size rule
// are held whole as the board holds them; longer ones play through a
// two-second DirectSound ring whose played half a thread refills from the
// file, looping at the end, with no sound held in memory and no care for a
// slow disk. A name by WM_COPYDATA plays or pauses its sounds; the trackbar
// with slot 0's position id seeks slot 0 (stop, refill, play). One window,
// nothing drawn.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "FloorSounds.h"
#include "app/SlotIds.h"
#include "audio/PcmSource.h"
#include "audio/BufferFormat.h"
#include "audio/DirectSoundDevice.h"
#include "audio/SoundBuffer.h"
#include "audio/SoundOutputs.h"
#include "audio/SoundSize.h"
#include "board/Board.h"
#include "framework/AnsiText.h"
#include "framework/App.h"
#include "framework/TextFile.h"
#include "framework/Trace.h"
#include "scheme/SchemeFormat.h"

namespace {

// A long sound: the ring's two halves, each refilled once the cursor has left it.
class RingStream {
public:
    bool Open(std::shared_ptr<audio::PcmSource> source, IDirectSound* device) {
        source_ = std::move(source);
        const audio::PcmFormat& f = source_->Layout().format;
        half_ = f.avgBytesPerSec - f.avgBytesPerSec % f.blockAlign;
        WAVEFORMATEXTENSIBLE format;
        audio::DescribeFormat(source_->Layout(), format);
        DSBUFFERDESC desc = audio::DescribeBuffer(audio::kBufferFlags | DSBCAPS_GETCURRENTPOSITION2, 2 * half_, format);
        return SUCCEEDED(device->CreateSoundBuffer(&desc, ring_.put(), nullptr)) && Seek(0);
    }
    void Toggle() {
        std::lock_guard<std::mutex> lock(mutex_);
        DWORD status = 0;
        ring_->GetStatus(&status);
        if (status & DSBSTATUS_PLAYING) {
            ring_->Stop();
        } else {
            fw::trace::Stamp("play");
            ring_->Play(0, 0, DSBPLAY_LOOPING);
        }
    }
    bool Seek(std::uint64_t at) {
        std::lock_guard<std::mutex> lock(mutex_);
        DWORD status = 0;
        ring_->GetStatus(&status);
        ring_->Stop();
        next_ = at - at % source_->Layout().format.blockAlign;
        const bool filled = Fill(0) && Fill(1);
        ring_->SetCurrentPosition(0);
        last_ = 0;
        if (status & DSBSTATUS_PLAYING) ring_->Play(0, 0, DSBPLAY_LOOPING);
        return filled;
    }
    // The half the cursor left, refilled.
    void Pump() {
        std::lock_guard<std::mutex> lock(mutex_);
        DWORD play = 0;
        if (FAILED(ring_->GetCurrentPosition(&play, nullptr))) return;
        const int playing = play < half_ ? 0 : 1;
        if (playing == last_) return;
        Fill(last_);
        last_ = playing;
    }

private:
    bool Fill(int half) {
        void* p = nullptr;
        void* q = nullptr;
        DWORD n = 0, m = 0;
        if (FAILED(ring_->Lock(half * half_, half_, &p, &n, &q, &m, 0))) return false;
        for (DWORD done = 0; p && done < n;) {
            const std::size_t got = source_->ReadAt(next_, static_cast<char*>(p) + done, n - done);
            if (!got && !next_) break;  // nothing to be read at all
            done += static_cast<DWORD>(got);
            next_ = got ? next_ + got : 0;  // at the end, round to the start
        }
        ring_->Unlock(p, n, q, m);
        return p != nullptr;
    }

    std::mutex mutex_;
    std::shared_ptr<audio::PcmSource> source_;
    fw::ComPtr<IDirectSoundBuffer> ring_;
    DWORD half_ = 0;
    std::uint64_t next_ = 0;
    int last_ = 0;  // the half the cursor was in
};

struct Sound {
    std::string name;
    bool loop = false;
    std::unique_ptr<audio::ISoundBuffer> whole;
    std::unique_ptr<RingStream> stream;
    std::uint64_t size = 0;
};

// Never destroyed: the refill thread uses them to the end.
std::array<Sound, board::kSlotCount>& g_sounds = *new std::array<Sound, board::kSlotCount>;

void Load(const std::string& schemePath, IDirectSound* device) {
    fw::TextFileReader file;
    if (!file.Open(schemePath)) return;
    std::string line;
    for (Sound& s : g_sounds) {
        if (!file.ReadLine(line)) break;
        const auto fields = scheme::SplitSlotFields(line);
        if (fields[0].empty()) continue;
        s.name = fields[1].empty() ? board::NameFromPath(fields[0]) : fields[1];
        s.loop = scheme::IsSwitchOn(fields[5]);
        audio::OpenedSound opened = audio::OpenWav(fields[0]);
        if (!opened.source) continue;
        s.size = opened.source->Size();
        if (audio::StaysResident(s.size)) {
            s.whole = std::make_unique<audio::CSoundBuffer>(*opened.source, device, audio::kBufferFlags);
        } else {
            s.stream = std::make_unique<RingStream>();
            if (!s.stream->Open(std::move(opened.source), device)) s.stream.reset();
        }
    }
}

void ToggleNamed(const std::string& name);

void Toggle(Sound& s) {
    if (s.stream) return s.stream->Toggle();
    if (!s.whole || !s.whole->IsLoaded()) return;
    std::uint32_t status = 0;
    if (audio::Succeeded(s.whole->GetStatus(status)) && (status & audio::kStatusPlaying))
        s.whole->Stop();
    else
        s.whole->Play(s.loop);
}

void ToggleNamed(const std::string& name) {
    for (Sound& s : g_sounds)
        if (fw::EqualsIgnoreCaseAnsi(name, s.name)) Toggle(s);
}

// CLANGSTER_FLOOR_OUTPUT: the output whose name holds this text instead of
// the default one. CLANGSTER_FLOOR_PLAY: plays the sounds of this name at
// once, under a caption the trigger tools do not take for a board's.
std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_COPYDATA: {
        fw::trace::Stamp("copydata");
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(l);
        if (!data || !data->lpData) return 0;
        const std::string name(static_cast<const char*>(data->lpData), data->cbData);
        ToggleNamed(name.substr(0, name.find('\0')));
        return 0;
    }
    case WM_HSCROLL:
        if (LOWORD(w) == SB_THUMBPOSITION && g_sounds[0].stream) {
            const auto value = static_cast<std::uint64_t>(::SendMessageA(reinterpret_cast<HWND>(l), TBM_GETPOS, 0, 0));
            g_sounds[0].stream->Seek(g_sounds[0].size * value / 1000);
        }
        return 0;
    default:
        return bench::FloorWindowDefault(hwnd, msg, w, l);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    fw::trace::Start();
    fw::App::InitCommonControls();
    const std::string scheme = bench::SchemeArgument();
    // The caption ends like the board's, so the same trigger tool finds it.
    const std::string play = Env("CLANGSTER_FLOOR_PLAY"), output = Env("CLANGSTER_FLOOR_OUTPUT");
    HWND hwnd = bench::CreateFloorWindow(instance, WindowProc, "ClangsterStreamFloor",
                                         play.empty() ? "stream floor - Clangster" : "stream floor playing");
    if (!hwnd) return 1;
    ::CreateWindowA(TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 30, hwnd,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(app::kSlotIds[0].position)), instance, nullptr);
    ::SendMessageA(::GetDlgItem(hwnd, app::kSlotIds[0].position), TBM_SETRANGE, TRUE, MAKELPARAM(0, 1000));

    audio::SoundError error = audio::SoundError::None;
    std::string outputId;
    for (const audio::SoundOutput& o : audio::EnumerateSoundOutputs())
        if (!output.empty() && o.name.find(output) != std::string::npos) outputId = o.id;
    std::unique_ptr<audio::DirectSoundDevice> device =
        audio::DirectSoundDevice::Create(hwnd, outputId, audio::OutputChoice::OrDefault, error);
    if (device) Load(scheme, device->get());
    std::thread([] {
        for (;;) {
            ::Sleep(50);
            for (Sound& s : g_sounds)
                if (s.stream) s.stream->Pump();
        }
    }).detach();
    ::ShowWindow(hwnd, SW_SHOW);
    fw::trace::Stamp("ready");
    if (!play.empty()) ToggleNamed(play);

    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;  // the refill thread goes with the process
}
