#pragma once
// The board's OSC service without the socket: a datagram from an allowed
// source becomes the actions it asks for, subscriptions are kept, and on
// each tick of the board the subscribers' feedback is made. The window owns
// the socket and hands datagrams in and out, all on its own thread.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "board/Action.h"
#include "board/Board.h"
#include "remote/AllowList.h"
#include "remote/Feedback.h"

namespace remote {

// What the board shows, for its subscribers: each slot's name, state and
// times as its displays compute them, and the scheme's name as the title
// shows it. A slot without a playable sound (a kept one too) is "empty",
// one whose sound is being read "loading".
BoardFeedback Snapshot(const board::Board& board);

class RemoteControl {
public:
    // The requests of one datagram that are carried out; the rest are ignored.
    static constexpr std::size_t kMaxRequests = 32;
    // OSC's UTF-8 as the board's text, nothing when the board's code page
    // lacks a character of it (such a name matches no slot); and the board's
    // text as UTF-8. Null keeps text as it is.
    using ToBoardText = std::optional<std::string> (*)(const std::string&);
    using ToNetworkText = std::string (*)(const std::string&);

    RemoteControl(ToBoardText toBoardText, ToNetworkText toNetworkText);

    // Who may send from now on.
    void Allow(const AllowList& list) { allow_ = list; }
    // A datagram from `from`: the actions it asks for, in order; its
    // subscriptions are kept here. Nothing is read of a datagram from a
    // source the list does not allow, nor of one that is not OSC.
    std::vector<board::Action> Receive(const void* data, std::size_t size, const Endpoint& from, std::uint64_t nowMs);
    // The board's 100 ms tick: the datagrams for the subscribers, if any.
    std::vector<Datagram> Tick(const board::Board& board, std::uint64_t nowMs);

private:
    ToBoardText toBoardText_;
    ToNetworkText toNetworkText_;
    AllowList allow_;
    FeedbackSender feedback_;
};

}  // namespace remote
