#pragma once
// The 18 sound slots and everything that plays them: loading and clearing,
// play/pause/stop with the on-play mode, the refresh and fade ticks, the
// sliders, and the keyboard and remote triggers. Window-free: it reaches the
// screen through IBoardView and the sound card through audio::ISoundDevice.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/SoundApi.h"
#include "board/Action.h"
#include "board/BoardView.h"
#include "board/Hotkey.h"
#include "board/Keys.h"
#include "board/Messages.h"

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

// What a slot holds. Loading: a sound being read off the board's thread,
// named, not yet playable; a fire waits for it. Kept: a sound that is named
// but not loaded (its file missing or unreadable, the card refused it, or
// there is no sound device): the slot keeps its path, name and volume so
// that saving does not lose it, and stays silent otherwise.
enum class SlotState { Empty, Loading, Kept, Loaded };

// What a scheme's line gives a sound besides its file and name, applied
// once the sound is loaded.
struct SchemePlace {
    std::string line;            // kept as it was read when the sound cannot be loaded
    std::uint32_t position = 0;  // bytes into the sound
    int volume = 0;              // the volume slider's value
    bool countDown = false, loop = false;
};

struct SoundSlot {
    std::uint32_t timerHandle = 0;
    std::uint32_t timerId = 0;
    float duration = 0.0f;  // the buffer's length bytes (a WAV's whole file, header included) / bytesPerSec
    std::uint64_t lengthBytes = 0;  // what duration was worked out from
    std::string path;
    std::string name;
    std::unique_ptr<audio::ISoundBuffer> buffer;  // while Loaded
    SlotState state = SlotState::Empty;
    std::uint32_t bytesPerSec = 0;
    bool countDown = false;
    bool loop = false;
    int volume = 0;  // the volume slider's value, 0 (full) to 10000
    // A kept sound's scheme line, written back exactly as it was read;
    // empty for a sound chosen on this board.
    std::string keptLine;
    // While Loading: the load's ticket, the scheme line it was asked with
    // (what it is saved as meanwhile), and whether it was fired meanwhile
    // (it plays the moment it can).
    std::uint64_t loadTicket = 0;
    std::optional<SchemePlace> loadPlace;
    bool fireWhenLoaded = false;
    // Read again after its output went: it goes on playing where it was
    // once it is there, without the on-play mode touching the others.
    bool resumeWhenLoaded = false;

    bool loaded() const { return state == SlotState::Loaded; }
    bool loading() const { return state == SlotState::Loading; }
    bool kept() const { return state == SlotState::Kept; }

    // The time a place in the sound stands for, as the displays show it.
    float SecondsAt(std::uint32_t bytes) const { return static_cast<float>(bytes) / static_cast<float>(bytesPerSec); }
};

// The volume a slider value stands for: linear in decibels, 0 to -5000.
inline std::int32_t SliderToVolume(int value) { return -(value / 2); }
// A volume slider value within the slider's ends: past them DirectSound
// refuses the level, and a sound would play at full volume with the slider
// at its quietest.
inline int ClampVolume(int value) { return value < 0 ? 0 : value > kVolumeRange ? kVolumeRange : value; }

class Board {
public:
    // device may be null: the board then stays silent and every slot empty.
    // What goes wrong is told through messages.
    Board(IBoardView& view, Messages& messages, audio::ISoundDevice* device);
    void SetSoundDevice(audio::ISoundDevice* device) { m_directSound = device; }
    // The monitor output, for the operator's headphones; null for none.
    // hearsAll: every sound played on the main output is heard there too, in
    // step (board/MirroredSound.h). A change ends every pre-listen; a sound
    // playing goes on, on the new monitor too when it hears all.
    void SetMonitorDevice(audio::ISoundDevice* device, bool hearsAll = false);
    // Moves every loaded sound to device as it is held (a sound held whole
    // from its samples in memory, a streamed one from its head and its own
    // source), keeping its name, switches, volume, place and fade; a playing
    // sound goes on from where it was; a sound still loading is asked of
    // the new device. All or nothing: when device does not take every
    // sound, nothing changes and the user is told once (false). The old
    // device may go once this returned true.
    bool MoveToDevice(audio::ISoundDevice* device, bool quiet = false);
    // The device the sounds play on has gone. Each loaded sound moves to
    // device from its samples in memory, or else is read again from its
    // file; with no device (null) each lets go of its buffer and waits for
    // the next one (MoveToDevice). Either way it keeps its name, place,
    // volume and switches, and a sound that played goes on from where it
    // was. No slot is emptied. The old device may go once this returned.
    void RescueSounds(audio::ISoundDevice* device);
    // The first scheme has been asked for: what the device read ahead for it
    // and nobody took can go.
    void EndReadAhead() {
        if (m_directSound) m_directSound->EndReadAhead();
    }
    // Tells the user what went wrong with the sound card, or why the sound
    // file at path could not be decoded; nothing for the errors that are silent.
    void Report(audio::SoundError error, const std::string& path = std::string());
    // Tells the user anything else.
    void Tell(const std::string& text) { m_messages.Tell(text); }

    // Slots.
    // Reads the sound off the board's thread: the slot shows its name and
    // that it is loading until TakeLoadedSounds puts it there. A scheme's
    // line comes with its place; a sound chosen on the board starts at full
    // volume. A sound that cannot be loaded is kept (with its line).
    void LoadSlot(int slot, const std::string& path, const std::string& name, const SchemePlace* place = nullptr);
    // Puts each sound the device has finished loading in its slot, telling
    // the user of those that could not be; one asked to play, plays.
    void TakeLoadedSounds();
    void ClearSlot(int slot);
    bool IsSlotPlaying(int slot);
    void SetDisplayText(int slot, DisplayKind kind, const std::string& text);
    // Loads the slot's file again under its name, at full volume. A kept
    // sound whose file is still missing stays as it is.
    void ReloadSlot(int slot);
    // A kept sound from a scheme's line, showing its name without a length
    // and its volume.
    void KeepSchemeLine(int slot, const std::string& line, const std::string& path, const std::string& name,
                        int volume);
    // A loaded slot's new name ("|" is dropped: it separates a scheme's fields).
    void RenameSlot(int slot, const std::string& name);
    void SetLoop(int slot, bool loop);  // and the Play button's caption
    void SetCountDown(int slot, bool countDown);
    // A loaded slot's volume slider value, clamped to 0..10000, and its sound's level.
    void SetVolume(int slot, int value);
    // Moves a loaded, idle slot's sound to a byte offset, as a scheme stores it;
    // away from the start the slot shows a part-played sound.
    void PositionSlot(int slot, std::uint32_t bytes);
    // The play cursor of a loaded slot, 0 when it cannot be read.
    std::uint32_t PlayPosition(int slot);

    // Playing.
    void OnPlayButton(int slot);
    void OnStopButton(int slot);
    void StartSlot(int slot);
    void PauseSlot(int slot);
    void StopSlot(int slot);
    // A loaded slot heard on the monitor only, from its place, while its own
    // sound stays where it is; again, it ends. Nothing without a monitor.
    // Firing the slot, or its stop button, ends it too.
    void Prelisten(int slot);
    // Every slot as its stop button does it, every running fade ended with its
    // saved volume back.
    void StopAll();
    // Every playing sound faded out and paused as the on-play fade does it.
    void FadeAll();

    // Timers.
    void OnTimer(unsigned timerId);
    void RefreshSlotTime(int slot);
    void FadeStep(int slot);
    void OnTimeDisplayClicked(int slot);

    // Sliders. The volume follows a drag; any other move of the slider (the
    // keyboard, paging) only changes the value a scheme stores.
    void OnPositionReleased(int slot, int value);
    void OnVolumeSliderMoved(int slot, int value, bool dragged);

    // Carries out an action asked from outside the board's controls
    // (OpenFavourite is the scheme layer's: nothing happens here).
    void Perform(const Action& action);
    // Moves a loaded slot's sound to `seconds` from its start, as letting go
    // of its position slider there would; a place past its end is refused.
    void SeekSlot(int slot, double seconds);
    // Ctrl down shows every slot's key label (and its hotkey), Ctrl up its
    // length again.
    void OnControlKey(bool down);
    // The system-wide hotkeys in force, shown while Ctrl is held.
    void SetHotkeys(const Hotkeys& hotkeys) { m_hotkeys = hotkeys; }

    // Scheme-level state.
    void NewScheme();
    void SetSchemeTitle(const std::string& text);
    void SetSchemePath(const std::string& path) { m_schemePath = path; }
    void SetLedColours(std::uint32_t on, std::uint32_t off);
    void SetLayout(bool compact);
    void SetOnPlayMode(int mode) { m_onPlayMode = mode; }

    const SoundSlot& slot(int i) const { return m_slots.at(static_cast<std::size_t>(i)); }
    bool fading(int i) const { return m_fading.at(static_cast<std::size_t>(i)); }
    bool hasDevice() const { return m_directSound != nullptr; }
    bool hasMonitor() const { return m_monitor != nullptr; }
    bool monitorHearsAll() const { return m_monitorHearsAll; }
    bool prelistening(int i) const { return m_prelisten.at(static_cast<std::size_t>(i)) != nullptr; }
    // What the monitor plays of a slot pre-listening; null otherwise.
    audio::ISoundBuffer* prelistenBuffer(int i) const { return m_prelisten.at(static_cast<std::size_t>(i)).get(); }
    const std::string& schemePath() const { return m_schemePath; }
    // The scheme's name as the window's title shows it ("New scheme", or the file's name less ".scheme").
    const std::string& schemeName() const { return m_schemeName; }
    std::uint32_t ledOnColour() const { return m_ledOnColour; }
    std::uint32_t ledOffColour() const { return m_ledOffColour; }
    bool compact() const { return m_compact; }
    int onPlayMode() const { return m_onPlayMode; }

private:
    SoundSlot& at(int i) { return m_slots.at(static_cast<std::size_t>(i)); }
    void ShowLengthTitle(int slot);
    void ShowMissingTitle(int slot);
    void ShowLoadingTitle(int slot);
    // A load's sound in its slot: playable, or kept with why it is not.
    void FinishLoad(int slot, std::unique_ptr<audio::ISoundBuffer> buffer);
    // Plays on from where it is, as it played before; the others are left alone.
    void Resume(int slot);
    // Ends a slot's pre-listen and shows the slot as it is again; false when there was none.
    bool EndPrelisten(int slot);
    void EndAllPrelistens();
    // Every loaded sound with the monitor's buffer (made when first needed), or without it.
    void MirrorAll();
    void UnmirrorAll();
    void Mirror(int slot);
    // The slot becomes a kept sound, at full volume as a new load would be.
    void KeepSound(int slot);
    // Stops and releases a slot's buffer, telling the user when the stop failed.
    void ReleaseBuffer(int slot);
    // Takes up, at the fade tick, what the decodes of the sounds that play
    // while they are decoded found: a confirmed length, shown; a decode that
    // stopped short, told once.
    void FollowDecodes();
    // What a tick shows for a play cursor read with its status.
    void ShowSlotTime(int slot, std::uint32_t cursor, std::uint32_t status);
    // The start of the sample frame a byte offset falls in.
    std::uint32_t FrameStart(int slot, std::uint32_t bytes);
    // Restarts, from the fade tick, each refresh timer started since the
    // last one, so that it falls due with the fade timer.
    void BringTimersIntoStep();
    // Moves a volume slider: at once when it was still through the tick
    // before; while it keeps moving, at each tick (DrawDueVolumes). A fader
    // sends far more values than a screen shows.
    void ShowVolume(int slot, int value);
    void DrawDueVolumes();

    IBoardView& m_view;
    Messages& m_messages;
    audio::ISoundDevice* m_directSound;
    audio::ISoundDevice* m_monitor = nullptr;
    bool m_monitorHearsAll = false;
    std::array<std::unique_ptr<audio::ISoundBuffer>, kSlotCount> m_prelisten;  // on the monitor
    std::array<SoundSlot, kSlotCount> m_slots;
    std::array<bool, kSlotCount> m_fading{};
    std::array<std::int32_t, kSlotCount> m_fadeRestoreVolume{};
    std::array<bool, kSlotCount> m_timerOutOfStep{};  // refresh timer started since the last fade tick
    std::string m_schemePath;
    std::string m_schemeName;
    std::uint32_t m_ledOnColour = kLedOnGreen;
    std::uint32_t m_ledOffColour = kLedOffGreen;
    bool m_compact = false;
    int m_onPlayMode = FadeOthers;
    Hotkeys m_hotkeys{};
    bool m_controlDown = false;  // the titles show key labels
    std::uint64_t m_lastTicket = 0;
    std::array<bool, kSlotCount> m_volumeMovedThisTick{}, m_volumeMovedLastTick{};
    std::array<int, kSlotCount> m_volumeDue{};  // -1: nothing waits to be drawn
};

// A name as a slot may hold it: without the scheme file's field separator,
// and short enough that the slot's line, with this path and its numbers,
// stays within the longest line a scheme is read with.
std::string CleanSlotName(const std::string& name, const std::string& path);

// The display name derived from a sound's path: the file name less its
// extension (what follows its last dot), in upper case
// ("...\sounds\Door bell.wav" gives "DOOR BELL", "beep.aiff" gives "BEEP").
std::string NameFromPath(const std::string& path);

}  // namespace board
