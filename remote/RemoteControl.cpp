#include "remote/RemoteControl.h"

#include "remote/Osc.h"
#include "remote/OscCommands.h"

namespace remote {

BoardFeedback Snapshot(const board::Board& board) {
    BoardFeedback feedback;
    for (int i = 0; i < board::kSlotCount; ++i) {
        const board::SoundSlot& s = board.slot(i);
        SlotFeedback& out = feedback.slots[static_cast<std::size_t>(i)];
        out.name = s.name;
        out.state = s.loading() ? "loading" : "empty";
        if (!s.loaded()) continue;
        // A slot pre-listening reports the monitor's sound, as its displays show it.
        audio::ISoundBuffer* heard = board.prelistenBuffer(i) ? board.prelistenBuffer(i) : s.buffer.get();
        std::uint32_t status = 0, cursor = 0;
        if (!audio::Succeeded(heard->GetStatus(status))) status = 0;
        if (!audio::Succeeded(heard->GetCurrentPosition(cursor))) cursor = 0;
        const float t = s.SecondsAt(cursor);
        if (heard != s.buffer.get())
            out.state = "prelistening";
        else if (status & audio::kStatusPlaying)
            out.state = board.fading(i) ? "fading" : "playing";
        else
            out.state = t > 0 ? "paused" : "idle";
        out.elapsed = t;
        out.remaining = s.duration > t ? s.duration - t : 0;
    }
    feedback.scheme = board.schemeName();
    return feedback;
}

RemoteControl::RemoteControl(ToBoardText toBoardText, ToNetworkText toNetworkText)
    : toBoardText_(toBoardText), toNetworkText_(toNetworkText) {}

std::vector<board::Action> RemoteControl::Receive(const void* data, std::size_t size, const Endpoint& from,
                                                  std::uint64_t nowMs) {
    std::vector<board::Action> actions;
    if (!allow_.Allows(from.address)) return actions;
    std::size_t requests = 0;
    for (const OscMessage& message : ReadOsc(data, size)) {
        const auto request = RequestFor(message);
        if (!request) continue;
        if (++requests > kMaxRequests) break;
        // Feedback goes only to the sender's own address, never to one a datagram names.
        const Endpoint to{from.address, request->port ? static_cast<std::uint16_t>(request->port) : from.port};
        if (request->subscribe) {
            if (to.port) feedback_.Subscribe(to, nowMs);
            continue;
        }
        if (request->unsubscribe) {
            feedback_.Unsubscribe(to);
            continue;
        }
        board::Action action = *request->action;
        if (toBoardText_ && action.kind == board::Action::FireByName) {
            const auto name = toBoardText_(action.name);
            if (!name) continue;
            action.name = *name;
        }
        actions.push_back(std::move(action));
    }
    return actions;
}

std::vector<Datagram> RemoteControl::Tick(const board::Board& board, std::uint64_t nowMs) {
    // Without subscribers nothing is read from the board; a newcomer hears everything anyway.
    if (!feedback_.subscriberCount()) return {};
    BoardFeedback now = Snapshot(board);
    if (toNetworkText_) {
        for (SlotFeedback& slot : now.slots) slot.name = toNetworkText_(slot.name);
        now.scheme = toNetworkText_(now.scheme);
    }
    return feedback_.Update(now, nowMs);
}

}  // namespace remote
