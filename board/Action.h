#pragma once
// What can be asked of the board from outside its own controls. Slot keys,
// the remote window messages, the trigger tool, system-wide hotkeys and OSC
// all turn their input into these, and one place carries them out.
#include <cstddef>
#include <optional>
#include <string>
#include <utility>

namespace board {

// The favourite schemes a board keeps, each opened by the Schemes menu, a hotkey or OSC.
constexpr int kFavouriteCount = 12;

struct Action {
    enum Kind {
        Fire,           // a slot, as its Play button: start, or pause when it plays
        Stop,           // a slot, as its stop button: stop and rewind
        SetVolume,      // a slot's volume slider: value 1 is the top (full), 0 the quietest
        Seek,           // a slot's sound to value seconds from its start
        FireByName,     // every slot named `name`, case aside, as its Play button
        StopAll,        // every slot stopped and rewound, every fade ended
        FadeAll,        // every playing sound faded out and paused
        OpenFavourite,  // favourite scheme `index`: the one action that changes what the slots hold
        Prelisten,      // a slot heard on the monitor output only, from its place; again, it ends
    };
    Action(Kind k, int i = 0, double v = 0, std::string n = {}) : kind(k), index(i), value(v), name(std::move(n)) {}

    Kind kind;
    int index;      // the slot, 0..17; the favourite, 0..11
    double value;
    std::string name;
};

// A key pressed in the board's window: a slot key fires its slot, or stops
// it with Shift; Esc stops every sound, or fades them with Shift. Nothing
// for any other key.
std::optional<Action> KeyAction(unsigned vk, bool shiftDown);

// The remote trigger's data: a sound's name, up to its first zero byte.
Action NameAction(const void* data, std::size_t size);

// The volume slider's value for an action's volume (1 = top, full volume).
int VolumeSliderValue(double volume);

}  // namespace board
