// The system's decoders under Wine, on files Debian's encoders made for this
// run (tests/common/make-test-sounds.sh): each kind decodes to its tone for
// its length through Media Foundation, the ACM decodes what it reads on
// every Windows, an MP3 is exactly the samples that were encoded, and a long
// sound's samples go through a temporary file that goes with its last reader
// or, left by a board that ended, at the next start, and a long MP3 plays
// before it is decoded.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/AcmDecoder.h"
#include "audio/MfDecoder.h"
#include "audio/DirectSoundDevice.h"
#include "audio/SoundBuffer.h"
#include "audio/SoundDecoders.h"
#include "audio/SoundLoader.h"
#include "audio/StreamedBuffer.h"
#include "WinTestSupport.h"

namespace {

using wintest::TestSound;
using wintest::WaitUntil;

// Pitch of the first channel from its upward zero crossings over the middle second.
double Pitch(audio::PcmSource& source) {
    const audio::PcmFormat f = source.Layout().format;
    std::vector<std::int16_t> s(f.samplesPerSec * f.channels);
    const std::uint64_t middle = source.Size() / 2 / f.blockAlign * f.blockAlign;
    const std::size_t got = source.ReadAt(middle - s.size(), s.data(), s.size() * 2) / 2;
    int crossings = 0;
    std::size_t first = 0, last = 0;
    for (std::size_t i = f.channels; i < got; i += f.channels)
        if (s[i - f.channels] < 0 && s[i] >= 0) {
            if (crossings++ == 0) first = i;
            last = i;
        }
    return crossings < 2 ? 0 : (crossings - 1) * double(f.samplesPerSec) / double((last - first) / f.channels);
}

std::size_t TempFiles() {
    char folder[MAX_PATH + 1];
    ::GetTempPathA(sizeof folder, folder);
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((std::string(folder) + "clangster-*.spool").c_str(), &found);
    std::size_t n = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do ++n;
        while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    return n;
}

TEST(DecoderTest, EachKindDecodesToItsToneForItsLength) {
    struct Case {
        const char* file;
        double hz;
        bool acm;  // the ACM reads it too
    } cases[] = {{"tone-330.mp3", 330, true},         {"tone-392.ogg", 392, false},
                 {"tone-440.flac", 440, false},       {"tone-494-float.wav", 494, false},
                 {"tone-523-adpcm.wav", 523, true},   {"tone-587-ulaw.wav", 587, true},
                 {"tone-659-5.1.flac", 659, false}};
    const std::vector<audio::DecoderOpener> acm = {audio::OpenAcmDecoder};
    for (const Case& c : cases) {
        const audio::OpenedSound sound = audio::DecodeSoundFile(TestSound(c.file));
        ASSERT_TRUE(sound.source) << c.file << ": error " << static_cast<int>(sound.error);
        const audio::PcmFormat f = sound.source->Layout().format;
        EXPECT_EQ(16, f.bitsPerSample) << c.file;
        EXPECT_EQ(2, f.channels) << c.file << ": five channels and the LFE mixed down to stereo";
        EXPECT_EQ(44100u, f.samplesPerSec) << c.file;
        // Two seconds, give or take what codecs add: an MP3 frame, an ADPCM block.
        EXPECT_NEAR(2.0, double(sound.source->Size()) / f.avgBytesPerSec, 0.06) << c.file;
        EXPECT_NEAR(c.hz, Pitch(*sound.source), 1.0) << c.file;
        if (!c.acm) continue;
        const audio::OpenedSound viaAcm = audio::DecodeSound(TestSound(c.file), acm, nullptr);
        ASSERT_TRUE(viaAcm.source) << c.file << " through the ACM";
        EXPECT_NEAR(2.0, double(viaAcm.source->Size()) / viaAcm.source->Layout().format.avgBytesPerSec, 0.1) << c.file;
        EXPECT_NEAR(c.hz, Pitch(*viaAcm.source), 1.0) << c.file << " through the ACM";
    }
    EXPECT_EQ(audio::SoundError::Undecodable, audio::DecodeSoundFile(TestSound("broken.mp3")).error);
}

// A LAME-encoded sine of whole periods comes out of either decoder as the
// very samples that were encoded (no encoder delay, padding or info frame),
// so that its end joins its start: no dip, no jump.
TEST(DecoderTest, AnMp3IsExactlyItsEncodedSamplesAndLoopsWithoutADip) {
    const struct {
        const char* file;
        std::size_t frames;
    } files[] = {{"loop-441.mp3", 88200}, {"loop-441-22k.mp3", 22050}};
    const struct {
        const char* name;
        audio::DecoderOpener open;
    } decoders[] = {{"Media Foundation", audio::OpenMfDecoder}, {"ACM", audio::OpenAcmDecoder}};
    for (const auto& file : files) {
        for (const auto& decoder : decoders) {
            const std::string what = std::string(file.file) + " through " + decoder.name;
            const audio::OpenedSound sound = audio::DecodeSound(TestSound(file.file), {decoder.open}, nullptr);
            ASSERT_TRUE(sound.source) << what << ": error " << static_cast<int>(sound.error);
            const audio::PcmFormat f = sound.source->Layout().format;
            ASSERT_EQ(file.frames, sound.source->Size() / f.blockAlign) << what;
            std::vector<std::int16_t> all(file.frames * f.channels), s(file.frames);
            sound.source->ReadAt(0, all.data(), all.size() * 2);
            for (std::size_t i = 0; i < s.size(); ++i) s[i] = all[i * f.channels];
            // The loop as the card plays it: the last quarter second, then the first.
            const std::size_t quarter = f.samplesPerSec / 4, window = f.samplesPerSec / 100;
            std::vector<std::int16_t> seam(s.end() - static_cast<long>(quarter), s.end());
            seam.insert(seam.end(), s.begin(), s.begin() + static_cast<long>(quarter));
            auto rms = [](const std::int16_t* from, std::size_t n) {
                double sum = 0;
                for (std::size_t i = 0; i < n; ++i) sum += double(from[i]) * from[i];
                return std::sqrt(sum / double(n));
            };
            const double level = rms(&s[s.size() / 4], s.size() / 2);
            double quietest = level;
            for (std::size_t at = 0; at + window <= seam.size(); ++at) quietest = std::min(quietest, rms(&seam[at], window));
            EXPECT_GT(quietest, level / 2) << what << ": a dip at the seam";
            int steepest = 0;  // within the tone, and across the seam
            for (std::size_t i = s.size() / 4; i < s.size() * 3 / 4; ++i) steepest = std::max(steepest, std::abs(s[i] - s[i - 1]));
            EXPECT_LE(std::abs(s.front() - s.back()), steepest * 3 / 2) << what << ": a jump at the seam";
        }
    }
}

TEST(DecoderTest, ALongSoundIsKeptInATemporaryFileThatGoesWithItsLastReader) {
    audio::RemoveStaleSpoolFiles();  // what earlier runs may have left
    const std::size_t before = TempFiles();
    const audio::OpenedSound inMemory = audio::DecodeSound(TestSound("tone-440.flac"), {audio::OpenMfDecoder}, nullptr);
    audio::OpenedSound inFile =
        audio::DecodeSound(TestSound("tone-440.flac"), {audio::OpenMfDecoder}, audio::MakeTempSpoolFile, 64 * 1024);
    ASSERT_TRUE(inMemory.source && inFile.source);
    EXPECT_EQ(before + 1, TempFiles());
    const std::uint64_t size = inMemory.source->Size();
    ASSERT_EQ(size, inFile.source->Size());
    std::vector<char> a(static_cast<std::size_t>(size)), b(a.size());
    ASSERT_EQ(a.size(), inMemory.source->ReadAt(0, a.data(), a.size()));
    ASSERT_EQ(b.size(), inFile.source->ReadAt(0, b.data(), b.size()));
    EXPECT_TRUE(a == b);

    // A file a board that ended left behind goes at the next start; the
    // files running boards read stay, and so do other programs' files.
    char folder[MAX_PATH + 1];
    ::GetTempPathA(sizeof folder, folder);
    const std::string stale = std::string(folder) + "clangster-0-7.spool", other = std::string(folder) + "clangster-7.tmp";
    for (const std::string& name : {stale, other})
        ::CloseHandle(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_EQ(before + 2, TempFiles());
    EXPECT_EQ(1, audio::RemoveStaleSpoolFiles());
    EXPECT_EQ(before + 1, TempFiles());
    EXPECT_TRUE(::DeleteFileA(other.c_str()));
    std::fill(b.begin(), b.end(), 0);
    ASSERT_EQ(b.size(), inFile.source->ReadAt(0, b.data(), b.size()));
    EXPECT_TRUE(a == b) << "the running board's file was touched";
    inFile.source.reset();
    EXPECT_EQ(before, TempFiles());

    // Past the resident size a decoded sound streams from that file.
    fw::ComPtr<IDirectSound> device = audio::CreateDirectSound("", audio::OutputChoice::OrDefault);
    ASSERT_TRUE(device && SUCCEEDED(device->SetCooperativeLevel(::GetDesktopWindow(), DSSCL_NORMAL)));
    auto streamed = audio::LoadSound(TestSound("long-440.flac"), device.get(), audio::kBufferFlags);
    ASSERT_TRUE(streamed->IsLoaded());
    EXPECT_EQ(80u * 44100 * 4, streamed->LengthBytes());
    EXPECT_EQ(before + 1, TempFiles());
    streamed.reset();  // its reader lets go of the file once its read returns
    EXPECT_TRUE(wintest::WaitUntil([&] { return TempFiles() == before; })) << TempFiles() - before << " left";

    // A spool is promised only the room its disk has, beside other promises.
    const auto spool = audio::MakeTempSpoolFile(), another = audio::MakeTempSpoolFile();
    ASSERT_TRUE(spool && another);
    ULARGE_INTEGER free{};
    ASSERT_TRUE(::GetDiskFreeSpaceExA(folder, &free, nullptr, nullptr));
    const std::uint64_t most = free.QuadPart * 3 / 5;  // one fits, two do not
    EXPECT_FALSE(spool->Promise(free.QuadPart * 2));
    EXPECT_TRUE(spool->Promise(most));
    EXPECT_FALSE(another->Promise(most)) << "the first promise counts";
    EXPECT_TRUE(spool->Promise(0));
    EXPECT_TRUE(another->Promise(most)) << "a promise ended is free again";
}

// A long MP3 is handed over once its first seconds are decoded, plays from
// them while the rest is decoded, and then has exactly its encoded length.
TEST(DecoderTest, ALongMp3PlaysBeforeItIsDecodedAndThenHasItsEncodedLength) {
    const audio::OpenedSound sound = audio::DecodeSoundFileHeadFirst(TestSound("long-441.mp3"));
    ASSERT_TRUE(sound.source) << "error " << static_cast<int>(sound.error);
    audio::PcmSource& source = *sound.source;
    const std::uint64_t length = 90u * 44100 * 4;
    EXPECT_FALSE(source.SizeKnown());
    EXPECT_GE(source.Ready(), 2u * 44100 * 4);
    EXPECT_LT(source.Ready(), length) << "handed over before it is decoded";
    EXPECT_EQ(length, source.Size()) << "the length the LAME tag states";

    fw::ComPtr<IDirectSound> device = audio::CreateDirectSound("", audio::OutputChoice::OrDefault);
    ASSERT_TRUE(device && SUCCEEDED(device->SetCooperativeLevel(::GetDesktopWindow(), DSSCL_NORMAL)));
    audio::StreamedBuffer buffer(sound.source, device.get(), audio::kBufferFlags);
    ASSERT_TRUE(buffer.IsLoaded());
    ASSERT_TRUE(audio::Succeeded(buffer.Play(false)));
    std::uint32_t at = 0;
    EXPECT_TRUE(wintest::WaitUntil([&] { return audio::Succeeded(buffer.GetCurrentPosition(at)) && at > 0; }));

    EXPECT_TRUE(wintest::WaitUntil([&] { return source.SizeKnown(); }));
    EXPECT_EQ(length, source.Size());
    EXPECT_EQ(length, buffer.LengthBytes());
    EXPECT_EQ(audio::SoundError::None, buffer.TakeDecodeError());
    EXPECT_NEAR(441.0, Pitch(source), 441 * 0.005);
}

}  // namespace
