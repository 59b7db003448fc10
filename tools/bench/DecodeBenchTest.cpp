// The judge of the looped MP3's seam: the loop's own dips count, the sound
// server's gaps (both channels silent) do not.
#include <gtest/gtest.h>

#include <cmath>

#include "DecodeBench.h"

namespace {

TEST(SeamDips, CountsTheLoopsOwnDipsOnly) {
    struct Case {
        const char* what;
        int silentBoth, quietLeft;  // frames at each of the seams, 1 s apart
        int dips;
    };
    for (const Case& c : {Case{"seamless", 0, 0, 0}, Case{"the server's gaps", 2000, 0, 0},
                          Case{"50 ms of padding at each seam", 0, 2205, 3}, Case{"12 ms", 0, 530, 3}}) {
        SCOPED_TRACE(c.what);
        e2e::Pcm pcm;
        for (long f = 0; f < 4 * 44100; ++f) {
            const long since = f % 44100;
            const bool both = f > 44100 && since < c.silentBoth, left = f > 44100 && since < c.quietLeft;
            const auto sine = static_cast<std::int16_t>(16000 * std::sin(2 * M_PI * 441 * f / 44100));
            pcm.samples.push_back(both ? 0 : left ? sine / 100 : sine);
            pcm.samples.push_back(both ? 0 : sine);
        }
        double heard = 0, gaps = 0;
        EXPECT_EQ(c.dips, bench::SeamDips(pcm, heard, gaps));
        EXPECT_NEAR(3 * (c.silentBoth ? c.silentBoth / 44100.0 - 0.005 : 0), gaps, 0.005);  // windows mostly in a gap
        EXPECT_NEAR(4.0, heard, 0.02);
    }
}

}  // namespace
