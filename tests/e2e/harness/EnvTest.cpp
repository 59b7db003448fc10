// The test environment itself: sound played on the host and sound played by
// a Windows program through DirectSound both reach the capture, measurably.
// Runs inside scripts/with-test-env.sh.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <string>

#include "Harness.h"

namespace e2e {
namespace {

class EnvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InTestEnvironment()) << "run through scripts/with-test-env.sh";
    char pattern[] = "/tmp/clangster-env-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { RunCommand({"rm", "-rf", dir_}); }

  std::string dir_;
};

TEST_F(EnvTest, HostPlaybackIsCapturedWithItsLevelLengthAndPitch) {
  const std::string wav = dir_ + "/tone.wav";
  // 1 kHz at half scale for 1 s: -9 dBFS.
  ASSERT_EQ(RunCommand({"sox", "-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", "1.0", "sine",
                 "1000", "vol", "0.5"})
                .exitCode,
            0);
  SinkCapture capture;
  std::string error;
  ASSERT_TRUE(capture.start(&error)) << error;
  const double playedAt = capture.capturedSeconds();
  RunResult played = RunCommand({"paplay", "--device=clangster_sink", wav}, 60);
  const auto heard = capture.waitForSound(-30, playedAt);
  if (heard) capture.waitForSilence(-30, *heard + 0.9, 0.2);
  const Pcm pcm = capture.stop();
  ASSERT_EQ(played.exitCode, 0) << played.output;

  const auto start = FirstTimeAbove(pcm, -30);
  const auto end = LastTimeAbove(pcm, -30);
  ASSERT_TRUE(start && end) << "nothing captured; level " << LevelDb(pcm, 0, pcm.seconds());
  EXPECT_NEAR(SecondsAbove(pcm, -30), 1.0, 0.05);
  EXPECT_GE(*start, playedAt - 0.05);
  EXPECT_NEAR(TypicalLevelDb(pcm, *start, *end), -9.03, 0.3);
  EXPECT_NEAR(DominantFrequency(pcm, *start, *end), 1000, 5);
}

// Facts about Wine's DirectSound the board relies on: the sound reaches the
// sink at the buffer's volume, and once a buffer that does not loop has
// played to its end it reports "not playing" with the play cursor at 0.
TEST_F(EnvTest, DirectSoundUnderWineReachesTheSinkAndRewindsAtTheEnd) {
  struct Case {
    const char* hz;
    const char* volume;
    double expectedHz;
    double expectedDb;
  };
  // 1 kHz at half scale: -9 dBFS; 500 Hz 10 dB lower through the buffer's volume.
  for (const Case& c : {Case{"1000", "0", 1000, -9.03}, Case{"500", "-1000", 500, -19.03}}) {
    SCOPED_TRACE(c.hz);
    SinkCapture capture;
    std::string error;
    ASSERT_TRUE(capture.start(&error)) << error;
    const double playedAt = capture.capturedSeconds();
    RunResult r = RunWindows(CLANGSTER_DSOUND_PROBE, {c.hz, "1.0", c.volume}, 60);
    const auto heard = capture.waitForSound(-40, playedAt);
    if (heard) capture.waitForSilence(-40, *heard + 0.9, 0.2);
    const Pcm pcm = capture.stop();

    ASSERT_EQ(r.exitCode, 0) << r.output;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.output, m, std::regex(R"(END status=(\d+) play=(\d+))")))
        << r.output;
    EXPECT_EQ(m[1], "0") << "still playing after the end";
    EXPECT_EQ(m[2], "0") << "play cursor not back at the start";
    ASSERT_TRUE(std::regex_search(r.output, m, std::regex(R"(STOPPED ms=(\d+))")));
    // A busy machine can only make the mixer late, never early.
    EXPECT_GE(std::stoi(m[1]), 750) << "status says stopped before the sound could have played";

    // On a busy machine Wine's mixer can fall behind and the sound server
    // fills in silence, so the sound is measured without its gaps.
    const auto start = FirstTimeAbove(pcm, -40);
    const auto end = LastTimeAbove(pcm, -40);
    ASSERT_TRUE(start && end) << "nothing captured";
    EXPECT_NEAR(SecondsAbove(pcm, -40), 1.0, 0.1);
    EXPECT_NEAR(TypicalLevelDb(pcm, *start, *end), c.expectedDb, 0.5);
    EXPECT_NEAR(DominantFrequency(pcm, *start, *end), c.expectedHz, c.expectedHz / 100);
  }
}

TEST_F(EnvTest, StoredSettingsCanBeReset) {
  const std::string key = "HKCU\\Software\\Marrowick\\Clangster";
  ASSERT_EQ(RunWindows("reg", {"add", key, "/v", "onplay", "/d", "1", "/f"}).exitCode, 0);
  ASSERT_EQ(RunWindows("reg", {"query", key, "/v", "onplay"}).exitCode, 0);
  EXPECT_TRUE(ResetSettings());
  EXPECT_NE(RunWindows("reg", {"query", key, "/v", "onplay"}).exitCode, 0);
}

TEST_F(EnvTest, WindowsExitCodesComeBack) {
  EXPECT_EQ(RunWindows("cmd", {"/c", "exit", "7"}).exitCode, 7);
  EXPECT_EQ(RunWindows("cmd", {"/c", "exit", "0"}).exitCode, 0);
}

}  // namespace
}  // namespace e2e
