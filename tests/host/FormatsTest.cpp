// The WAV header, the trigger keys, the text-file reader and writer and the
// registry value rule.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "audio/WavFormat.h"
#include "board/Keys.h"
#include "framework/FileReplace.h"
#include "framework/FileStatus.h"
#include "framework/RegistryValue.h"
#include "framework/TextFile.h"
#include "TestFiles.h"
#include "../common/RiffWav.h"

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

// How files as editors write them are read: the chunks are walked; files
// without findable chunks are read at the fixed offsets.
struct WavCase {
    const char* what;
    riffwav::Bytes file;
    audio::WavResult result;
    std::uint16_t channels, bits, validBits, blockAlign;
    std::uint64_t dataOffset;
    std::uint32_t dataBytes;
    bool fromChunks;
};

std::vector<WavCase> WavCases() {
    using namespace riffwav;
    Format stereo16;
    Format fmt18 = stereo16;
    fmt18.fmtSize = 18;
    Format ext24{0xFFFE, 2, 48000, 24, 40, 20};
    Format mono32{0xFFFE, 1, 44100, 32, 40, 0};
    Format adpcm{2, 1, 22050, 4, 20, 0};
    Format ext24Float = ext24;
    const Bytes tone = Tone(stereo16, 0.01, 440);  // 441 frames of 4 bytes
    auto withData = [&](std::vector<Chunk> before, Bytes data, std::uint32_t declared = UINT32_MAX) {
        before.push_back({"data", std::move(data), declared});
        return Riff(before);
    };
    Bytes floatSub = withData({Fmt(ext24Float)}, Bytes(60, 0));
    floatSub[12 + 8 + 24] = 3;  // the IEEE float sub-format
    Bytes noData = Riff({Fmt(stereo16), Junk(100)});
    std::vector<Chunk> manyEmpty(5000, Junk(0));
    manyEmpty.push_back(Fmt(stereo16));
    const std::uint32_t canonicalHeader = 44;
    return {
        {"canonical", withData({Fmt(stereo16)}, tone), audio::WavResult::Ok, 2, 16, 16, 4, canonicalHeader, 1764, true},
        {"18-byte fmt, fact, odd LIST/INFO", withData({Fmt(fmt18), Fact(441), ListInfo("Door", "Editor 9")}, tone),
         audio::WavResult::Ok, 2, 16, 16, 4, 12 + 26 + 12 + 44 + 8, 1764, true},
        {"bext, JUNK, extensible 24 of 20 bits", withData({Bext("take 1"), Junk(27), Fmt(ext24)}, Bytes(60, 0)),
         audio::WavResult::Ok, 2, 24, 20, 6, 12 + 610 + 36 + 48 + 8, 60, true},
        {"extensible 32-bit mono", withData({Fmt(mono32)}, Bytes(40, 0)), audio::WavResult::Ok, 1, 32, 32, 4,
         12 + 48 + 8, 40, true},
        {"data size past the end, cut to whole frames", withData({Fmt(stereo16)}, Bytes(1001, 0), 0x7FFFFFF0),
         audio::WavResult::Ok, 2, 16, 16, 4, canonicalHeader, 1000, true},
        {"ADPCM", withData({Fmt(adpcm)}, Bytes(100, 0)), audio::WavResult::NotPcm, 1, 4, 4, 0, 0, 0, false},
        {"extensible float", floatSub, audio::WavResult::NotPcm, 2, 24, 24, 6, 0, 0, false},
        {"no data chunk: fixed offsets", noData, audio::WavResult::Ok, 2, 16, 16, 4, 44, 100, false},
        {"chunks past the walking limit: fixed offsets", withData(manyEmpty, Bytes(8, 0)), audio::WavResult::Ok, 2,
         0, 0, 0, 44, 0, false},
        {"shorter than the header", Bytes(43, 0), audio::WavResult::TooShort, 1, 0, 0, 0, 44, 0, false},
    };
}

TEST(WavChunks, FormatAndSoundComeFromTheChunksWhereverTheyAre) {
    for (const WavCase& c : WavCases()) {
        SCOPED_TRACE(c.what);
        audio::MemoryByteSource source(c.file.data(), c.file.size());
        audio::WavInfo info;
        ASSERT_EQ(c.result, audio::ReadWavInfo(source, info));
        EXPECT_EQ(c.channels, info.format.channels);
        EXPECT_EQ(c.bits, info.format.bitsPerSample);
        if (c.result != audio::WavResult::Ok) continue;
        EXPECT_EQ(c.validBits, info.validBitsPerSample);
        EXPECT_EQ(c.blockAlign, info.format.blockAlign);
        EXPECT_EQ(c.dataOffset, info.dataOffset);
        EXPECT_EQ(c.dataBytes, info.dataBytes);
        EXPECT_EQ(c.fromChunks, info.fromChunks);
        EXPECT_EQ(info.format.blockAlign * info.format.samplesPerSec, info.format.avgBytesPerSec);
        EXPECT_EQ(c.bits > 16 || c.validBits != c.bits, audio::NeedsExtensibleFormat(info));
    }
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

TEST_F(TextFileTest, ALineIsCutAtTheLimitAndTheRestOfItSkipped) {
    const std::size_t max = fw::kMaxLineBytes;
    const std::string huge(10 * max + 7, 'x');
    fw::TextFileReader reader;
    ASSERT_TRUE(reader.Open(dir.WriteBytes("long.txt", std::string(max, 'a') + "\r\n" + huge + "\r\n" +
                                                            std::string(max + 1, 'b') + "\nlast\n")));
    std::string line;
    const struct {
        std::string text;
        bool cut;
    } expected[] = {{std::string(max, 'a'), false}, {std::string(max, 'x'), true}, {std::string(max, 'b'), true},
                    {"last", false}};
    for (const auto& e : expected) {
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(e.text.size(), line.size());
        EXPECT_EQ(e.text, line);
        EXPECT_EQ(e.cut, reader.lineCut());
        EXPECT_LE(line.capacity(), 2 * max) << "the skipped part was kept in memory";
    }
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_EQ(0, reader.error());
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

// Only regular files count as files: anything else is skipped as missing.
TEST(FileStatus, OnlyARegularFileHasASize) {
    testfiles::TempDir dir;
    const std::string fifo = dir.Path("pipe");
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    std::uint64_t size = 0;
    EXPECT_TRUE(fw::QueryFileSize(dir.WriteBytes("a.wav", "12345"), size));
    EXPECT_EQ(5u, size);
    for (const std::string& path : {dir.dir().string(), fifo, std::string("/dev/null"), dir.Path("absent"),
                                    std::string()}) {
        size = 99;
        EXPECT_FALSE(fw::QueryFileSize(path, size)) << path;
        EXPECT_EQ(99u, size) << path;
    }
}

TEST(FileStatus, WindowsDeviceNamesWithAnyExtensionOrCase) {
    for (const char* device : {"CON", "nul.wav", "C:\\shows\\Com1.txt", "LPT9", "conin$", "Z:NUL .wav", "aux"})
        EXPECT_TRUE(fw::IsWindowsDeviceName(device)) << device;
    for (const char* file : {"COM0", "COM10", "console.wav", "icon.wav", "C:\\CON\\a.wav", "nul_", ""})
        EXPECT_FALSE(fw::IsWindowsDeviceName(file)) << file;
}

// A replace that finds the file held is tried again for a while; any other
// failure is reported at once.
TEST(FileReplace, AHeldFileIsTriedAgainForAWhile) {
    const std::vector<int> results[] = {{EACCES, EBUSY, 0}, {ENOSPC}, {EACCES}};  // in turn, the last one repeating
    const std::size_t expectedAttempts[] = {3, 1, fw::kReplaceAttempts};
    for (std::size_t i = 0; i < std::size(results); ++i) {
        const auto& r = results[i];
        std::size_t attempts = 0, pauses = 0;
        const auto attempt = [&] { return r[std::min(attempts++, r.size() - 1)]; };
        EXPECT_EQ(r.back(), fw::RetryWhileHeld(attempt, [&] { ++pauses; }));
        EXPECT_EQ(expectedAttempts[i], attempts);
        EXPECT_EQ(attempts - 1, pauses);
    }
}

TEST(RegistryValue, TextEndsAtTheFirstZeroOrTheByteCount) {
    const char bytes[] = {'a', 'b', 'c', 0, 'd'};
    EXPECT_EQ("abc", fw::RegValueText(bytes, 5));
    EXPECT_EQ("ab", fw::RegValueText(bytes, 2));
    EXPECT_EQ("", fw::RegValueText(bytes, 0));
    const std::string full(300, 'x');
    EXPECT_EQ(fw::kRegValueBufferSize, fw::RegValueText(full.data(), full.size()).size());
}

}  // namespace
