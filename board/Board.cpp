#include "board/Board.h"

#include <cstring>

#include "board/Arith.h"
#include "framework/AnsiText.h"
#include "framework/FileStatus.h"

namespace board {

namespace {
const char kAppName[] = "Clangster";
const char kBlankTitle[] = "|     ";  // 25 blank columns
const char kIdleTime[] = "     ";
const char kIdleTenths[] = "  ";
}  // namespace

std::string NameFromPath(const std::string& path) {
    // Paths shorter than an extension give an empty name rather than a bad read.
    std::string stem = path.size() >= 4 ? path.substr(0, path.size() - 4) : std::string();
    const auto slash = stem.rfind('\\');
    if (slash != std::string::npos) stem = stem.substr(slash + 1);
    return fw::ToUpperAnsi(stem);
}

Board::Board(IBoardView& view, audio::ISoundDevice* device) : m_view(view), m_directSound(device) {
    for (int i = 0; i < kSlotCount; ++i) slot(i).timerId = kFirstSlotTimerId + static_cast<unsigned>(i);
}

void Board::SetDisplayText(int i, DisplayKind kind, const std::string& text) {
    m_view.SetDisplay(i, kind, DisplayTextFor(kind, text));
}

void Board::ClearSlot(int i) {
    SoundSlot& s = slot(i);
    s.path.clear();
    SetDisplayText(i, DisplayKind::Title, kBlankTitle);
    SetDisplayText(i, DisplayKind::Time, "");
    SetDisplayText(i, DisplayKind::Tenths, "");
    m_view.SetPlayTextColour(i, kCaptionGrey);
    s.buffer.reset();  // stops the sound before releasing it
    s.loaded = false;
    // A fade cannot outlive its sound: the next fade tick would have no buffer,
    // and a later load must not inherit it.
    m_fading[static_cast<std::size_t>(i)] = false;
    m_view.SetPlayImage(i, PlayImage::Idle);
    m_view.SetPositionSlider(i, 0);
    s.name.clear();
}

void Board::LoadSlot(int i, const std::string& path, const std::string& name) {
    std::uint64_t fileSize = 0;
    if (path.empty() || !fw::QueryFileSize(path, fileSize)) return;
    ClearSlot(i);
    SoundSlot& s = slot(i);
    s.path = path;
    s.name = name.empty() ? NameFromPath(path) : name;
    // Without a sound device the slot stays empty and nothing calls into one.
    if (!m_directSound) return;
    s.buffer = m_directSound->CreateBuffer(path, audio::kBufferFlags);
    std::uint32_t bytesPerSec = 0;
    if (!s.buffer || !s.buffer->IsLoaded() ||
        !audio::Succeeded(s.buffer->GetAvgBytesPerSec(bytesPerSec)) || bytesPerSec == 0) {
        s.buffer.reset();
        return;
    }
    s.bytesPerSec = bytesPerSec;
    s.duration = static_cast<float>(fileSize) / static_cast<float>(bytesPerSec);
    ShowLengthTitle(i);
    m_view.SetPlayTextColour(i, kCaptionBlack);
    m_view.SetVolumeSlider(i, 0);
    m_view.SetPositionRange(i, 0, kPositionRange);
    s.loaded = true;
}

void Board::ShowLengthTitle(int i) {
    const SoundSlot& s = slot(i);
    SetDisplayText(i, DisplayKind::Title, s.name + "|" + FormatTime(s.duration).minSec);
}

bool Board::IsSlotPlaying(int i) {
    SoundSlot& s = slot(i);
    std::uint32_t status = 0;
    return s.loaded && audio::Succeeded(s.buffer->GetStatus(status)) && (status & audio::kStatusPlaying);
}

void Board::StartSlot(int i) {
    SoundSlot& s = slot(i);
    if (s.loaded) s.buffer->Play(s.loop);
}

void Board::PauseSlot(int i) {
    SoundSlot& s = slot(i);
    if (s.loaded) s.buffer->Stop();
}

void Board::StopSlot(int i) {
    SoundSlot& s = slot(i);
    if (!s.loaded) return;
    s.buffer->Stop();
    s.buffer->SetCurrentPosition(0);
}

void Board::OnPlayButton(int i) {
    SoundSlot& s = slot(i);
    if (!s.loaded) return;
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
            slot(j).buffer->GetVolume(volume);
            m_fadeRestoreVolume[static_cast<std::size_t>(j)] = volume;
            m_fading[static_cast<std::size_t>(j)] = true;
        }
    }
    StartSlot(i);
    s.timerHandle = m_view.StartSlotTimer(i);
    m_view.SetPlayImage(i, PlayImage::Playing);
}

void Board::OnStopButton(int i) {
    // The refresh timer is left alone: its next tick reads position 0 and blanks the time.
    StopSlot(i);
    m_view.SetPlayImage(i, PlayImage::Idle);
}

void Board::OnTimer(unsigned timerId) {
    if (timerId >= kFirstSlotTimerId && timerId < kFirstSlotTimerId + kSlotCount) {
        RefreshSlotTime(static_cast<int>(timerId - kFirstSlotTimerId));
    } else if (timerId == kFadeTimerId) {
        for (int i = 0; i < kSlotCount; ++i)
            if (m_fading[static_cast<std::size_t>(i)]) FadeStep(i);
    }
}

void Board::RefreshSlotTime(int i) {
    SoundSlot& s = slot(i);
    if (!s.loaded) return;
    std::uint32_t status = 0;
    if (!audio::Succeeded(s.buffer->GetStatus(status))) return;
    std::uint32_t cursor = 0;
    s.buffer->GetCurrentPosition(cursor);
    const float t = static_cast<float>(cursor) / static_cast<float>(s.bytesPerSec);
    // Position 0 while still playing is a looping sound's wrap or a rewind
    // under a playing sound, not an end: the slot goes on showing its time.
    if (t == 0.0f && !(status & audio::kStatusPlaying)) {
        // Ended, or stopped and rewound.
        m_view.StopSlotTimer(i, s.timerHandle);
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
    SoundSlot& s = slot(i);
    auto& fading = m_fading[static_cast<std::size_t>(i)];
    if (!s.loaded) {
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

void Board::OnTimeDisplayClicked(int i) {
    SoundSlot& s = slot(i);
    s.countDown = !s.countDown;
}

void Board::OnPositionReleased(int i, int value) {
    SoundSlot& s = slot(i);
    if (!s.loaded) return;
    const float offset = s.duration * 0.001f * static_cast<float>(value) * static_cast<float>(s.bytesPerSec);
    s.buffer->SetCurrentPosition(TruncToUint32(offset));
    RefreshSlotTime(i);
}

void Board::OnVolumeDragged(int i, int value) {
    SoundSlot& s = slot(i);
    if (s.loaded) s.buffer->SetVolume(SliderToVolume(value));
}

bool Board::OnSlotKey(unsigned vk, bool shiftDown) {
    const int i = SlotForKey(vk);
    if (i < 0) return false;
    if (shiftDown)
        OnStopButton(i);
    else
        OnPlayButton(i);
    return true;
}

void Board::OnControlKey(bool down) {
    for (int i = 0; i < kSlotCount; ++i) {
        const SoundSlot& s = slot(i);
        if (down)
            SetDisplayText(i, DisplayKind::Title, s.name + "|  " + KeyLabel(kSlotKeys[i]) + "  ");
        else if (s.loaded)
            ShowLengthTitle(i);
        else
            SetDisplayText(i, DisplayKind::Title, kBlankTitle);  // as a cleared slot shows
    }
}

void Board::OnRemoteTrigger(const void* data, std::size_t size) {
    std::string name;
    if (data && size) {
        const char* bytes = static_cast<const char*>(data);
        const void* zero = std::memchr(bytes, 0, size);
        name.assign(bytes, zero ? static_cast<const char*>(zero) : bytes + size);
    }
    for (int i = 0; i < kSlotCount; ++i)
        if (fw::EqualsIgnoreCaseAnsi(name, slot(i).name)) OnPlayButton(i);
}

void Board::SetSchemeTitle(const std::string& text) {
    std::string title = text;
    const auto slash = title.rfind('\\');
    if (slash != std::string::npos) title = title.substr(slash + 1);
    if (title.size() >= 7 && fw::EqualsIgnoreCaseAnsi(title.substr(title.size() - 7), ".scheme"))
        title.resize(title.size() - 7);
    m_view.SetWindowTitle(title + " - " + kAppName);
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
