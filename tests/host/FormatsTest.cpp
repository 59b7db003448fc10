// The WAV header, the trigger keys and the text-file reader and writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/WavFormat.h"
#include "board/Keys.h"
#include "framework/TextFile.h"
#include "TestFiles.h"

namespace {

audio::WavHeader Parse(const std::vector<std::uint8_t>& bytes) {
    std::uint8_t raw[audio::kWavHeaderSize];
    std::copy(bytes.begin(), bytes.begin() + audio::kWavHeaderSize, raw);
    return audio::ParseWavHeader(raw);
}

TEST(WavHeader, ReadsFieldsAtFixedOffsetsAndRecomputesTheByteRate) {
    testfiles::WavFields wav;
    wav.channels = 1;
    wav.samplesPerSec = 22050;
    wav.headerAvgBytesPerSec = 12345;  // wrong on purpose: never used
    wav.blockAlign = 2;
    wav.bitsPerSample = 16;
    wav.dataBytes = 0x01020304;
    const auto h = Parse(testfiles::WavHeaderBytes(wav));
    EXPECT_EQ(1, h.format.channels);
    EXPECT_EQ(22050u, h.format.samplesPerSec);
    EXPECT_EQ(2, h.format.blockAlign);
    EXPECT_EQ(16, h.format.bitsPerSample);
    EXPECT_EQ(44100u, h.format.avgBytesPerSec);
    EXPECT_EQ(0x01020304u, h.dataBytes);
}

TEST(WavHeader, TagsAndChunkSizesAreNotLookedAt) {
    testfiles::WavFields wav;
    wav.samplesPerSec = 8000;
    wav.dataBytes = 100;
    auto bytes = testfiles::WavHeaderBytes(wav);
    std::fill(bytes.begin(), bytes.begin() + 22, 0xEE);  // RIFF, WAVE, fmt, chunk size, format tag
    std::fill(bytes.begin() + 36, bytes.begin() + 40, 0xEE);  // data tag
    const auto h = Parse(bytes);
    EXPECT_EQ(8000u, h.format.samplesPerSec);
    EXPECT_EQ(100u, h.dataBytes);
}

TEST(WavHeader, MoreThanOneChannelIsStereoWithTheHeadersBlockAlignment) {
    testfiles::WavFields wav;
    wav.samplesPerSec = 48000;
    wav.channels = 6;
    wav.blockAlign = 12;
    wav.bitsPerSample = 16;
    const auto six = Parse(testfiles::WavHeaderBytes(wav));
    EXPECT_EQ(2, six.format.channels);
    EXPECT_EQ(12, six.format.blockAlign);
    EXPECT_EQ(12u * 48000u, six.format.avgBytesPerSec);

    wav.channels = 0;
    EXPECT_EQ(1, Parse(testfiles::WavHeaderBytes(wav)).format.channels);
    wav.channels = 0x0100;  // high byte only: still more than one channel
    EXPECT_EQ(2, Parse(testfiles::WavHeaderBytes(wav)).format.channels);
}

TEST(WavHeader, ByteRateWrapsLikeADwordInsteadOfOverflowing) {
    std::vector<std::uint8_t> bytes(audio::kWavHeaderSize, 0xFF);
    const auto h = Parse(bytes);
    EXPECT_EQ(static_cast<std::uint32_t>(0xFFFFull * 0xFFFFFFFFull), h.format.avgBytesPerSec);
    EXPECT_EQ(0xFFFFFFFFu, h.dataBytes);
}

TEST(Keys, DigitRowThenLetterRowInSlotOrder) {
    const char keys[] = "123456789QWERTYUIO";
    const char labels[] = "123456789qwertyuio";
    for (int i = 0; i < board::kSlotCount; ++i) {
        const unsigned vk = static_cast<unsigned char>(keys[i]);
        EXPECT_EQ(i, board::SlotForKey(vk)) << keys[i];
        EXPECT_EQ(std::string(1, labels[i]), board::KeyLabel(vk)) << keys[i];
    }
}

TEST(Keys, OtherKeysTriggerNothingAndHaveNoLabel) {
    // '0', the keypad's 1 (VK_NUMPAD1), P, A, lower-case letters (not virtual-key codes), Ctrl, Shift.
    for (unsigned vk : {0x30u, 0x61u, 0x60u, unsigned('P'), unsigned('A'), unsigned('q'), 0x11u, 0x10u, 0u}) {
        EXPECT_EQ(-1, board::SlotForKey(vk)) << vk;
        EXPECT_EQ("", board::KeyLabel(vk)) << vk;
    }
}

class TextFileTest : public ::testing::Test {
protected:
    std::vector<std::string> ReadAll(const std::string& bytes) {
        fw::TextFileReader reader;
        EXPECT_TRUE(reader.Open(dir.WriteBytes("in.txt", bytes)));
        std::vector<std::string> lines;
        std::string line;
        while (reader.ReadLine(line)) lines.push_back(line);
        EXPECT_EQ(0, reader.error());
        EXPECT_EQ("", line);
        return lines;
    }
    testfiles::TempDir dir;
};

using Lines = std::vector<std::string>;

TEST_F(TextFileTest, ReadsCrLfAndBareLfAlike) {
    EXPECT_EQ((Lines{"one", "", "three"}), ReadAll("one\r\n\r\nthree\r\n"));
    EXPECT_EQ((Lines{"one", "", "three"}), ReadAll("one\n\nthree\n"));
    EXPECT_EQ((Lines{"a", "b"}), ReadAll("a\r\nb\n"));
}

TEST_F(TextFileTest, LastLineWithoutAnEndIsStillALine) {
    EXPECT_EQ((Lines{"a", "last"}), ReadAll("a\nlast"));
    EXPECT_EQ((Lines{"only"}), ReadAll("only"));
}

TEST_F(TextFileTest, EmptyFileHasNoLines) { EXPECT_EQ(Lines{}, ReadAll("")); }

TEST_F(TextFileTest, OnlyTheCrBeforeTheLineEndIsDropped) {
    EXPECT_EQ((Lines{"a\rb", "c\r"}), ReadAll("a\rb\nc\r\r\n"));
}

TEST_F(TextFileTest, MissingFileFailsToOpenWithItsError) {
    fw::TextFileReader reader;
    EXPECT_FALSE(reader.Open(dir.Path("absent.txt")));
    EXPECT_NE(0, reader.error());
    std::string line = "stale";
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_EQ("", line);
}

TEST_F(TextFileTest, WriterEndsEveryLineWithCrLfAndEmptiesAnExistingFile) {
    const std::string path = dir.WriteBytes("out.txt", "old contents that are longer\n");
    fw::TextFileWriter writer;
    ASSERT_TRUE(writer.Create(path));
    EXPECT_TRUE(writer.WriteLine("first"));
    EXPECT_TRUE(writer.WriteLine(""));
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ("first\r\n\r\n", testfiles::TempDir::ReadBytes(path));
}

TEST_F(TextFileTest, WriterReportsCreateAndFlushFailures) {
    fw::TextFileWriter noFolder;
    EXPECT_FALSE(noFolder.Create(dir.Path("no such folder/out.txt")));
    EXPECT_FALSE(noFolder.WriteLine("x"));
    EXPECT_FALSE(noFolder.Close());
    EXPECT_NE(0, noFolder.error());

    // The device accepts the open but not the data, which surfaces when the buffer is flushed.
    fw::TextFileWriter full;
    ASSERT_TRUE(full.Create("/dev/full"));
    full.WriteLine("x");
    EXPECT_FALSE(full.Close());
    EXPECT_NE(0, full.error());
}

}  // namespace
