// The measurements on synthetic signals with known answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "Audio.h"

namespace e2e {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Stereo: `seconds` of silence-or-tone segments appended to `pcm`.
void AddTone(Pcm& pcm, double seconds, double freq, double amplitude, bool left = true,
             bool right = true) {
  const size_t frames = static_cast<size_t>(seconds * pcm.rate);
  const size_t offset = pcm.frames();
  for (size_t i = 0; i < frames; ++i) {
    const double v = amplitude * 32767 * std::sin(2 * kPi * freq * (offset + i) / pcm.rate);
    const auto s = static_cast<int16_t>(std::lround(v));
    pcm.samples.push_back(left ? s : 0);
    pcm.samples.push_back(right ? s : 0);
  }
}

void AddSilence(Pcm& pcm, double seconds) { AddTone(pcm, seconds, 0, 0); }

TEST(AudioTest, GapsOfDigitalZeroAreTakenOutAndQuietSoundIsNot) {
  Pcm pcm;
  AddTone(pcm, 0.5, 440, 0.5);
  AddSilence(pcm, 0.3);
  AddTone(pcm, 0.25, 440, 0.002);  // -57 dBFS: small, but no gap
  AddSilence(pcm, 0.001);          // shorter than a gap
  AddTone(pcm, 0.25, 440, 0.5);
  const Pcm gapless = WithoutGaps(pcm);
  EXPECT_NEAR(gapless.seconds(), 1.001, 0.003);
  EXPECT_NEAR(SecondsAbove(gapless, -30), 0.75, 0.02);
  EXPECT_NEAR(SecondsAbove(gapless, -70), 1.0, 0.02);
}

TEST(AudioTest, LevelsOfKnownSignals) {
  Pcm sine;
  AddTone(sine, 1.0, 1000, 0.5);
  EXPECT_NEAR(LevelDb(sine, 0, 1), -9.03, 0.05);  // 0.5 amplitude: -6 dB peak, -3 dB for RMS

  Pcm square;
  for (int i = 0; i < 4410; ++i) {
    const int16_t v = (i / 22) % 2 ? 32767 : -32767;
    square.samples.push_back(v);
    square.samples.push_back(v);
  }
  EXPECT_NEAR(LevelDb(square, 0, 0.1), 0.0, 0.01);

  Pcm silence;
  AddSilence(silence, 0.5);
  EXPECT_EQ(LevelDb(silence, 0, 0.5), kSilenceDb);
  EXPECT_EQ(LevelDb(silence, 0.2, 0.2), kSilenceDb);  // empty stretch
}

TEST(AudioTest, ChannelsAreMeasuredApartOrTogether) {
  Pcm pcm;
  AddTone(pcm, 0.5, 500, 0.5, /*left=*/false, /*right=*/true);
  EXPECT_EQ(LevelDb(pcm, 0, 0.5, 0), kSilenceDb);
  EXPECT_NEAR(LevelDb(pcm, 0, 0.5, 1), -9.03, 0.05);
  EXPECT_NEAR(LevelDb(pcm, 0, 0.5), -12.04, 0.05);  // half the power over both
}

TEST(AudioTest, WindowsCoverWholeWindowsOnly) {
  Pcm pcm;
  AddTone(pcm, 1.0, 1000, 0.5);
  AddSilence(pcm, 0.015);
  const std::vector<double> levels = WindowLevelsDb(pcm, 10);
  ASSERT_EQ(levels.size(), 101u);  // 1.015 s: the last 5 ms are left out
  EXPECT_NEAR(levels[50], -9.03, 0.1);
  EXPECT_EQ(levels[100], kSilenceDb);
}

TEST(AudioTest, FindsWhereSoundStartsAndEnds) {
  Pcm pcm;
  AddSilence(pcm, 0.30);
  AddTone(pcm, 0.50, 1000, 0.25);
  AddSilence(pcm, 0.20);
  ASSERT_TRUE(FirstTimeAbove(pcm, -40).has_value());
  EXPECT_NEAR(*FirstTimeAbove(pcm, -40), 0.30, 0.011);
  EXPECT_NEAR(*LastTimeAbove(pcm, -40), 0.80, 0.011);
  EXPECT_NEAR(*FirstTimeAbove(pcm, -40, 50), 0.30, 0.051);
  EXPECT_FALSE(FirstTimeAbove(pcm, -3).has_value());  // never that loud
  EXPECT_FALSE(LastTimeAbove(pcm, -3).has_value());
}

TEST(AudioTest, GapsInASoundDoNotCountAsSound) {
  Pcm pcm;
  AddSilence(pcm, 0.2);
  AddTone(pcm, 0.4, 1000, 0.5);
  AddSilence(pcm, 0.1);  // a player underrun
  AddTone(pcm, 0.6, 1000, 0.5);
  AddSilence(pcm, 0.2);
  EXPECT_NEAR(SecondsAbove(pcm, -40), 1.0, 0.011);
  EXPECT_NEAR(*LastTimeAbove(pcm, -40) - *FirstTimeAbove(pcm, -40), 1.1, 0.011);
  EXPECT_NEAR(TypicalLevelDb(pcm, 0.2, 1.3), -9.03, 0.1);
  EXPECT_LT(LevelDb(pcm, 0.2, 1.3), -9.3);  // the plain average is pulled down
  EXPECT_EQ(TypicalLevelDb(pcm, 0, 0.2), kSilenceDb);
  EXPECT_EQ(SecondsAbove(pcm, 0), 0.0);
}

TEST(AudioTest, DominantFrequencyOfTones) {
  for (double freq : {100.0, 440.0, 1000.0, 3150.0, 8000.0}) {
    Pcm pcm;
    AddTone(pcm, 0.5, freq, 0.3);
    EXPECT_NEAR(DominantFrequency(pcm, 0, 0.5), freq, freq * 0.005) << freq;
  }
  Pcm silence;
  AddSilence(silence, 0.2);
  EXPECT_EQ(DominantFrequency(silence, 0, 0.2), 0.0);
}

TEST(AudioTest, DominantFrequencyIgnoresLowNoiseAndOtherStretches) {
  Pcm pcm;
  AddTone(pcm, 0.5, 300, 0.5);
  AddTone(pcm, 0.5, 2000, 0.5);
  uint32_t seed = 1;
  for (int16_t& s : pcm.samples) {
    seed = seed * 1664525u + 1013904223u;
    s = static_cast<int16_t>(s + static_cast<int>(seed >> 24) - 128);  // about -50 dBFS of noise
  }
  EXPECT_NEAR(DominantFrequency(pcm, 0.05, 0.45), 300, 3);
  EXPECT_NEAR(DominantFrequency(pcm, 0.55, 0.95, 1), 2000, 10);
  EXPECT_EQ(DominantFrequency(pcm, 0, 1, 2), 0.0);  // no such channel
}

TEST(AudioTest, DominantFrequencySurvivesADropout) {
  Pcm pcm;
  AddTone(pcm, 0.3, 1000, 0.5);
  AddSilence(pcm, 0.015);  // a player underrun
  AddTone(pcm, 0.3, 1000, 0.5);
  EXPECT_NEAR(DominantFrequency(pcm, 0, pcm.seconds()), 1000, 2);
}

TEST(AudioTest, ToneLevelsFollowEachOfSeveralTonesApart) {
  // 500 Hz throughout, 700 Hz with 0.1 s missing in the middle, 900 Hz never.
  Pcm pcm;
  AddTone(pcm, 0.3, 500, 0.25);
  AddTone(pcm, 0.1, 500, 0.25);
  AddTone(pcm, 0.3, 500, 0.25);
  Pcm other;
  AddTone(other, 0.3, 700, 0.25);
  AddSilence(other, 0.1);
  AddTone(other, 0.3, 700, 0.25);
  for (size_t i = 0; i < pcm.samples.size(); ++i) pcm.samples[i] += other.samples[i];
  for (const auto& [hz, low] : {std::pair{500.0, 0}, {700.0, 10}, {900.0, 70}}) {
    const std::vector<double> levels = ToneLevelsDb(pcm, hz, 10, 0);
    ASSERT_EQ(levels.size(), 70u);
    EXPECT_EQ(std::count_if(levels.begin(), levels.end(), [](double l) { return l < -21; }), low) << hz;
    if (!low) EXPECT_NEAR(levels[35], -15.05, 0.1);  // as LevelDb gives a 0.25 sine alone
  }
}

TEST(AudioTest, SliceKeepsTheFramesBetween) {
  Pcm pcm;
  AddSilence(pcm, 0.1);
  AddTone(pcm, 0.1, 1000, 0.5);
  const Pcm tone = pcm.slice(0.1, 0.2);
  EXPECT_EQ(tone.frames(), 4410u);
  EXPECT_NEAR(LevelDb(tone, 0, tone.seconds()), -9.03, 0.1);
  EXPECT_EQ(pcm.slice(0.5, 0.9).frames(), 0u);
  EXPECT_EQ(pcm.slice(0.15, 0.05).frames(), 0u);
}

}  // namespace
}  // namespace e2e
