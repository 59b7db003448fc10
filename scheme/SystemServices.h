#pragma once
// What the board needs from the system beyond its window: the sound device,
// the system-wide hotkeys, the OSC socket, the keyboard's Shift, a second
// running board. The program implements it with
// DirectSound, RegisterHotKey and Winsock; host tests with fakes.
#include <memory>
#include <string>
#include <vector>

#include "audio/SoundApi.h"
#include "board/Hotkey.h"
#include "scheme/Choices.h"

namespace scheme {

class ISystemServices {
public:
    virtual ~ISystemServices() = default;
    // The sound device for `output` (a device's GUID as text, empty for the
    // system's default): exactly that one, or else the default. Null when
    // none could be made; error says what went wrong (also with a device).
    virtual std::unique_ptr<audio::ISoundDevice> OpenSoundDevice(const std::string& output, bool exactly,
                                                                 audio::SoundError& error) = 0;
    // Registers the hotkeys in place of any registered before (all 0: none);
    // the entries the system refused.
    virtual std::vector<int> RegisterHotkeys(const board::Hotkeys& hotkeys) = 0;
    // Listens for OSC as the settings say, or stops: why it cannot, empty when it does.
    virtual std::string UseRemoteControl(const RemoteSettings& settings) = 0;
    // Whether another board already ran when this one started: the first
    // keeps the hotkeys and the port.
    virtual bool IsSecondBoard() = 0;
    virtual bool IsShiftDown() = 0;
    // Starts another copy of this program with the given argument text.
    virtual void StartProgramCopy(const std::string& arguments) = 0;
};

}  // namespace scheme
