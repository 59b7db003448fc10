#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <unistd.h>

#include "Demo.h"
#include "Wav.h"

namespace demo {
namespace {

uint32_t Read32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint32_t Read16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }
std::string Tag(const std::vector<uint8_t>& b, size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }

TEST(WavTest, HeaderIsTheCanonical44Bytes) {
  const std::vector<int16_t> stereo = {1, -1, 32767, -32768, 0, 256};
  const std::vector<uint8_t> b = EncodeWav16(stereo, 2, 44100);
  ASSERT_EQ(b.size(), 44u + 12u);
  EXPECT_EQ(Tag(b, 0), "RIFF");
  EXPECT_EQ(Read32(b, 4), 36u + 12u);
  EXPECT_EQ(Tag(b, 8), "WAVE");
  EXPECT_EQ(Tag(b, 12), "fmt ");
  EXPECT_EQ(Read32(b, 16), 16u);
  EXPECT_EQ(Read16(b, 20), 1u);        // PCM
  EXPECT_EQ(Read16(b, 22), 2u);        // channels
  EXPECT_EQ(Read32(b, 24), 44100u);    // frames a second
  EXPECT_EQ(Read32(b, 28), 176400u);   // bytes a second
  EXPECT_EQ(Read16(b, 32), 4u);        // bytes a frame
  EXPECT_EQ(Read16(b, 34), 16u);
  EXPECT_EQ(Tag(b, 36), "data");
  EXPECT_EQ(Read32(b, 40), 12u);
  EXPECT_EQ(Read16(b, 44), 1u);
  EXPECT_EQ(Read16(b, 46), 0xFFFFu);
  EXPECT_EQ(Read16(b, 48), 0x7FFFu);
  EXPECT_EQ(Read16(b, 50), 0x8000u);
  EXPECT_EQ(Read16(b, 54), 0x0100u);

  const std::vector<uint8_t> mono = EncodeWav16({5, 6, 7}, 1, 22050);
  EXPECT_EQ(Read32(mono, 28), 44100u);
  EXPECT_EQ(Read16(mono, 32), 2u);
}

// sox reads the files the way other programs will.
TEST(WavTest, SoxReadsFormatAndLength) {
  char dir[] = "/tmp/clangster-demo-test-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/t.wav";
  const std::vector<int16_t> samples(2 * 22050, 1000);  // 0.5 s of stereo
  const std::vector<uint8_t> b = EncodeWav16(samples, 2, 44100);
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(b.data(), 1, b.size(), f);
  std::fclose(f);

  std::string out;
  FILE* p = popen(("sox --i -r " + path + " && sox --i -c " + path + " && sox --i -b " + path +
                   " && sox --i -s " + path + " 2>&1").c_str(), "r");
  ASSERT_NE(p, nullptr);
  char buf[256];
  while (fgets(buf, sizeof buf, p)) out += buf;
  pclose(p);
  std::system(("rm -rf " + std::string(dir)).c_str());
  EXPECT_EQ(out, "44100\n2\n16\n22050\n");
}

class DemoSoundsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sounds_ = new std::vector<DemoSound>(MakeDemoSounds()); }
  static void TearDownTestSuite() { delete sounds_; }
  static std::vector<DemoSound>* sounds_;
};
std::vector<DemoSound>* DemoSoundsTest::sounds_ = nullptr;

TEST_F(DemoSoundsTest, EighteenDistinctSlotsWithUsableNames) {
  ASSERT_EQ(sounds_->size(), 18u);
  std::set<std::string> names, files;
  int loops = 0, mono = 0, stereo = 0;
  for (const DemoSound& s : *sounds_) {
    EXPECT_FALSE(s.name.empty());
    EXPECT_LE(s.name.size(), 19u) << s.name;
    EXPECT_TRUE(std::none_of(s.name.begin(), s.name.end(), [](char c) { return std::islower(static_cast<unsigned char>(c)) || c == '|'; }))
        << s.name;
    names.insert(s.name);
    files.insert(s.file);
    EXPECT_EQ(s.file.substr(s.file.size() - 4), ".wav");
    loops += s.loop;
    (s.channels == 1 ? mono : stereo)++;
  }
  EXPECT_EQ(names.size(), 18u);
  EXPECT_EQ(files.size(), 18u);
  EXPECT_EQ(loops, 1);
  EXPECT_GT(mono, 0);
  EXPECT_GT(stereo, 0);
}

TEST_F(DemoSoundsTest, SoundsAreOneToFourSecondsAndLoudWithoutClipping) {
  for (const DemoSound& s : *sounds_) {
    EXPECT_GE(s.seconds(), 1.0) << s.name;
    EXPECT_LE(s.seconds(), 4.0) << s.name;
    ASSERT_EQ(s.samples.size() % s.channels, 0u) << s.name;
    int peak = 0;
    for (int16_t v : s.samples) peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_GT(peak, 20000) << s.name;  // normalised to about -3 dBFS
    EXPECT_LT(peak, 24000) << s.name;
  }
}

TEST_F(DemoSoundsTest, ToneSoundsAtItsNamedPitch) {
  const DemoSound& tone = sounds_->front();
  ASSERT_EQ(tone.name, "A440 TONE");
  ASSERT_EQ(tone.channels, 1);
  int crossings = 0;
  for (size_t i = 1; i < tone.samples.size(); ++i)
    crossings += (tone.samples[i - 1] < 0) != (tone.samples[i] < 0);
  EXPECT_NEAR(crossings / 2.0 / tone.seconds(), 440.0, 2.0);
}

TEST_F(DemoSoundsTest, SchemeHasTwentyCrLfLinesInSlotOrder) {
  const std::string text = SchemeText(*sounds_, "Z:\\demo dir");
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "unterminated last line";
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  ASSERT_EQ(lines.size(), 20u);
  for (size_t i = 0; i < 18; ++i) {
    const DemoSound& s = (*sounds_)[i];
    EXPECT_EQ(lines[i], "Z:\\demo dir\\" + s.file + "|" + s.name + "|0.000000|0|0|" +
                            (s.loop ? "1" : "0") + "|");
    EXPECT_EQ(lines[i].find('\n'), std::string::npos);
  }
  EXPECT_EQ(lines[18], "Colours=0,255,50,0,58,15");
  EXPECT_EQ(lines[19], "Compact=0");
}

TEST(WindowsPathTest, LinuxPathsMapToDriveZ) {
  EXPECT_EQ(WindowsPath("/work/main/build/host/demo"), "Z:\\work\\main\\build\\host\\demo");
  EXPECT_EQ(WindowsPath("/"), "Z:\\");
}

}  // namespace
}  // namespace demo
