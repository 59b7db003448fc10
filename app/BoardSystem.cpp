#include "app/BoardSystem.h"

#include <shellapi.h>

#include "app/CommandIds.h"
#include "audio/DirectSoundDevice.h"
#include "scheme/SchemeFiles.h"

namespace {
// In the session's own namespace: a board of another user is not this user's first.
constexpr char kFirstBoardMark[] = "Clangster.FirstBoard";
}  // namespace

CBoardSystem::CBoardSystem(std::unique_ptr<audio::SoundPrefetch> prefetch)
    : m_prefetch(std::move(prefetch)), m_firstBoardMark(::CreateMutexA(nullptr, FALSE, kFirstBoardMark)) {
    m_second = m_firstBoardMark && ::GetLastError() == ERROR_ALREADY_EXISTS;
}

CBoardSystem::~CBoardSystem() = default;

void CBoardSystem::Attach(HWND window, UINT oscMessage, UINT loadedMessage) {
    m_window = window;
    m_oscMessage = oscMessage;
    m_loadedMessage = loadedMessage;
}

std::unique_ptr<audio::ISoundDevice> CBoardSystem::OpenSoundDevice(const std::string& output, bool exactly,
                                                                   audio::SoundError& error) {
    // The start-up read-ahead lends its device and buffers to the first device made.
    return audio::DirectSoundDevice::Create(m_window, output,
                                            exactly ? audio::OutputChoice::Exactly : audio::OutputChoice::OrDefault,
                                            error, std::move(m_prefetch), m_loadedMessage);
}

std::vector<int> CBoardSystem::RegisterHotkeys(const board::Hotkeys& hotkeys) {
    if (!m_window) return {};
    for (int i = 0; i < board::kHotkeyCount; ++i) ::UnregisterHotKey(m_window, app::HotkeyIdOf(i));
    std::vector<int> refused;
    for (int i = 0; i < board::kHotkeyCount; ++i) {
        const std::uint16_t hotkey = hotkeys[static_cast<size_t>(i)];
        if (hotkey && !::RegisterHotKey(m_window, app::HotkeyIdOf(i), board::HotkeyModifiers(hotkey),
                                        board::HotkeyKey(hotkey)))
            refused.push_back(i);
    }
    return refused;
}

bool CBoardSystem::IsHotkeyReleased(std::uint16_t hotkey) const {
    return !board::HotkeyKey(hotkey) || ::GetAsyncKeyState(static_cast<int>(board::HotkeyKey(hotkey))) >= 0;
}

std::string CBoardSystem::UseRemoteControl(const scheme::RemoteSettings& settings) {
    m_socket.Close();
    if (!settings.on) return {};
    return m_socket.Open(m_window, m_oscMessage, settings.port, settings.fromNetwork);
}

bool CBoardSystem::IsShiftDown() { return ::GetAsyncKeyState(VK_SHIFT) < 0; }

void CBoardSystem::StartProgramCopy(const std::string& arguments) {
    // The copy's start is not watched: a failure leaves this board as it is.
    const std::string program = scheme::GetProgramPath(::GetCommandLineA());
    ::ShellExecuteA(m_window, "open", program.c_str(), arguments.c_str(), nullptr, SW_SHOWNORMAL);
}
