#pragma once
// The board's OSC addresses: what a controller's message asks for, and the
// feedback the board sends to its subscribers.
//
//   /clangster/slot/N/play          N = 1..18, as the slot's Play button
//   /clangster/slot/N/stop          as its stop button
//   /clangster/slot/N/volume f      1.0 = full, 0.0 = the slider's quietest
//   /clangster/slot/N/position f    seconds from the start
//   /clangster/name/play s          every slot of that name
//   /clangster/stopall, /clangster/fadeall
//   /clangster/favourite/N          N = 1..12
//   /clangster/subscribe [i]        feedback to the sender (at port i) for a minute
//   /clangster/unsubscribe [i]      no more of it
#include <cstdint>
#include <optional>

#include "board/Action.h"
#include "remote/Osc.h"

namespace remote {

struct OscRequest {
    std::optional<board::Action> action;
    bool subscribe = false, unsubscribe = false;
    int port = 0;  // for either: where feedback goes; 0 for the sender's own port
};

// What a message asks for; nothing for an address the board does not have,
// wrong or missing arguments, or a slot or favourite out of range.
std::optional<OscRequest> RequestFor(const OscMessage& message);

}  // namespace remote
