// The judge of the streamed sine: the sound server's gaps are no breaks of
// the stream, its own silence and jumps are.
#include <gtest/gtest.h>

#include <cmath>

#include "StreamBench.h"

namespace {

TEST(PhaseBreaks, CountsTheStreamsOwnDropoutsAndJumpsOnly) {
    struct Case {
        const char* what;
        int silentBoth, silentLeft, skipLeft;  // frames at 3 s
        int breaks;
    };
    for (const Case& c : {Case{"clean", 0, 0, 0, 0}, Case{"the server's gap", 4000, 0, 0, 0},
                          Case{"the stream's silence", 0, 4000, 0, 1}, Case{"a jump in the stream", 0, 0, 30, 1}}) {
        SCOPED_TRACE(c.what);
        e2e::Pcm pcm;
        auto sine = [](long at) { return static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * bench::kSineHz * at / 44100)); };
        for (long f = 0, left = 0, right = 0; f < 6 * 44100; ++f) {
            const long since = f - 3 * 44100;
            const bool both = since >= 0 && since < c.silentBoth, leftOnly = since >= 0 && since < c.silentLeft;
            if (since == 0) left += c.skipLeft;
            pcm.samples.push_back(both || leftOnly ? 0 : sine(left));
            pcm.samples.push_back(both ? 0 : sine(right));
            if (!both && !leftOnly) ++left;
            if (!both) ++right;
        }
        double heard = 0, gaps = 0;
        EXPECT_EQ(c.breaks, bench::PhaseBreaks(pcm, heard, gaps));
        EXPECT_NEAR(gaps, c.silentBoth / 44100.0, 0.001);
        EXPECT_GT(heard, 4.0);
    }
}

TEST(TonesLost, CountsEachStreamsOwnSilenceApartFromTheServersGaps) {
  struct Case {
    const char* what;
    int silentBoth, silentTone;  // frames at 1 s: all silent, or the 700 Hz tone alone
    double lost700;
  };
  for (const Case& c : {Case{"clean", 0, 0, 0}, Case{"the server's gap", 4410, 0, 0},
                        Case{"one stream's silence", 0, 8820, 0.2}}) {
    SCOPED_TRACE(c.what);
    e2e::Pcm pcm;
    for (long f = 0; f < 3 * 44100; ++f) {
      const long since = f - 44100;
      const bool both = since >= 0 && since < c.silentBoth, tone = since >= 0 && since < c.silentTone;
      const double t = static_cast<double>(f) / 44100;
      const double left = 3000 * std::sin(2 * M_PI * 500 * t) + (tone ? 0 : 3000 * std::sin(2 * M_PI * 700 * t));
      pcm.samples.push_back(both ? 0 : static_cast<std::int16_t>(left));
      pcm.samples.push_back(both ? 0 : static_cast<std::int16_t>(3000 * std::sin(2 * M_PI * 300 * t)));
    }
    const std::vector<double> lost = bench::TonesLost(pcm, {500, 700}, 0.5, 2.5);
    ASSERT_EQ(lost.size(), 2u);
    EXPECT_NEAR(lost[0], 0, 0.001);
    EXPECT_NEAR(lost[1], c.lost700, 0.011);
  }
}

}  // namespace
