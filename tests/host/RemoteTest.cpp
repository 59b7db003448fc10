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
        {{"/clangster/slot/2/volume", {{'f', 0.5, {}}}}, K::SetVolume, 1, 0.5},
        {{"/clangster/slot/2/volume", {{'i', 3, {}}}}, K::SetVolume, 1, 1.0},
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
    for (std::uint16_t port = 1; port < 100; ++port) sender.Subscribe({1, port}, 0);
    EXPECT_EQ(remote::FeedbackSender::kMaxSubscribers, sender.subscriberCount());
}

class RemoteControlTest : public BoardFixture {
protected:
    void Send(const OscMessage& m, std::uint16_t fromPort = 50000) {
        const std::string bytes = remote::WriteOsc(m);
        remote.Receive(bytes.data(), bytes.size(), {0x7F000001, fromPort}, now);
    }
    // One tick's messages, by port heard at and address.
    std::map<std::uint16_t, std::map<std::string, remote::OscArgument>> Heard() {
        now += 100;
        std::map<std::uint16_t, std::map<std::string, remote::OscArgument>> heard;
        for (const auto& d : remote.Tick(board, now)) {
            EXPECT_EQ(0x7F000001u, d.to.address);
            for (const auto& m : remote::ReadOsc(d.bytes.data(), d.bytes.size()))
                heard[d.to.port][m.address] = m.arguments.at(0);
        }
        return heard;
    }
    std::uint64_t now = 0;
    remote::RemoteControl remote{[this](const board::Action& a) { board.Perform(a); }};
};

TEST_F(RemoteControlTest, DatagramsPlayTheBoardAndSubscribersHearWhatItShows) {
    Load(0, "Bell");
    Load(1, "Horn");
    board.KeepSchemeLine(2, "gone.wav|GONE|0|0|0|0|", "gone.wav", "GONE", 0);
    board.SetSchemeTitle("C:\\Shows\\Friday.scheme");
    EXPECT_TRUE(Heard().empty()) << "no subscriber";
    Send({"/clangster/subscribe", {{'i', 9001, {}}}});
    Send({"/clangster/slot/1/play", {}});
    Tick(12);
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

    Send({"/clangster/subscribe", {}}, 50001);  // at the sender's own port
    Tick(3);
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
}

}  // namespace
