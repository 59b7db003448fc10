#pragma once
// The board's OSC service without the socket: what a datagram asks is
// carried out through the board's actions, subscriptions are kept, and on
// each tick of the board the subscribers' feedback is made. The window owns
// the socket and hands datagrams in and out, all on its own thread.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "board/Action.h"
#include "board/Board.h"
#include "remote/Feedback.h"

namespace remote {

// What the board shows, for its subscribers: each slot's name, state and
// times as its displays compute them, and the scheme's name as the title
// shows it. A slot without a playable sound (a kept one too) is "empty".
BoardFeedback Snapshot(const board::Board& board);

class RemoteControl {
public:
    using Perform = std::function<void(const board::Action&)>;
    // Text in the board's code page to OSC's UTF-8, and back; none keeps it as it is.
    using Convert = std::function<std::string(const std::string&)>;

    explicit RemoteControl(Perform perform, Convert toBoardText = {}, Convert toNetworkText = {});

    // A datagram from `from`: each request in it, in order; anything else
    // in it, and a datagram that is not OSC, is ignored.
    void Receive(const void* data, std::size_t size, const Endpoint& from, std::uint64_t nowMs);
    // The board's 100 ms tick: the datagrams for the subscribers, if any.
    std::vector<Datagram> Tick(const board::Board& board, std::uint64_t nowMs);

private:
    Perform perform_;
    Convert toBoardText_, toNetworkText_;
    FeedbackSender feedback_;
};

}  // namespace remote
