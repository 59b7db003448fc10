// Starting, waiting for and killing host processes.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "Harness.h"

namespace e2e {
namespace {

TEST(ProcessTest, RunReturnsExitCodeAndOutput) {
  RunResult r = RunCommand({"sh", "-c", "echo out; echo err >&2; exit 3"});
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.output, "out\nerr\n");
}

TEST(ProcessTest, RunKillsWhatOutlastsItsTimeout) {
  const auto start = std::chrono::steady_clock::now();
  RunResult r = RunCommand({"sleep", "30"}, 0.3);
  EXPECT_TRUE(r.timedOut);
  EXPECT_EQ(r.exitCode, -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(ProcessTest, MissingProgramFailsWith127) {
  EXPECT_EQ(RunCommand({"clangster-no-such-program"}).exitCode, 127);
}

TEST(ProcessTest, KillEndsTheProcessAndWhatItStarted) {
  // The shell prints the pid of a background child, then waits.
  auto p = Process::Start({"sh", "-c", "sleep 60 & echo $!; wait"});
  ASSERT_NE(p, nullptr);
  std::string out;
  for (int i = 0; i < 200 && out.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    out = p->output();
  }
  const pid_t child = std::stoi(out);
  EXPECT_TRUE(p->running());
  EXPECT_FALSE(p->wait(0.1).has_value());
  p->kill();
  EXPECT_FALSE(p->running());
  EXPECT_EQ(p->wait(0).value_or(-1), 128 + SIGKILL);
  // The orphaned child is dead too: gone, or a zombie its new parent has
  // not reaped yet.
  auto dead = [child] {
    std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
    std::string pid, name, state;
    return !(stat >> pid >> name >> state) || state == "Z";
  };
  bool gone = false;
  for (int i = 0; i < 100 && !gone; ++i) {
    gone = dead();
    if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(gone);
}

TEST(PathsTest, WindowsPathsOfLinuxPaths) {
  EXPECT_EQ(ToWindowsPath("/work/main/build/host/demo/demo.scheme"),
            "Z:\\work\\main\\build\\host\\demo\\demo.scheme");
  EXPECT_EQ(ClangsterExe(), WinBuildDir() + "/app/Clangster.exe");
  EXPECT_EQ(TriggerExe(), WinBuildDir() + "/tools/trigger/clangster-trigger.exe");
}

}  // namespace
}  // namespace e2e
