#pragma once
// What the board tells its OSC subscribers: each slot's name, state and
// times, and the scheme's name, sent only when something changed, at most
// once a tick (the board's 100 ms). A slot's messages of a tick travel in one
// datagram, several slots' together in one bundle, in as few datagrams as
// fit a network frame: each datagram sent costs the board far more than its
// bytes.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "board/Keys.h"

namespace remote {

struct SlotFeedback {
    std::string name;
    std::string state;  // "empty", "loading", "idle", "playing", "paused", "fading", "prelistening"
    double elapsed = 0, remaining = 0;  // seconds
};

struct BoardFeedback {
    std::array<SlotFeedback, board::kSlotCount> slots;
    std::string scheme;  // as the window's title names it
};

// An IPv4 address and port, in host byte order.
struct Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    bool operator==(const Endpoint& o) const { return address == o.address && port == o.port; }
};

struct Datagram {
    Endpoint to;
    std::string bytes;
};

class FeedbackSender {
public:
    static constexpr std::uint64_t kSubscriptionMs = 60000;
    // A controller may hold on to a few; a flood of subscribers is not
    // served. A newcomer takes the place of the one that renewed longest ago
    // (of its own address, once that has its most), so that no one can lock
    // a controller out.
    static constexpr std::size_t kMaxSubscribers = 16;
    static constexpr std::size_t kMaxPerAddress = 4;
    // A datagram's most bytes, unless one slot's messages alone are more:
    // within an Ethernet frame, so that no datagram is sent in fragments.
    static constexpr std::size_t kDatagramBytes = 1400;
    // Updates in any one second, whatever the ticks' jitter: a tick too
    // soon after the tenth-last leaves its changes to the next. The window
    // is a tenth longer than a second because a subscriber's clock sees the
    // datagrams with the sending's own delays added; ticks exactly 100 ms
    // apart would otherwise bring it eleven within a second now and then.
    static constexpr int kUpdatesPerSecond = 10;
    static constexpr std::uint64_t kRateWindowMs = 1100;

    // A new subscriber or a renewed one; either hears everything at the next
    // update, so that whatever it missed is put right.
    void Subscribe(const Endpoint& who, std::uint64_t nowMs);
    void Unsubscribe(const Endpoint& who);
    // Each tick: the datagrams for what changed since the last tick, and
    // everything for new subscribers; subscriptions that ran out end here.
    std::vector<Datagram> Update(const BoardFeedback& board, std::uint64_t nowMs);
    std::size_t subscriberCount() const { return subscribers_.size(); }

private:
    struct Subscriber {
        Endpoint who;
        std::uint64_t renewed;
        bool fresh;  // hears everything at the next update
    };
    std::vector<Subscriber> subscribers_;
    BoardFeedback last_;
    bool sentAny_ = false;
    std::array<std::uint64_t, kUpdatesPerSecond> updates_{};  // the last ones' times, oldest at next_
    std::size_t next_ = 0;
    int updateCount_ = 0;
};

}  // namespace remote
