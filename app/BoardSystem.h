#pragma once
// The system's services for the board: the DirectSound device, the
// system-wide hotkeys, the OSC socket, the Shift key, a second running
// board and starting one. All of it belongs to the board's window, on its
// thread.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/SoundPrefetch.h"
#include "framework/Handles.h"
#include "remote/OscSocket.h"
#include "scheme/SystemServices.h"

class CBoardSystem : public scheme::ISystemServices {
public:
    // prefetch: the first scheme's sounds, read while the window is built,
    // for the first sound device made for the same output.
    explicit CBoardSystem(std::unique_ptr<audio::SoundPrefetch> prefetch);
    ~CBoardSystem() override;
    CBoardSystem(const CBoardSystem&) = delete;
    CBoardSystem& operator=(const CBoardSystem&) = delete;

    // The board's window, once it exists: the hotkeys, the socket's
    // `oscMessage`, the sound device's `loadedMessage` and its cooperation are its.
    void Attach(HWND window, UINT oscMessage, UINT loadedMessage);

    std::unique_ptr<audio::ISoundDevice> OpenSoundDevice(const std::string& output, bool exactly,
                                                         audio::SoundError& error) override;
    std::vector<int> RegisterHotkeys(const board::Hotkeys& hotkeys) override;
    std::string UseRemoteControl(const scheme::RemoteSettings& settings) override;
    bool IsSecondBoard() override { return m_second; }
    bool IsShiftDown() override;
    void StartProgramCopy(const std::string& arguments) override;

    // For the socket's posted message: every datagram waiting.
    void ReadDatagrams(WPARAM socket, const remote::OscSocket::Take& take) { m_socket.ReadAll(socket, take); }
    void Send(const remote::Datagram& datagram) { m_socket.Send(datagram); }
    // Whether the key of a registered hotkey is up again.
    bool IsHotkeyReleased(std::uint16_t hotkey) const;

private:
    HWND m_window = nullptr;
    UINT m_oscMessage = 0;
    UINT m_loadedMessage = 0;
    std::unique_ptr<audio::SoundPrefetch> m_prefetch;
    remote::OscSocket m_socket;
    // Held for as long as this board runs: a board started meanwhile finds
    // it and knows it is the second.
    fw::UniqueKernelHandle m_firstBoardMark;
    bool m_second = false;
};
