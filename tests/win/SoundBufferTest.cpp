// CSoundBuffer against Wine's real DirectSound.
#include <gtest/gtest.h>

#include <cstring>

#include "WinTestSupport.h"
#include "audio/SoundBuffer.h"
#include "board/Board.h"

using audio::CSoundBuffer;
using audio::DirectSoundDevice;
using wintest::RecordedMessages;
using wintest::TempWav;
using wintest::Tone;

class SoundBufferTest : public testing::Test {
protected:
    void SetUp() override {
        window_ = ::CreateWindowA("STATIC", "sound test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        device_ = DirectSoundDevice::Create(window_);
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
    ::Sleep(900);
    ASSERT_GE(sound->GetStatus(status), 0);
    EXPECT_FALSE(status & audio::kStatusPlaying);
    std::uint32_t cursor = 12345;
    ASSERT_GE(sound->GetCurrentPosition(cursor), 0);
    EXPECT_EQ(cursor, 0u) << "the board detects the end of a sound by position 0";
}

TEST_F(SoundBufferTest, PauseKeepsThePositionAndALoopingSoundKeepsPlaying) {
    TempWav wav("sb_pause.wav", Tone(0.4));
    auto sound = Load(wav);
    ASSERT_TRUE(sound->IsLoaded());
    ASSERT_GE(sound->Play(true), 0);
    ::Sleep(700);  // past the end: a looping sound wraps
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

TEST_F(SoundBufferTest, DataSizePastTheEndOfTheFileIsAReadingError) {
    TempWav wav("sb_short.wav", Tone(0.1), 2, 44100, 16, 1000000);
    auto sound = Load(wav);
    EXPECT_FALSE(sound->IsLoaded());
    ASSERT_EQ(messages_.texts().size(), 1u);
    EXPECT_EQ(messages_.texts()[0], "Error - DS - Reading Data");
}

TEST_F(SoundBufferTest, AnEmptyDataChunkCannotBeCreated) {
    TempWav wav("sb_empty.wav", {});
    auto sound = Load(wav);
    EXPECT_FALSE(sound->IsLoaded());
    ASSERT_EQ(messages_.texts().size(), 1u);
    EXPECT_EQ(messages_.texts()[0], "Error - DS - CreateSoundBuffer");
}

TEST_F(SoundBufferTest, MissingOrTruncatedFilesFailSilently) {
    CSoundBuffer missing(wintest::TempPath("sb_no_such_file.wav"), device_->get(), audio::kBufferFlags);
    EXPECT_FALSE(missing.IsLoaded());
    const std::string shortPath = wintest::TempPath("sb_truncated.wav");
    if (std::FILE* f = std::fopen(shortPath.c_str(), "wb")) {
        std::fwrite("RIFF", 1, 4, f);
        std::fclose(f);
    }
    CSoundBuffer truncated(shortPath, device_->get(), audio::kBufferFlags);
    EXPECT_FALSE(truncated.IsLoaded());
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
