#include "board/Board.h"

#include <algorithm>
#include <cstring>

#include "board/Arith.h"
#include "board/MirroredSound.h"
#include "board/RemoteWindow.h"
#include "framework/AnsiText.h"
#include "framework/FileStatus.h"
#include "framework/TextFile.h"

namespace board {

namespace {
const char kBlankTitle[] = "|     ";  // 25 blank columns
const char kMissingLength[] = "--;--";
const char kLoadingLength[] = "..;..";  // not yet known, where a missing sound shows dashes
const char kIdleTime[] = "     ";
const char kIdleTenths[] = "  ";
// A slot pre-listening says so before its name, and marks its running time
// with a P where a count-down shows its minus.
const char kPrelistenTitle[] = "PRE-LISTEN ";
const char kPrelistenMark[] = "P";
}  // namespace

std::string CleanSlotName(const std::string& name, const std::string& path) {
    // Room for the six bars and the four numbers of a slot line at their longest.
    constexpr std::size_t kNumbersBytes = 64;
    const std::size_t room = fw::kMaxLineBytes > path.size() + kNumbersBytes
                                 ? fw::kMaxLineBytes - path.size() - kNumbersBytes
                                 : 0;
    return fw::PrefixAnsi(fw::EraseAnsi(name, '|'), room);
}

std::string NameFromPath(const std::string& path) {
    std::string name = path;
    const auto slash = fw::FindLastAnsi(name, '\\');
    if (slash != std::string::npos) name.erase(0, slash + 1);
    // The extension is whatever follows the last dot, however long.
    const auto dot = fw::FindLastAnsi(name, '.');
    if (dot != std::string::npos) name.erase(dot);
    return fw::ToUpperAnsi(name);
}

Board::Board(IBoardView& view, Messages& messages, audio::ISoundDevice* device)
    : m_view(view), m_messages(messages), m_directSound(device) {
    for (int i = 0; i < kSlotCount; ++i) at(i).timerId = kFirstSlotTimerId + static_cast<unsigned>(i);
    m_volumeDue.fill(-1);
}

void Board::SetDisplayText(int i, DisplayKind kind, const std::string& text) {
    m_view.SetDisplay(i, kind, DisplayTextFor(kind, text));
}

void Board::ClearSlot(int i) {
    SoundSlot& s = at(i);
    m_prelisten[static_cast<std::size_t>(i)].reset();
    s.path.clear();
    SetDisplayText(i, DisplayKind::Title, kBlankTitle);
    SetDisplayText(i, DisplayKind::Time, "");
    SetDisplayText(i, DisplayKind::Tenths, "");
    m_view.SetPlayTextColour(i, kCaptionGrey);
    ReleaseBuffer(i);
    if (s.loading() && m_directSound) m_directSound->CancelLoad(s.loadTicket);
    s.fireWhenLoaded = false;
    s.resumeWhenLoaded = false;
    s.loadPlace.reset();
    s.state = SlotState::Empty;
    // A fade cannot outlive its sound: the next fade tick would have no buffer,
    // and a later load must not inherit it.
    m_fading[static_cast<std::size_t>(i)] = false;
    m_view.SetPlayImage(i, PlayImage::Idle);
    m_view.SetPositionSlider(i, 0);
    s.name.clear();
    s.keptLine.clear();
}

void Board::ReleaseBuffer(int i) {
    SoundSlot& s = at(i);
    if (!s.buffer) return;
    if (s.loaded()) {
        std::uint32_t status = 0;
        if (!audio::Succeeded(s.buffer->GetStatus(status)))
            Report(audio::SoundError::GetStatus);
        else if ((status & audio::kStatusPlaying) && !audio::Succeeded(s.buffer->Stop()))
            Report(audio::SoundError::Stop);
    }
    s.buffer.reset();
}

void Board::Report(audio::SoundError error, const std::string& path) {
    std::string text = audio::SoundErrorText(error);
    if (audio::IsDecodeError(error)) text = "Error decoding " + path + ":\n\n" + text;
    m_messages.Tell(text);
}

void Board::LoadSlot(int i, const std::string& path, const std::string& name, const SchemePlace* place) {
    if (path.empty()) return;
    ClearSlot(i);
    SoundSlot& s = at(i);
    s.path = path;
    s.name = name.empty() ? NameFromPath(path) : CleanSlotName(name, path);
    // Without a sound device nothing calls into one: the sound is kept, to be
    // saved with the scheme.
    if (!m_directSound) {
        if (place) return KeepSchemeLine(i, place->line, path, name, place->volume);
        return KeepSound(i);
    }
    s.state = SlotState::Loading;
    s.loadTicket = ++m_lastTicket;
    if (place) s.loadPlace = *place;
    s.volume = place ? ClampVolume(place->volume) : 0;
    ShowVolume(i, s.volume);
    ShowLoadingTitle(i);
    m_directSound->BeginLoad(s.loadTicket, path, audio::kBufferFlags);
    TakeLoadedSounds();  // a device may have it at once
}

void Board::TakeLoadedSounds() {
    if (!m_directSound) return;
    for (audio::LoadedSound& done : m_directSound->TakeLoaded()) {
        for (int i = 0; i < kSlotCount; ++i) {
            // A slot that was cleared or given another sound meanwhile wants it no more.
            if (!slot(i).loading() || slot(i).loadTicket != done.ticket) continue;
            FinishLoad(i, std::move(done.buffer));
            break;
        }
    }
}

void Board::FinishLoad(int i, std::unique_ptr<audio::ISoundBuffer> buffer) {
    SoundSlot& s = at(i);
    const bool fire = std::exchange(s.fireWhenLoaded, false);
    const bool resume = std::exchange(s.resumeWhenLoaded, false);
    std::uint32_t bytesPerSec = 0;
    if (!buffer || !buffer->IsLoaded() || !audio::Succeeded(buffer->GetAvgBytesPerSec(bytesPerSec)) ||
        bytesPerSec == 0) {
        const audio::SoundError error = buffer ? buffer->LoadError() : audio::SoundError::TooLarge;
        buffer.reset();
        s.state = SlotState::Empty;
        // The slot is whole again before the user is told why.
        const std::string path = s.path, name = s.name;
        if (const auto place = std::exchange(s.loadPlace, std::nullopt))
            KeepSchemeLine(i, place->line, path, name, s.volume);
        else
            KeepSound(i);
        return Report(error, path);
    }
    s.buffer = std::move(buffer);
    s.bytesPerSec = bytesPerSec;
    s.lengthBytes = s.buffer->LengthBytes();
    s.duration = static_cast<float>(s.lengthBytes) / static_cast<float>(bytesPerSec);
    s.state = SlotState::Loaded;
    Mirror(i);
    ShowLengthTitle(i);
    m_view.SetPlayTextColour(i, kCaptionBlack);
    m_view.SetPositionRange(i, 0, kPositionRange);
    // The volume set while it loaded; a new buffer plays at full volume by itself.
    if (s.volume) s.buffer->SetVolume(SliderToVolume(s.volume));
    if (const auto place = std::exchange(s.loadPlace, std::nullopt)) {
        // A scheme's switches and place are the sound's, given once it is there.
        SetCountDown(i, place->countDown);
        SetLoop(i, place->loop);
        PositionSlot(i, place->position);
    }
    if (fire)
        OnPlayButton(i);
    else if (resume)
        Resume(i);
}

void Board::Resume(int i) {
    StartSlot(i);
    at(i).timerHandle = m_view.StartSlotTimer(i);
    m_timerOutOfStep[static_cast<std::size_t>(i)] = true;
    m_view.SetPlayImage(i, PlayImage::Playing);
}

void Board::ShowLengthTitle(int i) {
    const SoundSlot& s = at(i);
    const std::string name = prelistening(i) ? kPrelistenTitle + s.name : s.name;
    SetDisplayText(i, DisplayKind::Title, name + "|" + FormatTime(s.duration).minSec);
}

void Board::ReloadSlot(int i) {
    const std::string path = slot(i).path, name = slot(i).name;
    std::uint64_t size = 0;
    // A kept sound stays kept, line and all, until its file is there to be read.
    if (slot(i).kept() && !fw::QueryFileSize(path, size)) return;
    ClearSlot(i);
    LoadSlot(i, path, name);
    // As every new buffer starts: full volume.
    ShowVolume(i, 0);
    at(i).volume = 0;
}

void Board::KeepSound(int i) {
    SoundSlot& s = at(i);
    s.state = SlotState::Kept;
    s.volume = 0;
    ShowVolume(i, 0);
    ShowMissingTitle(i);
}

void Board::KeepSchemeLine(int i, const std::string& line, const std::string& path, const std::string& name,
                           int volume) {
    ClearSlot(i);
    SoundSlot& s = at(i);
    s.state = SlotState::Kept;
    s.keptLine = line;
    s.path = path;
    s.name = name.empty() ? NameFromPath(path) : CleanSlotName(name, path);
    s.volume = ClampVolume(volume);
    ShowVolume(i, s.volume);
    ShowMissingTitle(i);
}

void Board::ShowMissingTitle(int i) { SetDisplayText(i, DisplayKind::Title, slot(i).name + "|" + kMissingLength); }

void Board::ShowLoadingTitle(int i) { SetDisplayText(i, DisplayKind::Title, slot(i).name + "|" + kLoadingLength); }

void Board::RenameSlot(int i, const std::string& name) {
    SoundSlot& s = at(i);
    if (!s.loaded()) return;
    s.name = CleanSlotName(name, s.path);
    ShowLengthTitle(i);
}

void Board::SetLoop(int i, bool loop) {
    at(i).loop = loop;
    m_view.SetPlayCaption(i, loop ? "Loop" : "Play");
}

void Board::SetCountDown(int i, bool countDown) { at(i).countDown = countDown; }

void Board::SetVolume(int i, int value) {
    SoundSlot& s = at(i);
    if (!s.loaded() && !s.loading()) return;
    value = ClampVolume(value);
    // A loading sound gets it when it is there.
    if (s.loaded()) s.buffer->SetVolume(SliderToVolume(value));
    s.volume = value;
    ShowVolume(i, value);
}

void Board::PositionSlot(int i, std::uint32_t bytes) {
    SoundSlot& s = at(i);
    if (!s.loaded()) return;
    // A stored position may lie between two sample frames (a float keeps
    // whole bytes only up to 16 MB): the sound starts on the frame it falls
    // in, while the slot shows the position as stored.
    const std::uint32_t start = FrameStart(i, bytes);
    const bool accepted = audio::Succeeded(s.buffer->SetCurrentPosition(start));
    RefreshSlotTime(i);
    // A refused position leaves the sound, and so the slot, where it was.
    if (bytes == 0 || !accepted) return;
    const double fraction = static_cast<double>(bytes) / s.bytesPerSec / s.duration;
    m_view.SetPositionSlider(i, TruncToInt32(fraction * 1000.0));
    m_view.SetPlayImage(i, PlayImage::Paused);
    std::uint32_t status = 0;
    if (audio::Succeeded(s.buffer->GetStatus(status))) ShowSlotTime(i, bytes, status);
}

std::uint32_t Board::FrameStart(int i, std::uint32_t bytes) {
    std::uint32_t frame = 0;
    if (audio::Succeeded(at(i).buffer->GetBlockAlign(frame)) && frame > 1) bytes -= bytes % frame;
    return bytes;
}

void Board::SeekSlot(int i, double seconds) {
    SoundSlot& s = at(i);
    if (!s.loaded() || !(seconds >= 0)) return;
    const double offset = seconds * s.bytesPerSec;
    const std::uint32_t bytes = offset < 4294967295.0 ? static_cast<std::uint32_t>(offset) : 0xFFFFFFFFu;
    if (!IsSlotPlaying(i)) return PositionSlot(i, bytes);
    s.buffer->SetCurrentPosition(FrameStart(i, bytes));
    RefreshSlotTime(i);
}

std::uint32_t Board::PlayPosition(int i) {
    SoundSlot& s = at(i);
    std::uint32_t cursor = 0;
    if (s.loaded() && !audio::Succeeded(s.buffer->GetCurrentPosition(cursor))) cursor = 0;
    return cursor;
}

bool Board::IsSlotPlaying(int i) {
    SoundSlot& s = at(i);
    std::uint32_t status = 0;
    return s.loaded() && audio::Succeeded(s.buffer->GetStatus(status)) && (status & audio::kStatusPlaying);
}

void Board::StartSlot(int i) {
    SoundSlot& s = at(i);
    if (s.loaded()) s.buffer->Play(s.loop);
}

void Board::PauseSlot(int i) {
    SoundSlot& s = at(i);
    if (s.loaded()) s.buffer->Stop();
}

void Board::StopSlot(int i) {
    SoundSlot& s = at(i);
    s.fireWhenLoaded = false;
    s.resumeWhenLoaded = false;
    if (!s.loaded()) return;
    s.buffer->Stop();
    s.buffer->SetCurrentPosition(0);
}

void Board::StopAll() {
    EndAllPrelistens();
    for (int i = 0; i < kSlotCount; ++i) {
        auto& fading = m_fading[static_cast<std::size_t>(i)];
        // A fade cut short would leave the sound at its lowered level.
        if (fading && slot(i).loaded()) at(i).buffer->SetVolume(m_fadeRestoreVolume[static_cast<std::size_t>(i)]);
        fading = false;
        OnStopButton(i);
    }
}

void Board::FadeAll() {
    for (int i = 0; i < kSlotCount; ++i) {
        const auto j = static_cast<std::size_t>(i);
        // A fade already running keeps the level it will restore.
        if (m_fading[j] || !IsSlotPlaying(i)) continue;
        std::int32_t volume = 0;
        at(i).buffer->GetVolume(volume);
        m_fadeRestoreVolume[j] = volume;
        m_fading[j] = true;
    }
}

void Board::OnPlayButton(int i) {
    SoundSlot& s = at(i);
    EndPrelisten(i);  // fired, it plays on the main output as always
    // Fired while it loads, it plays the moment it can; one that waits to
    // go on playing is paused instead.
    if (s.loading() && !std::exchange(s.resumeWhenLoaded, false)) s.fireWhenLoaded = true;
    if (!s.loaded()) return;
    std::uint32_t status = 0;
    if (!audio::Succeeded(s.buffer->GetStatus(status))) return;
    if (status & audio::kStatusPlaying) {
        // The refresh timer keeps running so the display shows the paused time.
        PauseSlot(i);
        m_view.SetPlayImage(i, PlayImage::Paused);
        return;
    }
    for (int j = 0; j < kSlotCount; ++j) {
        if (j == i || !IsSlotPlaying(j)) continue;
        if (m_onPlayMode == PauseOthers) {
            PauseSlot(j);
            m_view.SetPlayImage(j, PlayImage::Paused);
        } else if (m_onPlayMode == FadeOthers) {
            // The level at this moment is what the slot gets back when its fade ends.
            std::int32_t volume = 0;
            at(j).buffer->GetVolume(volume);
            m_fadeRestoreVolume[static_cast<std::size_t>(j)] = volume;
            m_fading[static_cast<std::size_t>(j)] = true;
        }
    }
    StartSlot(i);
    s.timerHandle = m_view.StartSlotTimer(i);
    m_timerOutOfStep[static_cast<std::size_t>(i)] = true;
    m_view.SetPlayImage(i, PlayImage::Playing);
}

void Board::OnStopButton(int i) {
    // Stopping a pre-listen leaves the slot's own sound where it was.
    if (EndPrelisten(i)) return;
    // The refresh timer is left alone: its next tick reads position 0 and blanks the time.
    StopSlot(i);
    m_view.SetPlayImage(i, PlayImage::Idle);
}

void Board::OnTimer(unsigned timerId) {
    if (timerId >= kFirstSlotTimerId && timerId < kFirstSlotTimerId + kSlotCount) {
        RefreshSlotTime(static_cast<int>(timerId - kFirstSlotTimerId));
    } else if (timerId == kFadeTimerId) {
        // Should a device's word that loads finished have been lost.
        TakeLoadedSounds();
        for (int i = 0; i < kSlotCount; ++i)
            if (m_fading[static_cast<std::size_t>(i)]) FadeStep(i);
        FollowDecodes();
        BringTimersIntoStep();
        DrawDueVolumes();
    }
}

// Timers of one period started at different moments fall due at different
// moments, and each wakes the thread on its own: with every slot playing,
// 19 wakes every 100 ms, each with its round trips to the window system.
// Restarted from the fade tick, a refresh timer falls due with the fade
// timer, and a round of ticks is handled in one wake. The restart may take
// the slot's tick that was due, so the slot is refreshed at once: it never
// shows its time later than its own tick would have.
void Board::BringTimersIntoStep() {
    for (int i = 0; i < kSlotCount; ++i) {
        auto& outOfStep = m_timerOutOfStep[static_cast<std::size_t>(i)];
        if (!outOfStep) continue;
        outOfStep = false;
        at(i).timerHandle = m_view.StartSlotTimer(i);
        RefreshSlotTime(i);
    }
}

void Board::FollowDecodes() {
    for (int i = 0; i < kSlotCount; ++i) {
        SoundSlot& s = at(i);
        if (!s.loaded()) continue;
        const audio::SoundError error = s.buffer->TakeDecodeError();
        const std::uint64_t length = s.buffer->LengthBytes();
        if (length != s.lengthBytes) {
            s.lengthBytes = length;
            s.duration = static_cast<float>(length) / static_cast<float>(s.bytesPerSec);
            if (!m_controlDown) ShowLengthTitle(i);
        }
        if (error != audio::SoundError::None) Report(error, s.path);
    }
}

void Board::RefreshSlotTime(int i) {
    SoundSlot& s = at(i);
    if (!s.loaded()) return;
    if (auto* heard = prelistenBuffer(i)) {
        std::uint32_t status = 0, cursor = 0;
        // A pre-listen that reached the end of a sound that does not loop is over.
        if (!audio::Succeeded(heard->GetStatus(status)) || !(status & audio::kStatusPlaying)) {
            EndPrelisten(i);
            return;
        }
        heard->GetCurrentPosition(cursor);
        const float t = s.SecondsAt(cursor);
        const TimeText r = FormatTime(s.countDown ? s.duration - t : t);
        SetDisplayText(i, DisplayKind::Time, kPrelistenMark + r.minSec);
        SetDisplayText(i, DisplayKind::Tenths, r.tenthsText);
        return;
    }
    std::uint32_t status = 0;
    if (!audio::Succeeded(s.buffer->GetStatus(status))) return;
    if (auto* mirrored = dynamic_cast<MirroredSound*>(s.buffer.get())) mirrored->KeepInStep(s.bytesPerSec / 20);
    std::uint32_t cursor = 0;
    s.buffer->GetCurrentPosition(cursor);
    ShowSlotTime(i, cursor, status);
    // A sound that stopped itself on a read error shows as ended; the user is told why, once.
    const audio::SoundError error = s.buffer->TakePlaybackError();
    if (error != audio::SoundError::None)
        m_messages.Tell("Error playing " + s.path + ":\n\n" + audio::SoundErrorText(error));
}

void Board::ShowSlotTime(int i, std::uint32_t cursor, std::uint32_t status) {
    SoundSlot& s = at(i);
    const float t = s.SecondsAt(cursor);
    // Position 0 while still playing is a looping sound's wrap or a rewind
    // under a playing sound, not an end: the slot goes on showing its time.
    if (t == 0.0f && !(status & audio::kStatusPlaying)) {
        // Ended, or stopped and rewound.
        m_view.StopSlotTimer(i, s.timerHandle);
        m_timerOutOfStep[static_cast<std::size_t>(i)] = false;  // stopped: nothing to restart
        m_view.SetPlayImage(i, PlayImage::Idle);
        SetDisplayText(i, DisplayKind::Time, kIdleTime);
        SetDisplayText(i, DisplayKind::Tenths, kIdleTenths);
        m_view.SetPositionSlider(i, 0);
        return;
    }
    const TimeText r = FormatTime(s.countDown ? s.duration - t : t);
    SetDisplayText(i, DisplayKind::Time, (s.countDown ? "-" : " ") + r.minSec);
    SetDisplayText(i, DisplayKind::Tenths, r.tenthsText);
    // A paused sound keeps its slider where the user may have put it.
    if (status & audio::kStatusPlaying)
        m_view.SetPositionSlider(i, TruncToInt32(t / s.duration * 1000.0f));
}

void Board::FadeStep(int i) {
    SoundSlot& s = at(i);
    auto& fading = m_fading[static_cast<std::size_t>(i)];
    if (!s.loaded()) {
        fading = false;  // nothing left to fade
        return;
    }
    std::int32_t volume = 0;
    // A level that cannot be read ends the fade rather than repeating one step forever.
    const bool known = audio::Succeeded(s.buffer->GetVolume(volume));
    volume -= kFadeStep;
    if (known && volume > audio::kVolumeSilent) {
        s.buffer->SetVolume(volume);
        return;
    }
    fading = false;
    if (IsSlotPlaying(i)) {
        s.buffer->Stop();
        m_view.SetPlayImage(i, PlayImage::Paused);
    }
    s.buffer->SetVolume(m_fadeRestoreVolume[static_cast<std::size_t>(i)]);
}

void Board::OnTimeDisplayClicked(int i) { SetCountDown(i, !slot(i).countDown); }

void Board::OnPositionReleased(int i, int value) {
    SoundSlot& s = at(i);
    if (!s.loaded()) return;
    const float offset = s.duration * 0.001f * static_cast<float>(value) * static_cast<float>(s.bytesPerSec);
    s.buffer->SetCurrentPosition(TruncToUint32(offset));
    RefreshSlotTime(i);
}

void Board::ShowVolume(int i, int value) {
    const auto j = static_cast<std::size_t>(i);
    const bool moving = m_volumeMovedThisTick[j] || m_volumeMovedLastTick[j];
    m_volumeMovedThisTick[j] = true;
    m_volumeDue[j] = moving ? value : -1;
    if (!moving) m_view.SetVolumeSlider(i, value);
}

void Board::DrawDueVolumes() {
    for (int i = 0; i < kSlotCount; ++i) {
        int& due = m_volumeDue[static_cast<std::size_t>(i)];
        if (due >= 0) m_view.SetVolumeSlider(i, due);
        due = -1;
    }
    m_volumeMovedLastTick = m_volumeMovedThisTick;
    m_volumeMovedThisTick.fill(false);
}

void Board::OnVolumeSliderMoved(int i, int value, bool dragged) {
    m_volumeDue[static_cast<std::size_t>(i)] = -1;  // the hand on the slider wins
    SoundSlot& s = at(i);
    if (!s.loaded()) return;
    s.volume = value;
    if (dragged) s.buffer->SetVolume(SliderToVolume(value));
}

void Board::Perform(const Action& a) {
    const bool inRange = a.index >= 0 && a.index < kSlotCount;
    switch (a.kind) {
    case Action::Fire: if (inRange) OnPlayButton(a.index); break;
    case Action::Stop: if (inRange) OnStopButton(a.index); break;
    case Action::SetVolume: if (inRange) SetVolume(a.index, VolumeSliderValue(a.value)); break;
    case Action::Seek: if (inRange) SeekSlot(a.index, a.value); break;
    case Action::FireByName:
        for (int i = 0; i < kSlotCount; ++i)
            if (fw::EqualsIgnoreCaseAnsi(a.name, slot(i).name)) OnPlayButton(i);
        break;
    case Action::StopAll: StopAll(); break;
    case Action::FadeAll: FadeAll(); break;
    case Action::Prelisten: if (inRange) Prelisten(a.index); break;
    case Action::OpenFavourite: break;
    }
}

void Board::OnControlKey(bool down) {
    m_controlDown = down;
    for (int i = 0; i < kSlotCount; ++i) {
        const SoundSlot& s = at(i);
        if (down)
            SetDisplayText(i, DisplayKind::Title,
                           ControlKeyTitle(s.name, kSlotKeys[i], m_hotkeys[static_cast<std::size_t>(i)]));
        else if (s.loaded())
            ShowLengthTitle(i);
        else if (s.kept())
            ShowMissingTitle(i);
        else if (s.loading())
            ShowLoadingTitle(i);
        else
            SetDisplayText(i, DisplayKind::Title, kBlankTitle);  // as a cleared slot shows
    }
}

bool Board::MoveToDevice(audio::ISoundDevice* device, bool quiet) {
    if (!device) return Report(audio::SoundError::OutputRefusedSounds), false;
    EndAllPrelistens();  // they would hold buffers copied from the old device's
    // Each sound moves as it is on the main output; the monitor follows it again.
    UnmirrorAll();
    struct Remirror {
        Board& board;
        ~Remirror() { board.MirrorAll(); }
    } remirror{*this};
    // Every new buffer first, from the samples in memory (the files may have
    // changed or gone since they were read); the switch only when all were made.
    std::array<std::unique_ptr<audio::ISoundBuffer>, kSlotCount> moved;
    for (int i = 0; i < kSlotCount; ++i) {
        auto& to = moved[static_cast<std::size_t>(i)];
        if (!slot(i).loaded()) continue;
        if (device) to = device->CopyBuffer(*at(i).buffer);
        if (!to || !to->IsLoaded()) {
            if (!quiet) Report(audio::SoundError::OutputRefusedSounds);
            return false;
        }
    }
    // Sounds still loading (or waiting for a device) are asked of the new device instead.
    for (int i = 0; i < kSlotCount; ++i)
        if (slot(i).loading() && m_directSound) m_directSound->CancelLoad(slot(i).loadTicket);
    m_directSound = device;
    for (int i = 0; i < kSlotCount; ++i) {
        SoundSlot& s = at(i);
        if (s.loading()) {
            s.loadTicket = ++m_lastTicket;
            m_directSound->BeginLoad(s.loadTicket, s.path, audio::kBufferFlags);
        }
        if (!s.loaded()) continue;
        const bool playing = IsSlotPlaying(i);
        std::uint32_t cursor = 0;
        std::int32_t level = SliderToVolume(s.volume);
        s.buffer->GetCurrentPosition(cursor);
        s.buffer->GetVolume(level);  // below the slider's level while fading
        ReleaseBuffer(i);            // stopped and released on the old device
        s.buffer = std::move(moved[static_cast<std::size_t>(i)]);
        s.buffer->SetVolume(level);
        s.buffer->SetCurrentPosition(cursor);
        if (playing) StartSlot(i);
    }
    TakeLoadedSounds();
    return true;
}

void Board::RescueSounds(audio::ISoundDevice* device) {
    EndAllPrelistens();
    UnmirrorAll();
    for (int i = 0; i < kSlotCount; ++i) {
        SoundSlot& s = at(i);
        if (s.loading() && m_directSound) m_directSound->CancelLoad(s.loadTicket);
        if (!s.loaded()) continue;
        std::uint32_t status = 0, cursor = 0;
        std::int32_t level = SliderToVolume(s.volume);
        const bool playing = audio::Succeeded(s.buffer->GetStatus(status)) && (status & audio::kStatusPlaying);
        s.buffer->GetCurrentPosition(cursor);
        s.buffer->GetVolume(level);  // below the slider's level while fading
        std::unique_ptr<audio::ISoundBuffer> moved = device ? device->CopyBuffer(*s.buffer) : nullptr;
        s.buffer.reset();  // its device is gone: what its calls say no longer counts
        if (moved && moved->IsLoaded()) {
            s.buffer = std::move(moved);
            s.buffer->SetVolume(level);
            s.buffer->SetCurrentPosition(cursor);
            if (playing) StartSlot(i);
            continue;
        }
        // From its file, as it was; it goes on showing its name and length.
        SchemePlace place;
        place.position = cursor;
        place.volume = s.volume;
        place.countDown = s.countDown;
        place.loop = s.loop;
        s.loadPlace = place;
        s.state = SlotState::Loading;
        s.resumeWhenLoaded = playing;
        m_fading[static_cast<std::size_t>(i)] = false;
    }
    m_directSound = device;
    for (int i = 0; i < kSlotCount; ++i) {
        SoundSlot& s = at(i);
        if (!s.loading() || !device) continue;
        s.loadTicket = ++m_lastTicket;
        device->BeginLoad(s.loadTicket, s.path, audio::kBufferFlags);
    }
    MirrorAll();
    TakeLoadedSounds();
}

void Board::SetMonitorDevice(audio::ISoundDevice* device, bool hearsAll) {
    EndAllPrelistens();
    UnmirrorAll();  // what the old monitor held goes with it
    m_monitor = device;
    m_monitorHearsAll = device && hearsAll;
    MirrorAll();
}

void Board::Mirror(int i) {
    SoundSlot& s = at(i);
    if (!m_monitorHearsAll || !s.loaded() || dynamic_cast<MirroredSound*>(s.buffer.get())) return;
    auto mirrored = std::make_unique<MirroredSound>(std::move(s.buffer), *m_monitor);
    mirrored->Follow();  // a sound already playing is heard on the monitor from here on
    s.buffer = std::move(mirrored);
}

void Board::MirrorAll() {
    for (int i = 0; i < kSlotCount; ++i) Mirror(i);
}

void Board::UnmirrorAll() {
    for (SoundSlot& s : m_slots)
        if (s.buffer) s.buffer = MirroredSound::Unwrap(std::move(s.buffer));
}

void Board::Prelisten(int i) {
    SoundSlot& s = at(i);
    if (EndPrelisten(i) || !m_monitor || !s.loaded()) return;
    auto* mirrored = dynamic_cast<MirroredSound*>(s.buffer.get());
    std::unique_ptr<audio::ISoundBuffer> heard = m_monitor->FollowBuffer(mirrored ? mirrored->main() : *s.buffer);
    if (!heard || !heard->IsLoaded()) return;
    std::uint32_t cursor = 0;
    s.buffer->GetCurrentPosition(cursor);
    heard->SetVolume(SliderToVolume(s.volume));
    heard->SetCurrentPosition(FrameStart(i, cursor));
    if (!audio::Succeeded(heard->Play(s.loop))) return;
    m_prelisten[static_cast<std::size_t>(i)] = std::move(heard);
    ShowLengthTitle(i);
    s.timerHandle = m_view.StartSlotTimer(i);
    m_timerOutOfStep[static_cast<std::size_t>(i)] = true;
    RefreshSlotTime(i);
}

bool Board::EndPrelisten(int i) {
    auto& heard = m_prelisten[static_cast<std::size_t>(i)];
    if (!heard) return false;
    heard.reset();
    ShowLengthTitle(i);
    RefreshSlotTime(i);  // the slot's own time again, or none when it is idle at its start
    return true;
}

void Board::EndAllPrelistens() {
    for (int i = 0; i < kSlotCount; ++i) EndPrelisten(i);
}

void Board::SetSchemeTitle(const std::string& text) {
    std::string title = text;
    const auto slash = fw::FindLastAnsi(title, '\\');
    if (slash != std::string::npos) title = title.substr(slash + 1);
    if (title.size() >= 7 && fw::EqualsIgnoreCaseAnsi(title.substr(title.size() - 7), ".scheme"))
        title.resize(title.size() - 7);
    m_schemeName = title;
    m_view.SetWindowTitle(title + kTitleSuffix);
}

void Board::NewScheme() {
    SetSchemeTitle("New scheme");
    for (int i = 0; i < kSlotCount; ++i) ClearSlot(i);
    m_schemePath.clear();
}

void Board::SetLedColours(std::uint32_t on, std::uint32_t off) {
    m_ledOnColour = on;
    m_ledOffColour = off;
    m_view.ApplyLedColours(on, off);
}

void Board::SetLayout(bool compact) {
    m_compact = compact;
    m_view.ApplyLayout(compact);
}

}  // namespace board
