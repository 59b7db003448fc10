// OSC as controllers send it and as the board answers: the reader against
// hand-made datagrams, the board's addresses, the feedback's rules, and the
// service on a board: datagrams in, actions done, what subscribers hear.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "BoardFixture.h"
#include "remote/Feedback.h"
#include "remote/Osc.h"
#include "remote/OscCommands.h"
#include "remote/RemoteControl.h"

namespace {

using remote::OscMessage;

// Hand-written OSC, independent of the writer: a string padded to four, and big-endian words.
std::string S(const std::string& s) { return s + std::string(4 - s.size() % 4, '\0'); }
std::string I(std::uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }
std::string F(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    return I(u);
}
std::string Bundle(const std::vector<std::string>& elements) {
    std::string b = S("#bundle") + I(0) + I(1);
    for (const auto& e : elements) b += I(static_cast<std::uint32_t>(e.size())) + e;
    return b;
}
std::vector<OscMessage> Read(const std::string& bytes) { return remote::ReadOsc(bytes.data(), bytes.size()); }

TEST(Osc, ReadsMessagesAndBundlesAsControllersSendThem) {
    const std::string play = S("/clangster/slot/3/play") + S(",");
    const std::string volume = S("/clangster/slot/1/volume") + S(",f") + F(0.25f);
    const std::string all = S("/a") + S(",ifsTNhd") + I(0xFFFFFFFE) + F(1.5f) + S("text") + I(0) + I(7) + I(0x3FF00000) + I(0);
    auto m = Read(play);
    ASSERT_EQ(1u, m.size());
    EXPECT_EQ("/clangster/slot/3/play", m[0].address);
    EXPECT_TRUE(m[0].arguments.empty());
    m = Read(all);
    ASSERT_EQ(1u, m.size());
    ASSERT_EQ(7u, m[0].arguments.size());
    EXPECT_EQ(-2, m[0].arguments[0].number);
    EXPECT_EQ(1.5, m[0].arguments[1].number);
    EXPECT_EQ("text", m[0].arguments[2].text);
    EXPECT_EQ(1, m[0].arguments[3].number);
    EXPECT_EQ(7, m[0].arguments[5].number);
    EXPECT_EQ(1.0, m[0].arguments[6].number);
    m = Read(Bundle({play, Bundle({volume})}));
    ASSERT_EQ(2u, m.size());
    EXPECT_EQ(0.25, m[1].arguments.at(0).number);
    EXPECT_EQ(1u, Read(S("/old")).size()) << "no type tags: no arguments";
}

TEST(Osc, AnythingMalformedIsNoMessageAtAll) {
    const std::string ok = S("/x") + S(",i") + I(1);
    std::string deep = ok;
    for (int i = 0; i < 10; ++i) deep = Bundle({deep});
    for (const std::string& bad : {
             std::string(), ok.substr(0, ok.size() - 4), ok + I(0), S("x") + S(","), S("/x") + S("i") + I(1),
             S("/x") + S(",q") + I(1), S("/x") + S(",s") + "abcd", S("/x") + S(",b") + I(100) + I(0),
             std::string("/x\0A", 4) + S(","), Bundle({ok}) + I(100), deep,
             S("/big") + S(",b") + I(5000) + std::string(5000, 'x'), Bundle({ok, S("/y") + S(",s")})})
        EXPECT_TRUE(Read(bad).empty()) << testing::PrintToString(bad);
}

TEST(Osc, WhatTheWriterWritesReadsBack) {
    const OscMessage m{"/clangster/slot/12/name", {{'s', 0, "DOOR BELL"}, {'f', 2.5, {}}, {'i', -7, {}}}};
    const auto back = Read(remote::WriteOsc(m));
    ASSERT_EQ(1u, back.size());
    EXPECT_EQ(m.address, back[0].address);
    ASSERT_EQ(3u, back[0].arguments.size());
    EXPECT_EQ("DOOR BELL", back[0].arguments[0].text);
    EXPECT_EQ(2.5, back[0].arguments[1].number);
    EXPECT_EQ(-7, back[0].arguments[2].number);
    EXPECT_EQ(S("/y") + S(","), remote::WriteOsc({"/y", {}}));
    EXPECT_EQ(2u, Read(remote::WriteOscBundle({remote::WriteOsc(m), remote::WriteOsc(m)})).size());
}

TEST(OscCommands, TheBoardsAddressesAndNothingElse) {
    using K = board::Action::Kind;
    struct Case {
        OscMessage m;
        K kind;
        int index;
        double value;
    };
    const Case good[] = {
        {{"/clangster/slot/1/play", {}}, K::Fire, 0, 0},
        {{"/clangster/slot/18/stop", {}}, K::Stop, 17, 0},
        {{"/clangster/slot/3/prelisten", {}}, K::Prelisten, 2, 0},
        {{"/clangster/slot/2/volume", {{'f', 0.5, {}}}}, K::SetVolume, 1, 0.5},
        {{"/clangster/slot/2/volume", {{'i', 3, {}}}}, K::SetVolume, 1, 3.0},  // the board holds it at full
        {{"/clangster/slot/9/position", {{'f', 61.5, {}}}}, K::Seek, 8, 61.5},
        {{"/clangster/stopall", {}}, K::StopAll, 0, 0},
        {{"/clangster/fadeall", {}}, K::FadeAll, 0, 0},
        {{"/clangster/favourite/12", {}}, K::OpenFavourite, 11, 0},
    };
    for (const Case& c : good) {
        const auto r = remote::RequestFor(c.m);
        ASSERT_TRUE(r && r->action) << c.m.address;
        EXPECT_EQ(c.kind, r->action->kind) << c.m.address;
        EXPECT_EQ(c.index, r->action->index) << c.m.address;
        EXPECT_EQ(c.value, r->action->value) << c.m.address;
    }
    const auto named = remote::RequestFor({"/clangster/name/play", {{'s', 0, "Door Bell"}}});
    ASSERT_TRUE(named && named->action);
    EXPECT_EQ("Door Bell", named->action->name);
    const auto subscribe = remote::RequestFor({"/clangster/subscribe", {{'i', 9001, {}}}});
    ASSERT_TRUE(subscribe && subscribe->subscribe);
    EXPECT_EQ(9001, subscribe->port);
    EXPECT_EQ(0, remote::RequestFor({"/clangster/subscribe", {}})->port);
    const auto unsubscribe = remote::RequestFor({"/clangster/unsubscribe", {{'i', 9001, {}}}});
    ASSERT_TRUE(unsubscribe && unsubscribe->unsubscribe && !unsubscribe->subscribe);
    EXPECT_EQ(9001, unsubscribe->port);

    const OscMessage bad[] = {
        {"/clangster/slot/0/play", {}},  {"/clangster/slot/19/play", {}}, {"/clangster/slot/01/play", {}},
        {"/clangster/slot/-1/play", {}}, {"/clangster/slot/1/play/x", {}}, {"/clangster/slot/1/volume", {}},
        {"/clangster/slot/1/volume", {{'s', 0, "1"}}}, {"/clangster/slot/1/position", {{'f', -1, {}}}},
        {"/clangster/slot/1/play", {{'i', 1, {}}}}, {"/clangster/name/play", {{'i', 1, {}}}},
        {"/clangster/favourite/13", {}}, {"/clangster/subscribe", {{'i', 70000, {}}}},
        {"/clangster/subscribe", {{'f', 9000, {}}}}, {"/Clangster/stopall", {}}, {"/clangster", {}},
        {"/other/slot/1/play", {}}, {"/clangster/open", {{'s', 0, "C:\\x.scheme"}}},
    };
    for (const OscMessage& m : bad) EXPECT_FALSE(remote::RequestFor(m)) << m.address;
}

TEST(Feedback, OnlyWhatChangedAtMostOnceATickAndEverythingForANewcomer) {
    remote::FeedbackSender sender;
    remote::BoardFeedback board;
    for (auto& s : board.slots) s.state = "empty";
    board.scheme = "Show";
    const remote::Endpoint a{0x7F000001, 9001}, b{0x7F000001, 9002};
    // Each subscriber's messages of one update, and how many datagrams carried them.
    struct Heard {
        std::vector<OscMessage> messages;
        std::size_t datagrams = 0;
    };
    auto update = [&](std::uint64_t now) {
        std::map<std::uint16_t, Heard> heard;
        for (const auto& d : sender.Update(board, now)) {
            EXPECT_LE(d.bytes.size(), remote::FeedbackSender::kDatagramBytes);
            const auto messages = Read(d.bytes);
            heard[d.to.port].messages.insert(heard[d.to.port].messages.end(), messages.begin(), messages.end());
            heard[d.to.port].datagrams++;
        }
        return heard;
    };
    EXPECT_TRUE(update(0).empty()) << "nobody listens";
    sender.Subscribe(a, 100);
    auto heard = update(100);
    EXPECT_EQ(4u * 18 + 1, heard[9001].messages.size()) << "every slot's four and the scheme";
    EXPECT_LT(heard[9001].datagrams, 19u) << "bundles travel together";
    EXPECT_TRUE(update(200).empty());

    board.slots[4] = {"BELL", "playing", 1.26, 8.74};
    board.slots[5].elapsed = 0.04;  // below a tenth: no change
    sender.Subscribe(b, 300);
    heard = update(300);
    const auto& messages = heard[9001].messages;
    ASSERT_EQ(4u, messages.size());
    EXPECT_EQ(1u, heard[9001].datagrams);
    EXPECT_EQ("/clangster/slot/5/name", messages[0].address);
    EXPECT_EQ("playing", messages[1].arguments.at(0).text);
    EXPECT_NEAR(8.7, messages[2].arguments.at(0).number, 1e-6);
    EXPECT_NEAR(1.2, messages[3].arguments.at(0).number, 1e-6);

    // Long names: datagrams stay small (each was checked), a slot's messages whole.
    for (auto& s : board.slots) s.name = std::string(300, 'x');
    EXPECT_EQ(18u, update(400)[9001].messages.size());

    sender.Subscribe(a, 59000);  // renewed; b runs out at 60300
    board.scheme = "Other";
    EXPECT_EQ(2u, update(59100).size());
    board.scheme = "Third";
    heard = update(60300);
    ASSERT_EQ(1u, heard.size());
    EXPECT_EQ(1u, heard.count(9001));
    EXPECT_TRUE(update(119000).empty());
    EXPECT_EQ(0u, sender.subscriberCount());
    // Ticks too close, or exactly a tenth apart: at most ten updates in any second with room for delays.
    sender.Subscribe(a, 200000);
    for (const std::uint64_t spacing : {50, 100}) {
        const std::uint64_t start = 200000 + 100 * spacing;  // each run well after the one before
        int updates = 0;
        for (std::uint64_t i = 0; i * spacing <= 1000; ++i) {
            board.slots[0].elapsed = static_cast<double>(i);
            updates += !update(start + spacing * i).empty();
        }
        EXPECT_EQ(10, updates) << spacing << " ms apart";
    }
}

// Nobody can lock a controller out, and whatever a controller missed is put right when it renews.
TEST(Feedback, SubscriptionsAreCappedPerAddressEvictTheStalestAndRenewalsHearEverything) {
    remote::FeedbackSender sender;
    remote::BoardFeedback board;
    auto heardBy = [&](std::uint64_t now) {
        std::map<remote::Endpoint, std::size_t, bool (*)(const remote::Endpoint&, const remote::Endpoint&)> heard(
            [](const remote::Endpoint& a, const remote::Endpoint& b) {
                return a.address != b.address ? a.address < b.address : a.port < b.port;
            });
        for (const auto& d : sender.Update(board, now)) heard[d.to] += Read(d.bytes).size();
        return heard;
    };
    constexpr std::uint32_t flooder = 0x0A000001, controller = 0x0A000002;
    for (std::uint16_t port = 1; port <= 100; ++port) sender.Subscribe({flooder, port}, port);
    EXPECT_EQ(remote::FeedbackSender::kMaxPerAddress, sender.subscriberCount()) << "one address holds at most four";
    for (std::uint32_t host = 1; host <= 20; ++host) sender.Subscribe({0x0B000000 + host, 9000}, 200 + host);
    EXPECT_EQ(remote::FeedbackSender::kMaxSubscribers, sender.subscriberCount());
    sender.Subscribe({controller, 9000}, 300);  // the table is full of others
    auto heard = heardBy(400);
    EXPECT_EQ(4u * 18 + 1, (heard[{controller, 9000}])) << "the newcomer took the stalest place";
    EXPECT_EQ(0u, (heard.count({flooder, 97}))) << "the stalest went";

    board.slots[0].name = "BELL";
    EXPECT_EQ(1u, (heardBy(500)[{controller, 9000}])) << "only what changed";
    sender.Subscribe({controller, 9000}, 600);  // a controller that restarted, or lost a datagram
    EXPECT_EQ(4u * 18 + 1, (heardBy(700)[{controller, 9000}]));
    sender.Unsubscribe({controller, 9000});
    board.slots[0].name = "HORN";
    EXPECT_EQ(0u, (heardBy(800).count({controller, 9000})));
}

// The service in the program: datagrams in through the front door, feedback out of its fade tick.
class RemoteControlTest : public ProgramFixture {
protected:
    void Send(const OscMessage& m, std::uint16_t fromPort = 50000, std::uint32_t from = remote::kThisComputer) {
        const std::string bytes = remote::WriteOsc(m);
        controller.Datagram(bytes.data(), bytes.size(), {from, fromPort}, now);
    }
    // The messages of a fade tick with no time passing, by port heard at and address.
    std::map<std::uint16_t, std::map<std::string, remote::OscArgument>> Heard() {
        TimerTick(board::kFadeTimerId);
        std::map<std::uint16_t, std::map<std::string, remote::OscArgument>> heard;
        for (const auto& d : sent) {
            EXPECT_EQ(0x7F000001u, d.to.address);
            for (const auto& m : remote::ReadOsc(d.bytes.data(), d.bytes.size()))
                heard[d.to.port][m.address] = m.arguments.at(0);
        }
        return heard;
    }
};

TEST_F(RemoteControlTest, DatagramsPlayTheBoardAndSubscribersHearWhatItShows) {
    Load(0, "Bell");
    Load(1, "Horn");
    board.KeepSchemeLine(2, "gone.wav|GONE|0|0|0|0|", "gone.wav", "GONE", 0);
    board.SetSchemeTitle("C:\\Shows\\Friday.scheme");
    EXPECT_TRUE(Heard().empty()) << "no subscriber";
    Send({"/clangster/slot/1/play", {}});
    Tick(12);
    Send({"/clangster/subscribe", {{'i', 9001, {}}}});
    Send({"/clangster/slot/2/play", {}});  // the on-play mode fades slot 1
    auto heard = Heard();
    auto& first = heard[9001];
    EXPECT_EQ(4u * 18 + 1, first.size()) << "a newcomer hears everything";
    EXPECT_EQ("Friday", first["/clangster/scheme"].text);
    EXPECT_EQ("Bell", first["/clangster/slot/1/name"].text);
    EXPECT_EQ("fading", first["/clangster/slot/1/state"].text);
    EXPECT_NEAR(1.2, first["/clangster/slot/1/elapsed"].number, 1e-6);
    EXPECT_NEAR(8.8, first["/clangster/slot/1/remaining"].number, 1e-6);  // 10.0055 s less 1.2
    EXPECT_EQ("playing", first["/clangster/slot/2/state"].text);
    EXPECT_EQ("GONE", first["/clangster/slot/3/name"].text);
    EXPECT_EQ("empty", first["/clangster/slot/3/state"].text);
    EXPECT_EQ("empty", first["/clangster/slot/4/state"].text);

    Tick(3);
    Send({"/clangster/subscribe", {}}, 50001);  // at the sender's own port
    Send({"/clangster/slot/2/play", {}});
    heard = Heard();
    EXPECT_EQ("paused", heard[9001]["/clangster/slot/2/state"].text);
    EXPECT_EQ(4u * 18 + 1, heard[50001].size());

    Send({"/clangster/stopall", {}});
    heard = Heard();
    EXPECT_EQ("idle", heard[9001]["/clangster/slot/1/state"].text);
    EXPECT_EQ(0.0, heard[9001]["/clangster/slot/1/elapsed"].number);
    EXPECT_NEAR(10.0, heard[9001]["/clangster/slot/1/remaining"].number, 1e-6);
    EXPECT_EQ("idle", heard[50001]["/clangster/slot/2/state"].text);

    Send({"/clangster/unsubscribe", {}}, 50001);
    Send({"/clangster/slot/1/play", {}});
    heard = Heard();
    EXPECT_EQ(1u, heard.count(9001));
    EXPECT_EQ(0u, heard.count(50001)) << "unsubscribed at once";
}

TEST(AllowList, AddressesAndBlocksAndNothingWiderThanWritten) {
    struct Case {
        const char* list;
        const char* bad;  // the entry refused, or null when the list reads
        std::uint32_t address;
        bool allowed;
    };
    const Case cases[] = {
        {"", nullptr, 0xC0A80114, true},  // empty: anyone
        {"192.168.1.20", nullptr, 0xC0A80114, true},
        {"192.168.1.20", nullptr, 0xC0A80115, false},
        {"192.168.1.20", nullptr, remote::kThisComputer, true},  // this computer, always
        {"192.168.1.20", nullptr, 0x7F000002, false},            // another loopback address is not
        {"10.0.0.1, 192.168.1.0/24", nullptr, 0xC0A801FE, true},
        {"10.0.0.1,,  192.168.1.0/24", nullptr, 0xC0A802FE, false},
        {"0.0.0.0/0", nullptr, 0x08080808, true},
        {"192.168.1.5/24", "192.168.1.5/24", 0, false},  // a block names its first address
        {"10.0.0.1 192.168.1", "192.168.1", 0, false},
        {"192.168.1.256", "192.168.1.256", 0, false},
        {"192.168.01.2", "192.168.01.2", 0, false},  // octal to some readers
        {"10.0.0.0/33", "10.0.0.0/33", 0, false},
        {"10.0.0.0/", "10.0.0.0/", 0, false},
        {"host.local", "host.local", 0, false},
        {"1.2.3.4.5", "1.2.3.4.5", 0, false},
        {"+1.2.3.4", "+1.2.3.4", 0, false},
    };
    for (const Case& c : cases) {
        remote::AllowList list;
        std::string bad;
        EXPECT_EQ(c.bad == nullptr, list.Parse(c.list, bad)) << c.list;
        if (c.bad) EXPECT_EQ(c.bad, bad) << c.list;
        else EXPECT_EQ(c.allowed, list.Allows(c.address)) << c.list << " " << std::hex << c.address;
    }
    remote::AllowList only;
    only.AllowOnlyThisComputer();
    EXPECT_TRUE(only.Allows(remote::kThisComputer));
    EXPECT_FALSE(only.Allows(0xC0A80114));
}

TEST_F(RemoteControlTest, OnlyAllowedSourcesAtMostThirtyTwoRequestsAndExactNames) {
    settings.Write({{"RemoteControl", "1"}, {"RemoteFromNetwork", "1"}, {"RemoteAllow", "10.0.0.0/8"}});
    Restart();
    Load(0, "Bell");
    Send({"/clangster/slot/1/play", {}}, 50000, 0xC0A80114);
    EXPECT_FALSE(board.IsSlotPlaying(0)) << "192.168.1.20 is not on the list";
    Send({"/clangster/slot/1/play", {}}, 50000, 0x0A010203);
    EXPECT_TRUE(board.IsSlotPlaying(0));

    // A datagram's requests past the 32nd are ignored: 33 plays of one slot leave it as 32 left it.
    std::vector<std::string> plays(33, remote::WriteOsc({"/clangster/slot/1/play", {}}));
    const std::string bundle = remote::WriteOscBundle(plays);
    controller.Datagram(bundle.data(), bundle.size(), {remote::kThisComputer, 50000}, now);
    EXPECT_TRUE(board.IsSlotPlaying(0));

    // A name the board's code page cannot hold matches nothing, not a look-alike.
    remote::RemoteControl remote(
        [](const std::string& text) -> std::optional<std::string> {
            if (text.find('\xC5') != std::string::npos) return std::nullopt;
            return text;
        },
        nullptr);
    const std::string named = remote::WriteOsc({"/clangster/name/play", {{'s', 0, "\xC5\x81" "ADA"}}});
    EXPECT_TRUE(remote.Receive(named.data(), named.size(), {remote::kThisComputer, 1}, 0).empty());
}

}  // namespace
