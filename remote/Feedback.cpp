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

// Groups of messages (a slot's, or the scheme's), already written, in
// datagrams of at most kDatagramBytes: a flat bundle of as many whole groups
// as fit, or a message alone as it is. Flat, since some controllers read a
// bundle's messages but not a bundle's bundles.
std::vector<std::string> Pack(const std::vector<std::vector<std::string>>& groups) {
    constexpr std::size_t kBundleHead = 16, kSizeField = 4;
    std::vector<std::string> datagrams, packets;
    std::size_t bytes = kBundleHead;
    auto flush = [&] {
        if (packets.size() == 1) datagrams.push_back(packets.front());
        if (packets.size() > 1) datagrams.push_back(WriteOscBundle(packets));
        packets.clear();
        bytes = kBundleHead;
    };
    for (const auto& group : groups) {
        std::size_t size = 0;
        for (const std::string& p : group) size += kSizeField + p.size();
        if (!packets.empty() && bytes + size > FeedbackSender::kDatagramBytes) flush();
        packets.insert(packets.end(), group.begin(), group.end());
        bytes += size;
    }
    flush();
    return datagrams;
}

std::vector<std::string> Written(const std::vector<OscMessage>& messages) {
    std::vector<std::string> packets;
    for (const OscMessage& m : messages) packets.push_back(WriteOsc(m));
    return packets;
}

}  // namespace

void FeedbackSender::Subscribe(const Endpoint& who, std::uint64_t nowMs) {
    const Subscriber renewed{who, nowMs, true};
    for (Subscriber& s : subscribers_) {
        if (s.who == who) {
            s = renewed;
            return;
        }
    }
    // The one that renewed longest ago, of all or of this address alone.
    auto oldest = [&](bool sameAddress) {
        auto found = subscribers_.end();
        for (auto s = subscribers_.begin(); s != subscribers_.end(); ++s)
            if ((!sameAddress || s->who.address == who.address) &&
                (found == subscribers_.end() || s->renewed < found->renewed))
                found = s;
        return found;
    };
    const auto sameAddress = std::count_if(subscribers_.begin(), subscribers_.end(),
                                           [&](const Subscriber& s) { return s.who.address == who.address; });
    if (static_cast<std::size_t>(sameAddress) >= kMaxPerAddress)
        *oldest(true) = renewed;
    else if (subscribers_.size() >= kMaxSubscribers)
        *oldest(false) = renewed;
    else
        subscribers_.push_back(renewed);
}

void FeedbackSender::Unsubscribe(const Endpoint& who) {
    subscribers_.erase(std::remove_if(subscribers_.begin(), subscribers_.end(),
                                      [&](const Subscriber& s) { return s.who == who; }),
                       subscribers_.end());
}

std::vector<Datagram> FeedbackSender::Update(const BoardFeedback& board, std::uint64_t nowMs) {
    if (updateCount_ == kUpdatesPerSecond && nowMs - updates_[next_] < kRateWindowMs) return {};
    updates_[next_] = nowMs;
    next_ = (next_ + 1) % updates_.size();
    updateCount_ = std::min(updateCount_ + 1, kUpdatesPerSecond);
    subscribers_.erase(std::remove_if(subscribers_.begin(), subscribers_.end(),
                                      [&](const Subscriber& s) { return s.renewed + kSubscriptionMs <= nowMs; }),
                       subscribers_.end());
    const bool anyFresh =
        std::any_of(subscribers_.begin(), subscribers_.end(), [](const Subscriber& s) { return s.fresh; });
    // Each slot's changes, and everything when a newcomer needs it, written once.
    std::vector<std::vector<std::string>> changed, everything;
    for (int i = 0; i < board::kSlotCount; ++i) {
        const SlotFeedback& now = board.slots[static_cast<std::size_t>(i)];
        const auto diff = SlotMessages(i, now, last_.slots[static_cast<std::size_t>(i)], !sentAny_);
        if (!diff.empty()) changed.push_back(Written(diff));
        if (anyFresh) everything.push_back(Written(SlotMessages(i, now, now, true)));
    }
    const std::vector<std::string> scheme = {WriteOsc(Text("/clangster/scheme", board.scheme))};
    if (!sentAny_ || board.scheme != last_.scheme) changed.push_back(scheme);
    everything.push_back(scheme);
    const std::vector<std::string> changedDatagrams = Pack(changed);
    const std::vector<std::string> everythingDatagrams = anyFresh ? Pack(everything) : std::vector<std::string>();
    std::vector<Datagram> out;
    for (Subscriber& s : subscribers_) {
        for (const std::string& bytes : s.fresh ? everythingDatagrams : changedDatagrams) out.push_back({s.who, bytes});
        s.fresh = false;
    }
    last_ = board;
    sentAny_ = true;
    return out;
}

}  // namespace remote
