#include "BenchStats.h"

#include <gtest/gtest.h>

namespace bench {
namespace {

TEST(BenchStats, MedianAndPercentile) {
  EXPECT_FALSE(Median({}));
  EXPECT_EQ(*Median({3, 1, 2}), 2);
  EXPECT_EQ(*Median({4, 1, 3, 2}), 2.5);
  std::vector<double> hundred;
  for (int i = 1; i <= 100; ++i) hundred.push_back(101 - i);
  EXPECT_EQ(*Percentile(hundred, 99), 99);
  EXPECT_EQ(*Percentile(hundred, 100), 100);
  EXPECT_EQ(*Percentile(hundred, 0), 1);
  EXPECT_EQ(*Percentile({5}, 99), 5);
}

// Every trigger is matched with the first play after it and before the next
// trigger; a trigger that paused instead has no latency.
TEST(BenchStats, TraceMatchesTriggersWithPlays) {
  const Trace t = ParseTrace(
      "freq 1000\nstart 100\nready 350\ncopydata 400\nplay 401\ncopydata 500\n"
      "copydata 600\nplay 603\nplay 650\nkey 700\nplay 702\nkey 800\nhotkey 801\nplay 803\n");
  EXPECT_EQ(*t.First("ready"), 0.25);
  EXPECT_FALSE(t.First("shown"));
  const std::vector<double> copy = t.TriggerToPlay("copydata");
  ASSERT_EQ(copy.size(), 2u);
  EXPECT_DOUBLE_EQ(copy[0], 0.001);
  EXPECT_DOUBLE_EQ(copy[1], 0.003);
  ASSERT_EQ(t.TriggerToPlay("key").size(), 1u) << "Ctrl before a hotkey plays nothing";
  EXPECT_EQ(t.TriggerToPlay("hotkey"), (std::vector<double>{0.002}));
  EXPECT_EQ(t.Plays(), (std::vector<long long>{401, 603, 650, 702, 803}));
  EXPECT_EQ(SentToPlay(ParseSent("sent 398\nsent 499\nnoise\nsent 598\n"), t.Plays(), 1000),
            (std::vector<double>{0.003, 0.005}));
}

TEST(BenchStats, ProcCounters) {
  struct Case {
    const char* line;
    std::optional<uint64_t> ticks;
  };
  const Case cases[] = {
      {"1234 (Clangster.exe) S 1 1234 1234 0 -1 4194304 100 0 0 0 250 40 0 0 20 0 5", 290},
      {"77 (a (b) c) R 1 2 3 4 5 6 7 8 9 10 11 12 0 0", 23},
      {"77 (truncated) R 1 2", std::nullopt},
      {"no parenthesis", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(CpuTicksFromStat(c.line), c.ticks) << c.line;
  EXPECT_EQ(RunNanosFromSchedstat("123456789 5000 42\n"), 123456789u);
  EXPECT_FALSE(RunNanosFromSchedstat(""));
}

TEST(BenchStats, LinearGrowth) {
  const std::vector<int> counts = {1, 6, 12, 18};
  EXPECT_EQ(Slopes(counts, {2, 7, 13, 19}), (std::vector<double>{1, 1, 1}));
  EXPECT_TRUE(AtMostLinear({1.0, 1.05, 0.9}, 0.1));
  EXPECT_TRUE(AtMostLinear({1.0, 0.5, 1.0}, 0.1));   // flatter then back: still linear at worst
  EXPECT_FALSE(AtMostLinear({1.0, 1.0, 1.5}, 0.1));  // each sound costs more than the last
}

TEST(BenchStats, OnsetFrame) {
  const std::vector<int16_t> stereo = {0, 0, 10, -10, 0, 0, 0, -3000, 4000, 0};
  EXPECT_EQ(OnsetFrame(stereo, 2, 0, 2000), 3u);
  EXPECT_EQ(OnsetFrame(stereo, 2, 4, 2000), 4u);
  EXPECT_FALSE(OnsetFrame(stereo, 2, 0, 5000));
  EXPECT_FALSE(OnsetFrame(stereo, 2, 9, 2000));
}

}  // namespace
}  // namespace bench
