#pragma once
// The 18 sound slots and everything that plays them: loading and clearing,
// play/pause/stop with the on-play mode, the refresh and fade ticks, the
// sliders, and the keyboard and remote triggers. Window-free: it reaches the
// screen through IBoardView and the sound card through audio::ISoundDevice.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/SoundApi.h"
#include "board/BoardView.h"
#include "board/Keys.h"

namespace board {

enum OnPlayMode { LeaveOthers = 0, PauseOthers = 1, FadeOthers = 2 };

constexpr unsigned kFirstSlotTimerId = 1224;
constexpr unsigned kFadeTimerId = 1274;
constexpr unsigned kTimerPeriodMs = 100;
constexpr int kPositionRange = 1000;
constexpr int kVolumeRange = 10000;
constexpr std::int32_t kFadeStep = 200;  // hundredths of a decibel per fade tick
constexpr std::uint32_t kLedOnGreen = 0x32FF00;
constexpr std::uint32_t kLedOffGreen = 0x0F3A00;
constexpr std::uint32_t kCaptionGrey = 0x7F7F7F;
constexpr std::uint32_t kCaptionBlack = 0x000000;

struct SoundSlot {
    std::uint32_t timerHandle = 0;
    std::uint32_t timerId = 0;
    float duration = 0.0f;  // whole file size / bytesPerSec, header included
    std::string path;
    std::string name;
    std::unique_ptr<audio::ISoundBuffer> buffer;
    bool loaded = false;
    std::uint32_t bytesPerSec = 0;
    bool countDown = false;
    bool loop = false;
};

// The volume a slider value stands for: linear in decibels, 0 to -5000.
inline std::int32_t SliderToVolume(int value) { return -(value / 2); }

class Board {
public:
    // device may be null: the board then stays silent and every slot empty.
    Board(IBoardView& view, audio::ISoundDevice* device);
    void SetSoundDevice(audio::ISoundDevice* device) { m_directSound = device; }

    // Slots.
    void LoadSlot(int slot, const std::string& path, const std::string& name);
    void ClearSlot(int slot);
    bool IsSlotPlaying(int slot);
    void SetDisplayText(int slot, DisplayKind kind, const std::string& text);

    // Playing.
    void OnPlayButton(int slot);
    void OnStopButton(int slot);
    void StartSlot(int slot);
    void PauseSlot(int slot);
    void StopSlot(int slot);

    // Timers.
    void OnTimer(unsigned timerId);
    void RefreshSlotTime(int slot);
    void FadeStep(int slot);
    void OnTimeDisplayClicked(int slot);

    // Sliders.
    void OnPositionReleased(int slot, int value);
    void OnVolumeDragged(int slot, int value);

    // Triggers. OnSlotKey returns true when the key was a slot key and was consumed.
    bool OnSlotKey(unsigned vk, bool shiftDown);
    void OnControlKey(bool down);
    void OnRemoteTrigger(const void* data, std::size_t size);

    // Scheme-level state.
    void NewScheme();
    void SetSchemeTitle(const std::string& text);
    void SetLedColours(std::uint32_t on, std::uint32_t off);
    void SetLayout(bool compact);

    SoundSlot& slot(int i) { return m_slots.at(static_cast<std::size_t>(i)); }
    const SoundSlot& slot(int i) const { return m_slots.at(static_cast<std::size_t>(i)); }
    bool fading(int i) const { return m_fading.at(static_cast<std::size_t>(i)); }
    IBoardView& view() { return m_view; }
    bool hasDevice() const { return m_directSound != nullptr; }

    std::string m_schemePath;
    std::uint32_t m_ledOnColour = kLedOnGreen;
    std::uint32_t m_ledOffColour = kLedOffGreen;
    bool m_compact = false;
    int m_onPlayMode = FadeOthers;

private:
    void ShowLengthTitle(int slot);

    IBoardView& m_view;
    audio::ISoundDevice* m_directSound;
    std::array<SoundSlot, kSlotCount> m_slots;
    std::array<bool, kSlotCount> m_fading{};
    std::array<std::int32_t, kSlotCount> m_fadeRestoreVolume{};
};

// The display name derived from a WAV path: the file name less its
// extension, in upper case ("...\sounds\Door bell.wav" gives "DOOR BELL").
std::string NameFromPath(const std::string& path);

}  // namespace board
