// The system's decoders under Wine, on files Debian's encoders made for this
// run (tests/common/make-test-sounds.sh): each kind decodes to its tone for
// its length through Media Foundation, the ACM decodes what it reads on
// every Windows, and a long sound's samples go through a temporary file
// that goes with its last reader.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "audio/AcmDecoder.h"
#include "audio/MfDecoder.h"
#include "audio/DirectSoundDevice.h"
#include "audio/SoundBuffer.h"
#include "audio/SoundDecoders.h"
#include "audio/SoundLoader.h"
#include "WinTestSupport.h"

namespace {

using wintest::TestSound;

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
    const HANDLE search = ::FindFirstFileA((std::string(folder) + "cls*.tmp").c_str(), &found);
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
                 {"tone-523-adpcm.wav", 523, true},   {"tone-587-ulaw.wav", 587, true}};
    const std::vector<audio::DecoderOpener> acm = {audio::OpenAcmDecoder};
    for (const Case& c : cases) {
        const audio::OpenedSound sound = audio::DecodeSoundFile(TestSound(c.file));
        ASSERT_TRUE(sound.source) << c.file << ": error " << static_cast<int>(sound.error);
        const audio::PcmFormat f = sound.source->Layout().format;
        EXPECT_EQ(16, f.bitsPerSample) << c.file;
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

TEST(DecoderTest, ALongSoundIsKeptInATemporaryFileThatGoesWithItsLastReader) {
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
    inFile.source.reset();
    EXPECT_EQ(before, TempFiles());

    // Past the resident size a decoded sound streams from that file.
    fw::ComPtr<IDirectSound> device = audio::CreateDirectSound("", audio::OutputChoice::OrDefault);
    ASSERT_TRUE(device && SUCCEEDED(device->SetCooperativeLevel(::GetDesktopWindow(), DSSCL_NORMAL)));
    auto streamed = audio::LoadSound(TestSound("long-440.flac"), device.get(), audio::kBufferFlags);
    ASSERT_TRUE(streamed->IsLoaded());
    EXPECT_EQ(80u * 44100 * 4, streamed->LengthBytes());
    EXPECT_EQ(before + 1, TempFiles());
    streamed.reset();
    EXPECT_EQ(before, TempFiles());
}

}  // namespace
