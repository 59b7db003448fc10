// CSoundBuffer against Wine's real DirectSound.
#include <gtest/gtest.h>

#include <cstring>

#include "WinTestSupport.h"
#include "../common/RiffWav.h"
#include "audio/DirectSoundDevice.h"
#include "audio/SoundBuffer.h"
#include "audio/SoundLoader.h"
#include "audio/StreamedBuffer.h"
#include "board/Board.h"

#include <mmreg.h>

using audio::CSoundBuffer;
using audio::DirectSoundDevice;
using wintest::RecordedMessages;
using wintest::TempWav;
using wintest::Tone;

class SoundBufferTest : public testing::Test {
protected:
    void SetUp() override {
        window_ = ::CreateWindowA("STATIC", "sound test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        audio::SoundError error = audio::SoundError::None;
        device_ = DirectSoundDevice::Create(window_, "", audio::OutputChoice::OrDefault, error);
        ASSERT_TRUE(device_) << "no DirectSound device";
    }
    void TearDown() override {
        device_.reset();
        ::DestroyWindow(window_);
    }
    std::unique_ptr<CSoundBuffer> Load(const TempWav& wav) {
        return std::make_unique<CSoundBuffer>(wav.path(), device_->get(), audio::kBufferFlags);
    }

    HWND window_ = nullptr;
    std::unique_ptr<DirectSoundDevice> device_;
    RecordedMessages messages_;
};

TEST_F(SoundBufferTest, LoadsTheExactSampleBytesAndReadsBackItsFormat) {
    std::vector<std::uint8_t> data = Tone(0.25);
    TempWav wav("sb_exact.wav", data);
    auto sound = Load(wav);
    ASSERT_TRUE(sound->IsLoaded());
    std::uint32_t bytesPerSec = 0;
    ASSERT_GE(sound->GetAvgBytesPerSec(bytesPerSec), 0);
    EXPECT_EQ(bytesPerSec, 44100u * 4);
    std::uint32_t frame = 0;
    ASSERT_GE(sound->GetBlockAlign(frame), 0);
    EXPECT_EQ(frame, 4u);

    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_TRUE(SUCCEEDED(sound->buffer->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER)));
    ASSERT_EQ(n1 + n2, data.size());
    EXPECT_EQ(0, std::memcmp(p1, data.data(), n1));
    sound->buffer->Unlock(p1, n1, p2, n2);
    EXPECT_TRUE(messages_.texts().empty());
}

TEST_F(SoundBufferTest, ASoundPlayedToItsEndReportsStoppedAtPositionZero) {
    TempWav wav("sb_end.wav", Tone(0.3));
    auto sound = Load(wav);
    ASSERT_TRUE(sound->IsLoaded());
    ASSERT_GE(sound->Play(false), 0);
    std::uint32_t status = 0;
    ASSERT_GE(sound->GetStatus(status), 0);
    EXPECT_TRUE(status & audio::kStatusPlaying);
    EXPECT_TRUE(wintest::WaitUntil([&] { return SUCCEEDED(sound->GetStatus(status)) && !(status & audio::kStatusPlaying); }));
    std::uint32_t cursor = 12345;
    ASSERT_GE(sound->GetCurrentPosition(cursor), 0);
    EXPECT_EQ(cursor, 0u) << "the board detects the end of a sound by position 0";
}

TEST_F(SoundBufferTest, PauseKeepsThePositionAndALoopingSoundKeepsPlaying) {
    TempWav wav("sb_pause.wav", Tone(0.4));
    auto sound = Load(wav);
    ASSERT_TRUE(sound->IsLoaded());
    ASSERT_GE(sound->Play(true), 0);
    // Past the end: a looping sound wraps, its cursor coming round below where it was.
    std::uint32_t highest = 0, cursor = 0;
    EXPECT_TRUE(wintest::WaitUntil([&] {
        sound->GetCurrentPosition(cursor);
        const bool wrapped = cursor + 4 < highest;
        highest = cursor > highest ? cursor : highest;
        return wrapped;
    }));
    std::uint32_t status = 0;
    sound->GetStatus(status);
    EXPECT_TRUE(status & audio::kStatusPlaying);
    ASSERT_GE(sound->Stop(), 0);
    std::uint32_t paused = 0, later = 0;
    sound->GetCurrentPosition(paused);
    ::Sleep(200);
    sound->GetCurrentPosition(later);
    EXPECT_EQ(paused, later);
    sound->GetStatus(status);
    EXPECT_FALSE(status & audio::kStatusPlaying);
}

TEST_F(SoundBufferTest, VolumeAndPositionRoundTrip) {
    TempWav wav("sb_volume.wav", Tone(0.5));
    auto sound = Load(wav);
    ASSERT_TRUE(sound->IsLoaded());
    for (std::int32_t volume : {0, -1, -2500, -4800, -5000}) {
        ASSERT_GE(sound->SetVolume(volume), 0);
        std::int32_t got = 1;
        ASSERT_GE(sound->GetVolume(got), 0);
        EXPECT_EQ(got, volume);
    }
    ASSERT_GE(sound->SetCurrentPosition(22052), 0);
    std::uint32_t cursor = 0;
    sound->GetCurrentPosition(cursor);
    EXPECT_NEAR(static_cast<double>(cursor), 22052.0, 4.0);
    // A position at or past the end never leaves the cursor outside the
    // buffer: Windows refuses it, Wine wraps it around the buffer size.
    const std::uint32_t size = 44100 * 4 / 2;
    const audio::Result past = sound->SetCurrentPosition(size + 8);
    sound->GetCurrentPosition(cursor);
    if (audio::Succeeded(past))
        EXPECT_EQ(cursor, 8u);
    else
        EXPECT_NEAR(static_cast<double>(cursor), 22052.0, 4.0);
}

// Files as editors and recorders write them: the buffer gets exactly the
// data chunk's bytes in the file's own format, whatever chunks come first.
TEST_F(SoundBufferTest, EditorFilesLoadTheirDataChunkInTheirOwnFormat) {
    using namespace riffwav;
    struct Case {
        const char* what;
        Format format;
        std::vector<Chunk> before;
        std::uint32_t declared;  // data size field; UINT32_MAX: the true size
        std::size_t held;        // bytes of data the buffer gets
        WORD tag;                // format tag DirectSound reports
    };
    const Format pcm16;
    const Format pcm8{1, 1, 22050, 8, 18, 0};
    const Format ext24{0xFFFE, 2, 48000, 24, 40, 0};
    const Format pcm32{1, 1, 44100, 32, 16, 0};
    const Case cases[] = {
        {"LIST, fact, 18-byte fmt", pcm8, {ListInfo("Bell", "Recorder 2"), Fact(2205)}, UINT32_MAX, 2205,
         WAVE_FORMAT_PCM},
        {"bext, odd JUNK, 40-byte 24-bit", ext24, {Bext("take 3"), Junk(11)}, UINT32_MAX, 28800,
         WAVE_FORMAT_EXTENSIBLE},
        {"32-bit PCM tag", pcm32, {Junk(4)}, UINT32_MAX, 17640, WAVE_FORMAT_EXTENSIBLE},
        {"recording cut short", pcm16, {}, 0x7FFFFFFF, 17640, WAVE_FORMAT_PCM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes data = riffwav::Tone(c.format, 0.1, 500);
        std::vector<Chunk> chunks = c.before;
        chunks.insert(chunks.begin() + (c.before.empty() ? 0 : 1), Fmt(c.format));
        chunks.push_back({"data", data, c.declared});
        if (c.declared == UINT32_MAX) chunks.push_back(ListInfo("after the data", "x"));
        TempWav wav("sb_editor.wav", wintest::FileBytes{Riff(chunks)});
        auto sound = Load(wav);
        ASSERT_TRUE(sound->IsLoaded());

        WAVEFORMATEXTENSIBLE format{};
        ASSERT_TRUE(SUCCEEDED(sound->buffer->GetFormat(&format.Format, sizeof format, nullptr)));
        EXPECT_EQ(c.tag, format.Format.wFormatTag);
        EXPECT_EQ(c.format.bits, format.Format.wBitsPerSample);
        EXPECT_EQ(c.format.rate, format.Format.nSamplesPerSec);
        std::uint32_t frame = 0;
        ASSERT_GE(sound->GetBlockAlign(frame), 0);
        EXPECT_EQ(c.format.channels * c.format.bits / 8u, frame);
        void *p1 = nullptr, *p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        ASSERT_TRUE(SUCCEEDED(sound->buffer->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER)));
        ASSERT_EQ(c.held, n1 + n2);
        EXPECT_EQ(0, std::memcmp(p1, data.data(), n1));
        sound->buffer->Unlock(p1, n1, p2, n2);
    }
    EXPECT_TRUE(messages_.texts().empty());
}

TEST_F(SoundBufferTest, CompressedFormatsAreRefused) {
    using namespace riffwav;
    const Format adpcm{2, 1, 22050, 4, 20, 0};
    const Format mp3{0x55, 2, 44100, 0, 30, 0};
    for (const Format& f : {adpcm, mp3}) {
        TempWav wav("sb_compressed.wav", wintest::FileBytes{Riff({Fmt(f), Fact(1000), Data(Bytes(1000, 0x55))})});
        EXPECT_EQ(audio::SoundError::CreateSoundBuffer, Load(wav)->LoadError());
    }
    TempWav empty("sb_empty.wav", std::vector<std::uint8_t>{});
    EXPECT_EQ(audio::SoundError::CreateSoundBuffer, Load(empty)->LoadError());
    EXPECT_TRUE(messages_.texts().empty()) << "the buffer tells no one";
}

// A buffer moved to another device takes the samples from memory: the file
// may be gone by then, and the sound may be playing.
TEST_F(SoundBufferTest, ACopyOnAnotherDeviceHoldsTheSameSoundWithoutItsFile) {
    const std::vector<std::uint8_t> data = Tone(0.5);
    auto source = [&] {
        TempWav wav("sb_copied.wav", data);
        return Load(wav);
    }();
    ASSERT_TRUE(source->IsLoaded());
    source->Play(true);
    audio::SoundError error = audio::SoundError::None;
    auto other = DirectSoundDevice::Create(window_, "", audio::OutputChoice::Exactly, error);
    ASSERT_TRUE(other);
    auto copy = other->CopyBuffer(*source);
    ASSERT_TRUE(copy && copy->IsLoaded());
    auto& real = dynamic_cast<CSoundBuffer&>(*copy);
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_TRUE(SUCCEEDED(real.buffer->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER)));
    ASSERT_EQ(data.size(), n1 + n2);
    EXPECT_EQ(0, std::memcmp(p1, data.data(), n1));
    real.buffer->Unlock(p1, n1, p2, n2);
    std::uint32_t status = 0, bytesPerSec = 0;
    EXPECT_GE(copy->GetStatus(status), 0);
    EXPECT_EQ(0u, status) << "a copy starts stopped";
    EXPECT_GE(copy->GetAvgBytesPerSec(bytesPerSec), 0);
    EXPECT_EQ(44100u * 4, bytesPerSec);
}

// Past the size rule a sound streams through a small ring: from a place far
// into its file to its end, where it reports position 0, and as a copy on
// another device sharing its file. The file is held so that others may move
// and delete it, but not write it, while the sound plays on from it.
TEST_F(SoundBufferTest, ALongSoundStreamsFromAnywhereToItsEndAndCopiesToAnotherDevice) {
    constexpr std::uint32_t kSecond = 44100 * 4, kEnd = 75 * kSecond;
    TempWav wav("sb_long.wav", Tone(75.0));
    auto sound = audio::LoadSound(wav.path(), device_->get(), audio::kBufferFlags);
    ASSERT_TRUE(dynamic_cast<audio::StreamedBuffer*>(sound.get()) && sound->IsLoaded());
    const HANDLE writer = ::CreateFileA(wav.path().c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                        nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer) << "written under a playing stream";
    if (writer != INVALID_HANDLE_VALUE) ::CloseHandle(writer);
    const std::string moved = wav.path() + ".moved";
    ASSERT_TRUE(::MoveFileA(wav.path().c_str(), moved.c_str()));
    std::uint32_t bytesPerSec = 0, status = 0, cursor = 0;
    EXPECT_GE(sound->GetAvgBytesPerSec(bytesPerSec), 0);
    EXPECT_EQ(kSecond, bytesPerSec);
    ASSERT_GE(sound->SetCurrentPosition(kEnd - kSecond / 2), 0);
    ASSERT_GE(sound->Play(false), 0);
    EXPECT_TRUE(wintest::WaitUntil([&] { return SUCCEEDED(sound->GetCurrentPosition(cursor)) && cursor > kEnd - kSecond / 4; }));
    EXPECT_TRUE(wintest::WaitUntil([&] { return SUCCEEDED(sound->GetStatus(status)) && !(status & audio::kStatusPlaying); }));
    ASSERT_GE(sound->GetCurrentPosition(cursor), 0);
    EXPECT_EQ(0u, cursor) << "the board detects the end of a sound by position 0";

    audio::SoundError error = audio::SoundError::None;
    auto other = DirectSoundDevice::Create(window_, "", audio::OutputChoice::Exactly, error);
    ASSERT_TRUE(other);
    auto copy = other->CopyBuffer(*sound);
    ASSERT_TRUE(copy && copy->IsLoaded());
    EXPECT_TRUE(::DeleteFileA(moved.c_str()));
    ASSERT_GE(copy->SetCurrentPosition(40 * kSecond), 0);
    ASSERT_GE(copy->Play(true), 0);
    EXPECT_TRUE(wintest::WaitUntil([&] { return SUCCEEDED(copy->GetCurrentPosition(cursor)) && cursor > 40 * kSecond + kSecond / 2; }));
    EXPECT_LT(cursor, 45 * kSecond);
    EXPECT_TRUE(messages_.texts().empty());
}

TEST_F(SoundBufferTest, MissingOrTruncatedFilesFailSilently) {
    CSoundBuffer missing(wintest::TempPath("sb_no_such_file.wav"), device_->get(), audio::kBufferFlags);
    EXPECT_EQ(audio::SoundError::Unreadable, missing.LoadError());
    const std::string shortPath = wintest::TempPath("sb_truncated.wav");
    if (std::FILE* f = std::fopen(shortPath.c_str(), "wb")) {
        std::fwrite("RIFF", 1, 4, f);
        std::fclose(f);
    }
    CSoundBuffer truncated(shortPath, device_->get(), audio::kBufferFlags);
    EXPECT_EQ(audio::SoundError::Unreadable, truncated.LoadError());
    ::DeleteFileA(shortPath.c_str());
    EXPECT_TRUE(messages_.texts().empty());
}

TEST_F(SoundBufferTest, DestroyingAPlayingBufferStopsIt) {
    TempWav wav("sb_destroy.wav", Tone(2.0));
    auto sound = Load(wav);
    ASSERT_TRUE(sound->IsLoaded());
    IDirectSoundBuffer* raw = sound->buffer.get();
    raw->AddRef();  // keep the interface alive to look at it afterwards
    sound->Play(false);
    sound.reset();
    DWORD status = 0;
    raw->GetStatus(&status);
    EXPECT_FALSE(status & DSBSTATUS_PLAYING);
    raw->Release();
}

// The first scheme's sounds, read on a worker while the window is built: each
// buffer is handed over once, in any order; what the worker could not make
// (a missing file, a folder, a format no codec reads) is left for the board to
// make and report, so the worker itself says nothing.
TEST_F(SoundBufferTest, APrefetchHandsEachBufferOverOnceAndLeavesFailuresToTheBoard) {
    using namespace riffwav;
    TempWav first("pf_first.wav", Tone(0.25));
    TempWav second("pf_second.wav", Tone(0.5));
    TempWav unknown("pf_unknown.wav", wintest::FileBytes{Riff({Fmt({0x1234, 1, 22050, 4, 20, 0}), Data(Bytes(100, 0))})});
    const std::string missing = wintest::TempPath("pf_no_such_file.wav");
    const std::string folder = wintest::TempPath("");
    audio::SoundPrefetch prefetch("", {first.path(), missing, second.path(), first.path(), unknown.path(), folder});

    bool onDefaultInstead = true;
    fw::ComPtr<IDirectSound> device = prefetch.TakeDevice("", onDefaultInstead);
    ASSERT_TRUE(device);
    EXPECT_FALSE(onDefaultInstead);
    EXPECT_FALSE(prefetch.TakeDevice("", onDefaultInstead)) << "the device is lent once";
    EXPECT_FALSE(prefetch.TakeBuffer(first.path(), audio::kBufferFlags | DSBCAPS_STATIC)) << "other flags";
    for (const std::string& path : {second.path(), first.path(), first.path()}) {
        auto buffer = prefetch.TakeBuffer(path, audio::kBufferFlags);
        ASSERT_TRUE(buffer && buffer->IsLoaded()) << path;
        std::uint32_t bytesPerSec = 0;
        ASSERT_GE(buffer->GetAvgBytesPerSec(bytesPerSec), 0);
        EXPECT_EQ(bytesPerSec, 44100u * 4);
    }
    for (const std::string& path : {first.path(), missing, unknown.path(), folder, std::string("pf_never_asked.wav")})
        EXPECT_FALSE(prefetch.TakeBuffer(path, audio::kBufferFlags)) << path;
    EXPECT_TRUE(messages_.texts().empty());

    // A prefetch for another output lends nothing; what it made goes with it.
    audio::SoundPrefetch other("{00000000-0000-0000-0000-000000000001}", {second.path()});
    EXPECT_FALSE(other.TakeDevice("", onDefaultInstead));
}
