#include "remote/Feedback.h"

#include <algorithm>
#include <cmath>

#include "remote/Osc.h"

namespace remote {

namespace {

// Times count to the tenth, as the displays show them.
double Tenths(double seconds) { return seconds > 0 ? std::floor(seconds * 10 + 1e-6) / 10 : 0; }

OscMessage Text(const std::string& address, const std::string& text) { return {address, {{'s', 0, text}}}; }
OscMessage Number(const std::string& address, double value) { return {address, {{'f', value, {}}}}; }

// The messages for slot i's fields that differ from `before` (all of them when all).
std::vector<OscMessage> SlotMessages(int i, const SlotFeedback& now, const SlotFeedback& before, bool all) {
    const std::string at = "/clangster/slot/" + std::to_string(i + 1) + "/";
    std::vector<OscMessage> out;
    if (all || now.name != before.name) out.push_back(Text(at + "name", now.name));
    if (all || now.state != before.state) out.push_back(Text(at + "state", now.state));
    if (all || Tenths(now.remaining) != Tenths(before.remaining)) out.push_back(Number(at + "remaining", Tenths(now.remaining)));
    if (all || Tenths(now.elapsed) != Tenths(before.elapsed)) out.push_back(Number(at + "elapsed", Tenths(now.elapsed)));
    return out;
}

// Packets in order, gathered into bundles of at most kDatagramBytes each; a
// packet alone goes as it is.
std::vector<std::string> Pack(const std::vector<std::string>& packets) {
    constexpr std::size_t kBundleHead = 16, kSizeField = 4;
    std::vector<std::string> datagrams, group;
    std::size_t bytes = kBundleHead;
    auto flush = [&] {
        if (group.size() == 1) datagrams.push_back(group.front());
        if (group.size() > 1) datagrams.push_back(WriteOscBundleOf(group));
        group.clear();
        bytes = kBundleHead;
    };
    for (const std::string& packet : packets) {
        if (!group.empty() && bytes + kSizeField + packet.size() > FeedbackSender::kDatagramBytes) flush();
        group.push_back(packet);
        bytes += kSizeField + packet.size();
    }
    flush();
    return datagrams;
}

}  // namespace

void FeedbackSender::Subscribe(const Endpoint& who, std::uint64_t nowMs) {
    for (Subscriber& s : subscribers_) {
        if (s.who == who) {
            s.until = nowMs + kSubscriptionMs;
            return;
        }
    }
    if (subscribers_.size() < kMaxSubscribers) subscribers_.push_back({who, nowMs + kSubscriptionMs, true});
}

std::vector<Datagram> FeedbackSender::Update(const BoardFeedback& board, std::uint64_t nowMs) {
    subscribers_.erase(std::remove_if(subscribers_.begin(), subscribers_.end(),
                                      [&](const Subscriber& s) { return s.until <= nowMs; }),
                       subscribers_.end());
    const bool anyFresh =
        std::any_of(subscribers_.begin(), subscribers_.end(), [](const Subscriber& s) { return s.fresh; });
    // Each slot's changes, and everything when a newcomer needs it, as bundles of bytes made once.
    std::vector<std::string> changed, everything;
    for (int i = 0; i < board::kSlotCount; ++i) {
        const SlotFeedback& now = board.slots[static_cast<std::size_t>(i)];
        const auto diff = SlotMessages(i, now, last_.slots[static_cast<std::size_t>(i)], !sentAny_);
        if (!diff.empty()) changed.push_back(WriteOscBundle(diff));
        if (anyFresh) everything.push_back(WriteOscBundle(SlotMessages(i, now, now, true)));
    }
    const std::string scheme = WriteOsc(Text("/clangster/scheme", board.scheme));
    if (!sentAny_ || board.scheme != last_.scheme) changed.push_back(scheme);
    everything.push_back(scheme);
    changed = Pack(changed);
    if (anyFresh) everything = Pack(everything);
    std::vector<Datagram> out;
    for (Subscriber& s : subscribers_) {
        for (const std::string& bytes : s.fresh ? everything : changed) out.push_back({s.who, bytes});
        s.fresh = false;
    }
    last_ = board;
    sentAny_ = true;
    return out;
}

}  // namespace remote
