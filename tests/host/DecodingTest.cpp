// Sounds that are not PCM WAV files: which files are sounds and which are
// decoded, the spool that keeps decoded samples, and the choice of decoder.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <memory>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "audio/Mp3Frames.h"
#include "audio/PcmSpool.h"
#include "audio/SoundDecoding.h"
#include "audio/SoundKind.h"

namespace {

TEST(SoundKind, WavByItsHeaderOrItsNameAndSoundsByTheirExtension) {
    const std::string riff("RIFF\x24\0\0\0WAVEfmt ", 16), id3("ID3\x04\0\0\0\0\0\0\0\0", 12);
    struct Case {
        const char* path;
        const std::string& head;
        bool wav, sound;
        const char* extension;
    } cases[] = {
        {"C:\\s\\bell.wav", id3, true, true, "wav"},      // the name alone makes a WAV, as it always did
        {"C:\\s\\BELL.WAV", id3, true, true, "WAV"},
        {"C:\\s\\bell.mp3", riff, true, true, "mp3"},     // a RIFF WAVE is a WAV whatever its name
        {"C:\\s\\bell.mp3", id3, false, true, "mp3"},
        {"C:\\s\\Bell.Flac", id3, false, true, "Flac"},
        {"C:\\s\\bell.ogg", id3, false, true, "ogg"},
        {"C:\\s\\bell.m4a", id3, false, true, "m4a"},
        {"C:\\s\\notes.txt", id3, false, false, "txt"},
        {"C:\\s.wav\\bell", id3, false, false, ""},        // the folder's dot is not the file's
        {"C:\\s\\bell.wav.txt", id3, false, false, "txt"},
    };
    for (const Case& c : cases) {
        const auto* head = reinterpret_cast<const std::uint8_t*>(c.head.data());
        EXPECT_EQ(c.wav, audio::ReadsAsWav(c.path, head, c.head.size())) << c.path;
        EXPECT_EQ(c.sound, audio::IsSoundFileName(c.path)) << c.path;
        EXPECT_EQ(c.extension, audio::FileExtension(c.path)) << c.path;
    }
    const auto* head = reinterpret_cast<const std::uint8_t*>(riff.data());
    EXPECT_FALSE(audio::ReadsAsWav("a.mp3", head, 11)) << "too short to be a RIFF WAVE header";
    EXPECT_EQ(0u, audio::SoundFileFilter().find("Sound files (*.wav;*.mp3;"));
    EXPECT_NE(std::string::npos, audio::SoundFileFilter().find("|Wave files (*.wav)|*.wav|All files (*.*)|*.*||"));
}

// An MP3 as encoders write it: an ID3 tag, maybe a Xing or Info frame with a
// LAME tag, then frames of sound (their bodies empty).
struct Mp3File {
    std::uint8_t header[4] = {0xFF, 0xFB, 0x90, 0x00};  // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, stereo: 417 bytes
    std::size_t frameBytes = 417, tagAt = 36;
    const char* tag = "Info";
    bool lame = true, goodCrc = true;
    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> file = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 20};
        file.resize(30);
        std::vector<std::uint8_t> info(frameBytes);
        std::memcpy(info.data(), header, 4);
        if (tag) {
            std::memcpy(&info[tagAt], tag, 4);
            info[tagAt + 7] = 0x0F;                   // frames, bytes, seek table, quality
            info[tagAt + 8 + 3] = 78;                 // frames of sound
            if (lame) {
                const std::size_t at = tagAt + 8 + 4 + 4 + 100 + 4;
                std::memcpy(&info[at], "LAME3.100", 9);
                const std::uint8_t delayAndPadding[3] = {0x24, 0x04, 0x38};  // 576, 1080
                std::memcpy(&info[at + 21], delayAndPadding, 3);
                std::uint16_t crc = 0;  // CRC-16/ARC of what comes before it
                for (std::size_t i = 0; i < at + 34; ++i)
                    for (int bit = 0, b = info[i]; bit < 8; ++bit, b >>= 1)
                        crc = static_cast<std::uint16_t>(((crc ^ b) & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1);
                if (!goodCrc) crc ^= 1;
                info[at + 34] = static_cast<std::uint8_t>(crc >> 8);
                info[at + 35] = static_cast<std::uint8_t>(crc);
            }
        }
        for (int frame = 0; frame < 3; ++frame) {
            file.insert(file.end(), info.begin(), info.end());
            std::fill(info.begin() + 4, info.end(), 0);
        }
        return file;
    }
};

// What an info frame tells, and where the sound starts, for encoders'
// files: with a LAME tag the sound is known to the sample.
TEST(Mp3Frames, TheInfoFrameTellsTheEncodedLengthAndIsNoSound) {
    Mp3File lame, badCrc, xing, plain, mono;
    badCrc.goodCrc = false;
    xing.tag = "Xing";
    xing.lame = false;
    plain.tag = nullptr;
    mono.header[1] = 0xF3;  // MPEG-2, 8 kbit/s, 22.05 kHz: 26 bytes, 576 samples a frame
    mono.header[2] = 0x10;
    mono.header[3] = 0xC0;  // mono: 9 bytes of side information
    mono.frameBytes = 26;
    mono.tagAt = 13;
    mono.lame = false;
    struct Case {
        const char* what;
        const Mp3File& file;
        bool info, gapless;
        std::uint64_t samples;
    } cases[] = {
        {"LAME", lame, true, true, 78 * 1152 - 576 - 1080},
        {"a LAME tag whose check sum fails", badCrc, true, false, 78 * 1152},
        {"Xing, no LAME tag", xing, true, false, 78 * 1152},
        {"frames of sound only", plain, false, false, 0},
        {"MPEG-2 mono", mono, true, false, 78 * 576},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> bytes = c.file.Bytes();
        audio::MemoryByteSource source(bytes.data(), bytes.size());
        const auto start = audio::FindMp3Start(source);
        ASSERT_TRUE(start) << c.what;
        EXPECT_EQ(30u, start->offset) << c.what;
        EXPECT_EQ(c.info ? 30 + c.file.frameBytes : 30, start->soundOffset) << c.what;
        EXPECT_EQ(c.info, start->infoFrame) << c.what;
        EXPECT_EQ(c.gapless, start->gapless) << c.what;
        EXPECT_EQ(c.samples, start->Samples()) << c.what;
    }

    // A decoder given the frames of sound: both delays and the padding go.
    // One that reads the file: its announced length tells what it will give.
    const std::vector<std::uint8_t> bytes = lame.Bytes();
    audio::MemoryByteSource source(bytes.data(), bytes.size());
    const audio::Mp3Start start = *audio::FindMp3Start(source);
    const std::uint64_t sound = 88200;
    EXPECT_EQ(1105u, audio::CutForFramesOfSound(start).skip);
    EXPECT_EQ(sound, audio::CutForFramesOfSound(start).keep);
    const struct {
        std::uint64_t announced, skip, keep;
    } announced[] = {{88200, 0, sound},           // cut already
                     {89856 - 30, 1105, sound},   // the frames of sound, about
                     {91008, 2257, sound},        // the info frame as sound too
                     {0, 0, 0}};                  // not told: nothing is cut
    for (const auto& a : announced) {
        EXPECT_EQ(a.skip, audio::CutForAnnouncedSamples(start, a.announced).skip) << a.announced;
        EXPECT_EQ(a.keep, audio::CutForAnnouncedSamples(start, a.announced).keep) << a.announced;
    }
    const std::vector<std::uint8_t> xingBytes = xing.Bytes();
    audio::MemoryByteSource xingSource(xingBytes.data(), xingBytes.size());
    EXPECT_EQ(0u, audio::CutForAnnouncedSamples(*audio::FindMp3Start(xingSource), 89856).keep);
}

audio::PcmLayout Stereo16() {
    audio::PcmLayout layout;
    layout.format = {2, 8000, 32000, 4, 16};
    layout.validBitsPerSample = 16;
    return layout;
}

// Spool files in memory that take at most `room` bytes.
struct FakeFiles {
    int made = 0;
    std::size_t room = SIZE_MAX;
    std::atomic<int> open{0};
    struct File : audio::SpoolFile {
        std::size_t room;
        std::atomic<int>& open;
        std::vector<std::uint8_t> bytes;
        File(std::size_t r, std::atomic<int>& o) : room(r), open(o) { ++open; }
        ~File() override { --open; }
        bool Append(const void* data, std::size_t n) override {
            const auto* from = static_cast<const std::uint8_t*>(data);
            return bytes.size() + n <= room && (bytes.insert(bytes.end(), from, from + n), true);
        }
        bool Promise(std::uint64_t n) override { return bytes.size() + n <= room; }
        std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t n) override {
            n = offset < bytes.size() ? std::min<std::size_t>(n, bytes.size() - offset) : 0;
            if (n) std::memcpy(to, bytes.data() + offset, n);
            return n;
        }
    };
    audio::SpoolFileMaker Maker() {
        return [this]() -> std::unique_ptr<audio::SpoolFile> {
            ++made;
            return std::make_unique<File>(room, open);
        };
    }
};

std::vector<std::uint8_t> Counting(std::size_t n, std::size_t from = 0) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>((from + i) * 7);
    return v;
}

std::vector<std::uint8_t> ReadAll(audio::PcmSource& source, std::size_t piece) {
    std::vector<std::uint8_t> out(source.Size() + 9);
    std::size_t at = 0;
    while (std::size_t n = source.ReadAt(at, out.data() + at, std::min(piece, out.size() - at))) at += n;
    out.resize(at);
    return out;
}

// Up to its limit a sound stays in memory; the piece that crosses it moves
// everything to one file, read back the same. The limit itself stays in memory.
TEST(PcmSpool, KeepsSamplesInMemoryUpToTheLimitThenInOneFile) {
    const std::size_t limit = 3u << 20;  // three memory blocks
    for (const std::size_t appended : {limit, limit + 6}) {
        FakeFiles files;
        audio::PcmSpool spool(Stereo16(), files.Maker(), limit);
        const std::vector<std::uint8_t> all = Counting(appended);
        for (std::size_t at = 0; at < all.size(); at += 700001)
            ASSERT_TRUE(spool.Append(all.data() + at, std::min<std::size_t>(700001, all.size() - at)));
        EXPECT_EQ(appended > limit, spool.InFile());
        EXPECT_EQ(appended > limit ? 1 : 0, files.made);
        const auto source = spool.Finish();
        const std::size_t whole = appended / 4 * 4;  // a piece of a frame at the end is dropped
        EXPECT_EQ(whole, source->Size());
        EXPECT_EQ(whole, source->LengthBytes());
        EXPECT_EQ(4, source->Layout().format.blockAlign);
        EXPECT_EQ(std::vector<std::uint8_t>(all.begin(), all.begin() + static_cast<long>(whole)),
                  ReadAll(*source, 1u << 20 | 3)) << appended;
        std::uint8_t tail[8];
        EXPECT_EQ(4u, source->ReadAt(whole - 4, tail, sizeof tail)) << "reads end at the sound's end";
    }
}

// A decoder that gives pieces of counting bytes (or of `samples`, over
// again) and then ends or fails.
struct FakeDecoder : audio::Decoder {
    audio::DecodedFormat format{2, 8000, 16, false, 0};
    audio::DecodedSpan span;
    std::vector<std::size_t> pieces;
    std::vector<std::uint8_t> samples;
    Step last = Step::End;
    std::size_t next = 0, given = 0;
    const audio::DecodedFormat& Format() const override { return format; }
    audio::DecodedSpan Span() const override { return span; }
    Step Next(std::vector<std::uint8_t>& piece) override {
        if (next == pieces.size()) return last;
        piece = Counting(pieces[next], given);
        if (!samples.empty())
            for (std::size_t i = 0; i < piece.size(); ++i) piece[i] = samples[(given + i) % samples.size()];
        given += pieces[next++];
        return Step::Piece;
    }
};

audio::DecoderOpener Opener(const FakeDecoder& made) {
    return [made](const std::string&) { return std::unique_ptr<audio::Decoder>(std::make_unique<FakeDecoder>(made)); };
}

// The decoders in the order they are tried: the first that reads the file to
// its end gives the sound; the error says why when none does, and what the
// file says of its length refuses it before a piece is decoded.
TEST(DecodeSound, TheFirstDecoderThatFinishesGivesTheSoundOrTheErrorSaysWhy) {
    auto declines = [](const std::string&) { return std::unique_ptr<audio::Decoder>(); };
    using S = audio::Decoder::Step;
    auto decoder = [](std::vector<std::size_t> pieces, S last, audio::DecodedFormat format = {2, 8000, 16, false, 0},
                      std::uint64_t frames = 0) {
        FakeDecoder d;
        d.pieces = pieces;
        d.last = last;
        d.format = format;
        d.span.frames = frames;
        return Opener(d);
    };
    using E = audio::SoundError;
    const std::uint64_t over4Gb = std::uint64_t{1} << 30;  // frames of 4 bytes: one byte more than positions count
    struct Case {
        const char* what;
        std::vector<audio::DecoderOpener> decoders;
        E error;
        std::uint64_t bytes;
        std::size_t room = 1500;  // past the 1000 bytes of memory
    } cases[] = {
        {"none reads it", {declines, declines}, E::Undecodable, 0},
        {"no decoders at all", {}, E::Undecodable, 0},
        {"the second reads it", {declines, decoder({400, 0, 400}, S::End)}, E::None, 800},
        {"the first fails, the second reads it", {decoder({400}, S::Failed), decoder({100}, S::End)}, E::None, 100},
        {"the only one fails part-way", {decoder({400}, S::Failed), declines}, E::DecodeFailed, 0},
        {"no sound at all", {decoder({}, S::End)}, E::DecodeFailed, 0},
        {"less than a frame", {decoder({3}, S::End)}, E::DecodeFailed, 0},
        {"a rate the card cannot take", {decoder({400}, S::End, {2, 384000, 16, false, 0}), declines},
         E::UnplayableFormat, 0},
        {"24-bit integers", {decoder({600}, S::End, {2, 8000, 24, false, 0})}, E::UnplayableFormat, 0},
        {"one failing beats one that cannot be played",
         {decoder({400}, S::End, {2, 8000, 24, false, 0}), decoder({400}, S::Failed)}, E::DecodeFailed, 0},
        {"no room on disk as it goes", {decoder({700, 700, 700}, S::End), decoder({100}, S::End)}, E::SpoolFailed, 0},
        {"no room on disk for its duration", {decoder({700, 700}, S::End, {2, 8000, 16, false, 0}, 400)},
         E::SpoolNoRoom, 0},
        {"too long by its duration", {decoder({400}, S::End, {2, 8000, 16, false, 0}, over4Gb), decoder({100}, S::End)},
         E::TooLong, 0},
        {"as long as positions count", {decoder({400}, S::End, {2, 8000, 16, false, 0}, over4Gb - 1)}, E::None, 400,
         SIZE_MAX},
    };
    for (const Case& c : cases) {
        FakeFiles files;
        files.room = c.room;
        const audio::OpenedSound sound = audio::DecodeSound("C:\\s\\a.mp3", c.decoders, files.Maker(), 1000);
        EXPECT_EQ(c.error, sound.error) << c.what;
        EXPECT_EQ(c.bytes, sound.source ? sound.source->LengthBytes() : 0) << c.what;
        if (sound.source) {
            EXPECT_EQ(Counting(c.bytes), ReadAll(*sound.source, 64)) << c.what;
        }
    }
}

// An encoder's delay and padding are cut wherever the pieces split the
// frames, and floats or more than two channels become 16-bit samples of at
// most two channels, the extra channels mixed in so that nothing clips.
TEST(DecodeSound, KeepsTheStatedSpanAndGivesSamplesTheCardTakes) {
    auto bytesOf = [](std::vector<float> values, bool floating) {
        std::vector<std::uint8_t> out(values.size() * (floating ? 4 : 2));
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (floating) {
                std::memcpy(&out[i * 4], &values[i], 4);
            } else {
                const auto s = static_cast<std::int16_t>(values[i] * 32768);
                std::memcpy(&out[i * 2], &s, 2);
            }
        }
        return out;
    };
    const float c = 0.70710678f, k = 1 / (1 + 2 * c);  // 5.1's left: front, centre, back
    struct Case {
        const char* what;
        audio::DecodedFormat format;
        std::vector<float> frame;     // given over and over
        std::vector<std::int16_t> heard;  // each frame as the card gets it
    } cases[] = {
        {"16-bit stereo as it is", {2, 8000, 16, false, 0}, {0.25f, -0.5f}, {8192, -16384}},
        {"float stereo", {2, 8000, 32, true, 0}, {0.25f, -2.0f}, {8192, -32768}},
        {"float mono", {1, 8000, 32, true, 0}, {-0.125f}, {-4096}},
        {"5.1: the LFE left out", {6, 8000, 16, false, 0}, {0.5f, 0.25f, 0.5f, 0.9f, -0.5f, 0.25f},
         {static_cast<std::int16_t>(std::lrint((0.5f + c * 0.5f - c * 0.5f) * k * 32768)),
          static_cast<std::int16_t>(std::lrint((0.25f + c * 0.5f + c * 0.25f) * k * 32768))}},
        {"5.1 at full scale does not clip", {6, 8000, 32, true, 0}, {1, 1, 1, 1, 1, 1}, {32767, 32767}},
        {"quad, by its mask: a side pair", {4, 8000, 16, false, 0x603}, {0.5f, 0, 0.5f, 0},
         {static_cast<std::int16_t>(std::lrint((0.5f + c * 0.5f) / (1 + c) * 32768)), 0}},
    };
    for (const Case& t : cases) {
        FakeDecoder d;
        d.format = t.format;
        d.samples = bytesOf(t.frame, t.format.floating);
        const std::size_t frame = d.samples.size();
        d.pieces = {frame * 5 + 1, frame * 30 - 2, frame * 20 + 1};  // 55 frames, split inside frames
        d.span = {7, 40, true};
        FakeFiles files;
        const audio::OpenedSound sound = audio::DecodeSound("a.mp3", {Opener(d)}, files.Maker(), 1 << 20);
        ASSERT_TRUE(sound.source) << t.what;
        const audio::PcmFormat& f = sound.source->Layout().format;
        EXPECT_EQ(16, f.bitsPerSample) << t.what;
        ASSERT_EQ(t.heard.size(), f.channels) << t.what;
        std::vector<std::int16_t> expected;
        for (int i = 0; i < 40; ++i) expected.insert(expected.end(), t.heard.begin(), t.heard.end());
        const std::vector<std::uint8_t> bytes = ReadAll(*sound.source, 100);
        std::vector<std::int16_t> got(bytes.size() / 2);
        std::memcpy(got.data(), bytes.data(), bytes.size());
        ASSERT_EQ(expected.size(), got.size()) << t.what;
        for (std::size_t i = 0; i < got.size(); ++i) ASSERT_NEAR(expected[i], got[i], 1) << t.what << " at " << i;
    }

    // Where the frames differ, the cut is seen: the skip always holds; an
    // exact span ends the decode, another runs to the decoder's end.
    for (const bool exact : {true, false}) {
        FakeDecoder d;
        d.pieces = {10, 30};
        d.span = {3, 5, exact};
        FakeFiles files;
        const audio::OpenedSound sound = audio::DecodeSound("a.mp3", {Opener(d)}, files.Maker(), 1 << 20);
        ASSERT_TRUE(sound.source);
        const std::vector<std::uint8_t> all = Counting(40);
        EXPECT_EQ(std::vector<std::uint8_t>(all.begin() + 12, all.begin() + (exact ? 32 : 40)),
                  ReadAll(*sound.source, 64)) << exact;
    }
}

// A decoder that gives its pieces only as far as the test lets it, on the
// decode's own thread, and says when it is gone.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t allowed = 6, asked = 0;  // pieces let through; the piece the decoder waits for, from 1
    bool gone = false;
    void Set(std::size_t& what, std::size_t value) {
        const std::lock_guard<std::mutex> lock(mutex);
        what = value;
        changed.notify_all();
    }
    bool WaitFor(const std::function<bool()>& done) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(20), done);
    }
};

struct GatedDecoder : FakeDecoder {
    GatedDecoder(const FakeDecoder& made, std::shared_ptr<Gate> g) : FakeDecoder(made), gate(std::move(g)) {}
    ~GatedDecoder() override {
        const std::lock_guard<std::mutex> lock(gate->mutex);
        gate->gone = true;
        gate->changed.notify_all();
    }
    Step Next(std::vector<std::uint8_t>& piece) override {
        gate->Set(gate->asked, next + 1);
        std::unique_lock<std::mutex> lock(gate->mutex);
        gate->changed.wait(lock, [&] { return next < gate->allowed || next == pieces.size(); });
        lock.unlock();
        return FakeDecoder::Next(piece);
    }
    std::shared_ptr<Gate> gate;
};

// The head is handed over as soon as it is decoded, the rest is read as it
// is decoded, and the decode's end gives the length; a sound nobody holds
// any more stops its decode after the piece under way, and its file goes.
TEST(DecodeSoundHeadFirst, HandsTheHeadOverAndDecodesTheRestWhileItIsRead) {
    // 32,000 bytes a second: a head of 0.5 s is four pieces of 4,000; the
    // file states 80,000 bytes; past 50,000 the spool is a file.
    audio::HeadFirst options;
    options.headSeconds = 0.5;
    options.memoryBytes = 50000;
    const struct {
        const char* what;
        std::size_t pieces;
        audio::Decoder::Step last;
        std::uint64_t size;  // 0: whole at once; 1: let go of after six pieces
        audio::SoundError error;
    } cases[] = {
        {"decoded past its stated length", 25, audio::Decoder::Step::End, 100000, audio::SoundError::None},
        {"failing part-way: it ends there, said once", 10, audio::Decoder::Step::Failed, 40000,
         audio::SoundError::DecodeFailed},
        {"shorter than its head", 3, audio::Decoder::Step::End, 0, audio::SoundError::None},
        {"let go of while it decodes", 25, audio::Decoder::Step::End, 1, audio::SoundError::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto gate = std::make_shared<Gate>();
        FakeDecoder d;
        d.pieces.assign(c.pieces, 4000);
        d.last = c.last;
        d.span.frames = 20000;
        FakeFiles files;
        audio::OpenedSound sound = audio::DecodeSoundHeadFirst(
            "a.mp3", {[d, gate](const std::string&) { return std::make_unique<GatedDecoder>(d, gate); }},
            files.Maker(), options);
        ASSERT_TRUE(sound.source);
        audio::PcmSource& source = *sound.source;
        EXPECT_EQ(c.size != 0, !source.SizeKnown());
        if (c.size) {
            EXPECT_EQ(80000u, source.LengthBytes()) << "the stated length until the decode ends";
            ASSERT_TRUE(gate->WaitFor([&] { return gate->asked == 7; }));
            EXPECT_EQ(24000u, source.Ready());
            std::vector<std::uint8_t> got(30000);
            got.resize(source.ReadAt(0, got.data(), got.size()));
            EXPECT_EQ(Counting(24000), got) << "no further than decoded";
        }
        if (c.size == 1) sound.source.reset();
        gate->Set(gate->allowed, c.pieces);
        ASSERT_TRUE(gate->WaitFor([&] { return gate->gone; }));
        EXPECT_EQ(c.size == 1 ? 7u : c.pieces + 1, gate->asked) << "no piece decoded for nobody";
        if (c.size > 1) {
            EXPECT_TRUE(source.SizeKnown());
            EXPECT_EQ(c.size, source.Size());
            EXPECT_EQ(c.size, source.Ready());
            EXPECT_EQ(c.error, source.TakeMakingError());
            EXPECT_EQ(audio::SoundError::None, source.TakeMakingError());
        }
        if (c.size != 1) {
            EXPECT_EQ(Counting(c.size ? c.size : 12000), ReadAll(source, 7000));
        }
        sound.source.reset();
        EXPECT_EQ(0, files.open);
    }
}

}  // namespace

// A head that never comes (its file stopped answering) holds back the rest of
// another sound only while that one keeps its lead: the sound already
// playing is decoded on to its end.
TEST(DecodeSoundHeadFirst, AStuckHeadDoesNotStarveASoundThatPlays) {
    audio::HeadFirst options;
    options.headSeconds = 0.5;
    FakeDecoder d;
    d.pieces.assign(25, 4000);  // 3.125 s at 32,000 bytes a second
    d.span.frames = 25000;
    auto opener = [d](std::shared_ptr<Gate> gate) {
        return [d, gate](const std::string&) { return std::make_unique<GatedDecoder>(d, gate); };
    };
    const auto stuck = std::make_shared<Gate>(), playing = std::make_shared<Gate>();
    stuck->allowed = 0;
    playing->allowed = 25;
    FakeFiles files;
    struct Loading {  // the stuck file answers again when the test ends, however it ends
        std::shared_ptr<Gate> gate;
        std::thread thread;
        ~Loading() {
            gate->Set(gate->allowed, 25);
            thread.join();
        }
    } loading{stuck, std::thread([&] { audio::DecodeSoundHeadFirst("stuck.mp3", {opener(stuck)}, files.Maker(), options); })};
    ASSERT_TRUE(stuck->WaitFor([&] { return stuck->asked == 1; }));
    audio::OpenedSound sound = audio::DecodeSoundHeadFirst("a.mp3", {opener(playing)}, files.Maker(), options);
    ASSERT_TRUE(sound.source);
    ASSERT_TRUE(playing->WaitFor([&] { return playing->gone; }));
    EXPECT_EQ(1u, stuck->asked) << "the stuck head is still being waited for";
    EXPECT_TRUE(sound.source->SizeKnown());
    EXPECT_EQ(100000u, sound.source->Size());
}
