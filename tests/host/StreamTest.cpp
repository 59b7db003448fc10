// A streamed sound through a fake ring: what the card hears across the
// ring's wrap, the loop seam, seeks, the end, a dry ring and a read error.
// Each frame of the fake sound holds its number + 1, so what is heard tells
// where in the sound it came from; silence is 0.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "TestFiles.h"
#include "audio/SharedReader.h"
#include "audio/SoundSize.h"
#include "audio/SoundStream.h"
#include "audio/StreamThreads.h"

namespace {

constexpr std::uint32_t kFrames = 1000, kHeadFrames = 80;

class FakeSource : public audio::PcmSource {
public:
    const audio::PcmLayout& Layout() const override { return layout_; }
    // Of a sound still being decoded (not known): the stated length, or what is decoded once that is more.
    std::uint64_t Size() const override { return std::max(frames, known ? 0 : ready) * 4; }
    std::uint64_t LengthBytes() const override { return Size(); }
    std::uint64_t Ready() const override { return ready * 4; }
    bool SizeKnown() const override { return known; }
    std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) override {
        ++reads;
        for (std::size_t i = 0; i < bytes; i += 4) {
            if (offset + i >= failFrom * 4) return i;
            const auto value = static_cast<std::uint32_t>((offset + i) / 4 + 1);
            std::memcpy(static_cast<char*>(to) + i, &value, 4);
        }
        return bytes;
    }
    std::uint64_t failFrom = kFrames;
    std::uint64_t ready = kFrames;  // frames the source has so far
    std::uint64_t frames = kFrames;
    bool known = true;
    // The decode ended with this many frames.
    void Decoded(std::uint64_t n) {
        ready = frames = n;
        known = true;
    }
    int reads = 0;

private:
    audio::PcmLayout layout_;
};

class FakeRing : public audio::SoundRing {
public:
    std::uint32_t Size() const override { return static_cast<std::uint32_t>(bytes.size()); }
    bool Cursor(std::uint32_t& at, bool& lapped) override {
        at = cursor;
        lapped = std::exchange(lapNext, false);
        return true;
    }
    bool Write(std::uint32_t at, const std::uint8_t* from, std::uint32_t count) override {
        for (std::uint32_t i = 0; i < count; ++i) bytes[(at + i) % Size()] = from ? from[i] : 0;
        return true;
    }
    bool Start() override { return running = true; }
    bool Halt() override { return !(running = false); }
    // The card plays one frame, if the ring runs.
    void PlayFrame(std::vector<std::uint32_t>& heard) {
        if (!running) return;
        std::uint32_t value;
        std::memcpy(&value, &bytes[cursor], 4);
        heard.push_back(value);
        cursor = (cursor + 4) % Size();
    }
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(64 * 4, 0xEE);  // old sound, never to be heard
    std::uint32_t cursor = 4 * 13;
    bool running = false, lapNext = false;
};

struct Rig {
    // prepare: the source as it is when the stream is made.
    explicit Rig(const std::function<void(FakeSource&)>& prepare = {}) {
        if (prepare) prepare(*source);
        audio::StreamSizes sizes;
        sizes.frame = 4;
        sizes.ring = 64 * 4;
        sizes.ahead = 48 * 4;
        sizes.guard = 16 * 4;
        sizes.chunk = 8 * 4;
        sizes.head = kHeadFrames * 4;
        sizes.block = 16 * 4;
        sizes.readAhead = 32 * 4;
        auto head = std::make_shared<std::vector<std::uint8_t>>(std::min<std::uint64_t>(sizes.head, source->Ready()));
        source->ReadAt(0, head->data(), head->size());
        auto owned = std::make_unique<FakeRing>();
        ring = owned.get();
        stream = std::make_unique<audio::SoundStream>(source, head, std::move(owned), sizes);
        EXPECT_EQ(0, stream->SetPosition(0));
    }
    // Who takes a turn every 8 frames, besides the UI's refresh.
    enum class Turns { None, Feeder, Both };
    // The card plays `frames` frames.
    void Listen(int frames, Turns turns = Turns::Both) {
        for (int i = 0; i < frames; ++i) {
            ring->PlayFrame(heard);
            if (i % 8) continue;
            std::uint32_t status = 0;
            stream->GetStatus(status);
            if (turns == Turns::Both) stream->Read(false);
            if (turns != Turns::None) stream->Feed();
        }
    }
    std::uint32_t Position() {
        std::uint32_t bytes = 0;
        EXPECT_EQ(0, stream->GetPosition(bytes));
        return bytes / 4;
    }
    bool Playing() {
        std::uint32_t status = 0;
        stream->GetStatus(status);
        return status & audio::kStatusPlaying;
    }
    std::shared_ptr<FakeSource> source = std::make_shared<FakeSource>();
    FakeRing* ring;
    std::unique_ptr<audio::SoundStream> stream;
    std::vector<std::uint32_t> heard;
};

// Frame values "a-b,c-d" (a to b, then c to d).
std::vector<std::uint32_t> Frames(const std::string& ranges) {
    std::vector<std::uint32_t> out;
    unsigned a = 0, b = 0;
    for (const char* p = ranges.c_str(); std::sscanf(p, "%u-%u", &a, &b) == 2; p = std::strchr(p, ',') + 1) {
        for (unsigned v = a; v <= b; ++v) out.push_back(v);
        if (!std::strchr(p, ',')) break;
    }
    return out;
}

TEST(SoundStream, PlaysWhatTheSoundHoldsWhereverItIsAndWhateverBefalls) {
    struct Case {
        const char* what;
        std::function<void(Rig&)> act;
        const char* heard;       // without the silence
        bool gapless;            // and no silence within it
        std::uint32_t position;  // in frames, when done
        bool playing;
    };
    const Case cases[] = {
        {"round the ring many times", [](Rig& r) { r.stream->Play(false); r.Listen(600); }, "1-600", true, 600, true},
        {"over the loop's seam from the end to the start",
         [](Rig& r) { r.stream->SetPosition(950 * 4); r.stream->Play(true); r.Listen(8, Rig::Turns::None); r.Listen(192); },
         "951-1000,1-141", true, 141, true},
        {"to the end without looping: stopped and rewound",
         [](Rig& r) { r.stream->SetPosition(950 * 4); r.stream->Play(false); r.Listen(120); }, "951-1000", true, 0,
         false},
        {"from the start again after the end, before the feeder's turn",
         [](Rig& r) { r.stream->SetPosition(990 * 4); r.stream->Play(false); r.Listen(60); r.stream->Play(false);
             r.Listen(8, Rig::Turns::None); }, "991-1000,1-8", false, 8, true},
        {"a seek far from the head while playing waits for the reader, then goes on there",
         [](Rig& r) { r.stream->Play(false); r.Listen(20); r.stream->SetPosition(700 * 4); r.Listen(4, Rig::Turns::None);
             EXPECT_EQ(700u, r.Position()); r.Listen(10); }, "1-20,701-709", true, 709, true},
        {"a seek within the head starts at once",
         [](Rig& r) { r.stream->SetPosition(10 * 4); r.stream->Play(false); r.Listen(30, Rig::Turns::None); }, "11-40", true, 40,
         true},
        {"a seek at or past the end is refused",
         [](Rig& r) { r.stream->SetPosition(5 * 4); EXPECT_NE(0, r.stream->SetPosition(kFrames * 4)); }, "", true, 5,
         false},
        {"a reader that stalls while the read-ahead lasts goes unheard",
         [](Rig& r) { r.stream->SetPosition(200 * 4); r.stream->Play(false); r.Listen(100);
             r.Listen(70, Rig::Turns::Feeder); r.Listen(10); }, "201-379", true, 379, true},
        {"a reader stalled past the read-ahead: silence, then on where the sound broke off",
         [](Rig& r) { r.stream->SetPosition(200 * 4); r.stream->Play(false); r.Listen(100);
             r.Listen(150, Rig::Turns::Feeder); r.Listen(40); }, "201-415", false, 415, true},
        {"a source still being made: silence where it has nothing yet, then on once it has",
         [](Rig& r) { r.source->ready = 150; r.stream->Play(false); r.Listen(200); r.source->ready = kFrames;
             r.Listen(40); }, "1-189", false, 189, true},
        {"a ring that ran dry plays silence, then goes on where the sound broke off",
         [](Rig& r) { r.stream->SetPosition(200 * 4); r.stream->Play(false); r.Listen(9); r.Listen(100, Rig::Turns::None);
             r.Listen(60); }, "201-291", false, 291, true},
        {"after a cursor that may have lapped the ring, the sound goes on after what was written",
         [](Rig& r) { r.stream->Play(false); r.Listen(16); for (int i = 0; i < 200; ++i) r.ring->PlayFrame(r.heard);
             r.ring->lapNext = true; r.Playing(); r.heard.clear(); r.Listen(15); }, "58-72", true, 72, true},
        {"switching the loop on at the end's doorstep plays the start after it",
         [](Rig& r) { r.stream->SetPosition(990 * 4); r.stream->Play(false); r.Listen(5); r.stream->Stop();
             r.stream->Play(true); r.Listen(20, Rig::Turns::None); }, "991-1000,1-14", true, 14, true},
        {"pausing keeps the place; the next start goes on from it",
         [](Rig& r) { r.stream->Play(false); r.Listen(300); r.stream->Stop(); r.Listen(50); r.stream->Play(false);
             r.Listen(50); }, "1-350", true, 350, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        c.act(rig);
        std::vector<std::uint32_t> sound;
        for (std::uint32_t v : rig.heard)
            if (v) sound.push_back(v);
        EXPECT_EQ(Frames(c.heard), sound);
        const auto first = std::find_if(rig.heard.begin(), rig.heard.end(), [](auto v) { return v != 0; });
        const auto last = std::find_if(rig.heard.rbegin(), rig.heard.rend(), [](auto v) { return v != 0; }).base();
        if (c.gapless && first < last) {
            EXPECT_EQ(std::find(first, last, 0u), last) << "silence within the sound";
        }
        EXPECT_EQ(c.position, rig.Position());
        EXPECT_EQ(c.playing, rig.Playing());
        EXPECT_EQ(audio::SoundError::None, rig.stream->TakeError());
    }
}

// A sound still being decoded, made with 50 of the 1,000 frames its file
// states: silent where the decode has not got to, never old sound, and its
// end where the decode ends once it has.
TEST(SoundStream, PlaysASoundAsItIsDecodedAndEndsWhereTheDecodeEnds) {
    struct Case {
        const char* what;
        std::function<void(Rig&)> act;
        const char* heard;  // without the silence
        std::uint32_t position;
        bool playing;
    };
    const Case cases[] = {
        {"the decode ends short of the stated length: the sound ends there",
         [](Rig& r) { r.stream->Play(false); r.Listen(60); r.source->Decoded(600); r.Listen(700); }, "1-600", 0, false},
        {"looping, it wraps at the length the decode found",
         [](Rig& r) { r.stream->Play(true); r.Listen(60); r.source->Decoded(600); r.Listen(700); }, "1-600,1-149", 149,
         true},
        {"the decode ends where the ring ran dry",
         [](Rig& r) { r.stream->Play(false); r.source->ready = 300; r.Listen(400); r.source->Decoded(300);
             r.Listen(50); }, "1-300", 0, false},
        {"decoded past the stated length, it plays on",
         [](Rig& r) { r.stream->SetPosition(950 * 4); r.source->ready = 1100; r.stream->Play(false); r.Listen(100);
             r.source->Decoded(1100); r.Listen(100); }, "951-1100", 0, false},
        {"a seek past what is decoded is heard once it is decoded",
         [](Rig& r) { r.stream->SetPosition(500 * 4); r.stream->Play(false); r.Listen(50); r.source->ready = 700;
             r.Listen(40); }, "501-539", 539, true},
        {"a seek past the end the decode found: the end at once",
         [](Rig& r) { r.stream->SetPosition(800 * 4); r.stream->Play(false); r.Listen(20); r.source->Decoded(600);
             r.Listen(20); }, "", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig([](FakeSource& s) {
            s.ready = 50;
            s.known = false;
            s.failFrom = 2000;
        });
        c.act(rig);
        std::vector<std::uint32_t> sound;
        for (std::uint32_t v : rig.heard)
            if (v) sound.push_back(v);
        EXPECT_EQ(Frames(c.heard), sound);
        // A loop's seam, at the end the decode found, has no gap.
        const auto seam = std::find(rig.heard.begin(), rig.heard.end(), 600u);
        if (std::strstr(c.heard, "600,1-")) {
            EXPECT_TRUE(seam < rig.heard.end() - 1 && seam[1] == 1u) << "a gap at the seam";
        }
        EXPECT_EQ(c.position, rig.Position());
        EXPECT_EQ(c.playing, rig.Playing());
        EXPECT_EQ(audio::SoundError::None, rig.stream->TakeError());
    }
}

TEST(SoundStream, AReadErrorStopsTheSoundRewoundAndSaysSoOnce) {
    Rig rig;
    rig.source->failFrom = 400;
    rig.stream->Play(true);
    rig.Listen(600);
    const std::vector<std::uint32_t> upToTheError = Frames("1-" + std::to_string(rig.heard.size()));
    EXPECT_EQ(upToTheError, rig.heard) << "nothing but the sound, in order, and then nothing";
    EXPECT_LE(rig.heard.size(), 400u);
    EXPECT_FALSE(rig.Playing());
    EXPECT_EQ(0u, rig.Position());
    EXPECT_EQ(audio::SoundError::StreamRead, rig.stream->TakeError());
    EXPECT_EQ(audio::SoundError::None, rig.stream->TakeError());

    // The source is not tried again until the next Play, which reads on past the place.
    rig.source->failFrom = kFrames;
    const int reads = rig.source->reads;
    rig.Listen(100);
    EXPECT_EQ(reads, rig.source->reads);
    rig.heard.clear();
    rig.stream->SetPosition(390 * 4);
    rig.stream->Play(false);
    rig.Listen(40);
    EXPECT_EQ(Frames("391-429"), rig.heard);
    EXPECT_EQ(audio::SoundError::None, rig.stream->TakeError());
}

// A file whose reads failed (a share that dropped) is opened again by its
// path at the next read, but only while the path holds the same sound.
TEST(StreamedFile, AFileThatFailedIsOpenedAgainByItsPathWhileItHoldsTheSameSound) {
    testfiles::TempDir dir;
    testfiles::WavFields wav;
    wav.dataBytes = 8000;
    const std::string path = testfiles::WriteWav(dir, "long.wav", wav);
    const audio::OpenedSound sound = audio::OpenWav(path);
    ASSERT_TRUE(sound.source);
    std::vector<std::uint8_t> bytes(1000);
    auto read = [&] { return sound.source->ReadAt(4000, bytes.data(), bytes.size()); };
    // Gone under the handle that reads it (the file it holds cut short), and from its path.
    auto lose = [&] {
        std::filesystem::resize_file(path, 44);
        EXPECT_EQ(0u, read());
        std::filesystem::remove(path);
    };
    EXPECT_EQ(1000u, read());
    lose();
    EXPECT_EQ(0u, read()) << "nothing at its path";
    testfiles::WriteWav(dir, "long.wav", wav);
    EXPECT_EQ(1000u, read()) << "the same sound back at its path";
    lose();
    wav.dataBytes = 6000;
    testfiles::WriteWav(dir, "long.wav", wav);
    EXPECT_EQ(0u, read()) << "another sound in its place";
}

TEST(SoundStream, SizesAreWholeFramesAndHoldTheirOrder) {
    EXPECT_TRUE(audio::StaysResident(audio::kResidentBytes));
    EXPECT_FALSE(audio::StaysResident(audio::kResidentBytes + 1));
    for (const auto& [perSec, frame] : {std::pair{176400u, 4u}, {8000u, 1u}, {288000u, 6u}, {11025u, 3u}}) {
        const audio::StreamSizes s = audio::StreamSizes::For(perSec, frame);
        for (std::uint32_t bytes : {s.ring, s.ahead, s.guard, s.chunk, s.head}) EXPECT_EQ(0u, bytes % frame) << perSec;
        EXPECT_LE(s.ahead + s.guard, s.ring);
        EXPECT_LT(s.chunk, s.ahead);
        EXPECT_GE(s.head, s.ahead) << "a start from the head fills the ring without the disk";
        EXPECT_LE(s.head, audio::kResidentBytes);
        // A monitor's ring fed from samples in memory: starts on its head, holds a fraction of the above.
        const audio::StreamSizes m = audio::StreamSizes::ForMemory(perSec, frame);
        for (std::uint32_t bytes : {m.ring, m.ahead, m.guard, m.chunk, m.head, m.block}) EXPECT_EQ(0u, bytes % frame);
        EXPECT_LE(m.ahead + m.guard, m.ring);
        EXPECT_LT(m.chunk, m.ahead);
        EXPECT_GE(m.head, m.chunk) << "a start needs no read";
        EXPECT_GE(m.readAhead, m.block);
        EXPECT_LE(m.ring + m.head + m.readAhead + m.block, (s.ring + s.head) / 4) << perSec;
    }
}

}  // namespace

// --- Eighteen streams under the program's own threads ------------------------
//
// One feeder and a reader per stream, as the program runs them, with rings
// that a fake card plays in real time at 44.1 kHz. Seventeen sources answer
// each read after 100 ms; one blocks for 3 s in its second read, long past
// what it has in memory.

namespace threaded {

constexpr std::uint32_t kRate = 44100, kBytesPerSec = kRate * 4;
constexpr std::uint64_t kStart = 10 * kRate;  // frames: past the head, so every start needs its reader

class SlowSource : public audio::PcmSource {
public:
    SlowSource() { layout_.format = {2, kRate, kBytesPerSec, 4, 16}; }
    const audio::PcmLayout& Layout() const override { return layout_; }
    std::uint64_t Size() const override { return 60ull * kBytesPerSec; }
    std::uint64_t LengthBytes() const override { return Size(); }
    std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) override {
        const bool stalls = ++reads_ == stallOnRead;
        std::this_thread::sleep_for(stalls ? std::chrono::seconds(3) : std::chrono::milliseconds(100));
        if (stalls) stalled = true;
        Fill(offset, to, bytes);
        return bytes;
    }
    static void Fill(std::uint64_t offset, void* to, std::size_t bytes) {
        for (std::size_t i = 0; i < bytes; i += 4) {
            const auto value = static_cast<std::uint32_t>((offset + i) / 4 + 1);
            std::memcpy(static_cast<char*>(to) + i, &value, 4);
        }
    }
    int stallOnRead = 0;
    std::atomic<bool> stalled{false};  // the stalling read has returned

private:
    audio::PcmLayout layout_;
    int reads_ = 0;  // the stream's reader alone reads
};

// A ring the card plays whenever it runs; what it heard is judged as it goes.
class ClockRing : public audio::SoundRing {
public:
    explicit ClockRing(std::uint32_t size) : bytes_(size, 0xEE) {}
    std::uint32_t Size() const override { return static_cast<std::uint32_t>(bytes_.size()); }
    bool Cursor(std::uint32_t& at, bool& lapped) override {
        std::lock_guard<std::mutex> lock(mutex_);
        at = cursor_;
        lapped = std::exchange(sinceCursor_, 0) >= bytes_.size();
        return true;
    }
    bool Write(std::uint32_t at, const std::uint8_t* from, std::uint32_t count) override {
        std::lock_guard<std::mutex> lock(mutex_);
        for (std::uint32_t i = 0; i < count; ++i) bytes_[(at + i) % Size()] = from ? from[i] : 0;
        return true;
    }
    bool Start() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return running_ = true;
    }
    bool Halt() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (running_ && !closing_) ++halts;
        running_ = false;
        return true;
    }
    void Play(std::uint64_t frames) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (std::uint64_t f = 0; running_ && f < frames; ++f) {
            std::uint32_t value;
            std::memcpy(&value, &bytes_[cursor_], 4);
            cursor_ = (cursor_ + 4) % Size();
            sinceCursor_ += 4;
            if (!value) {
                silent += last != 0;
            } else {
                wrong += last && value != last + 1;  // old sound, or a jump
                last = value;
            }
        }
    }
    void Closing() {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    std::uint32_t Last() {
        std::lock_guard<std::mutex> lock(mutex_);
        return last;
    }
    // Frames of silence after the first sound, frames out of order, halts.
    std::uint64_t silent = 0, wrong = 0, halts = 0;
    std::uint32_t last = 0;

private:
    std::mutex mutex_;
    std::vector<std::uint8_t> bytes_;
    std::uint32_t cursor_ = 0;
    std::uint64_t sinceCursor_ = 0;
    bool running_ = false, closing_ = false;
};

// A monitor's rings: samples in memory, one reader for all of them.
TEST(SoundStreamThreads, EighteenStreamsFromMemoryShareOneReaderAndPlayWithoutAGap) {
    class MemorySource : public SlowSource {
    public:
        std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) override {
            Fill(offset, to, bytes);
            return bytes;
        }
    };
    const audio::StreamSizes sizes = audio::StreamSizes::ForMemory(kBytesPerSec, 4);
    ASSERT_TRUE(sizes.inMemory);
    audio::StreamFeeder feeder(std::chrono::milliseconds(100));
    audio::SharedReader reader(std::chrono::milliseconds(20));
    std::vector<ClockRing*> rings;
    std::vector<std::shared_ptr<audio::SoundStream>> streams;
    for (int i = 0; i < 18; ++i) {
        auto head = std::make_shared<std::vector<std::uint8_t>>(sizes.head);
        SlowSource::Fill(0, head->data(), head->size());
        auto ring = std::make_unique<ClockRing>(sizes.ring);
        rings.push_back(ring.get());
        streams.push_back(std::make_shared<audio::SoundStream>(std::make_shared<MemorySource>(), head, std::move(ring),
                                                               sizes));
        ASSERT_EQ(0, streams.back()->SetPosition(kStart * 4));  // past the head: the shared reader brings it
        reader.Add(streams.back());
        feeder.Add(streams.back());
    }
    for (auto& stream : streams) ASSERT_EQ(0, stream->Play(false));
    reader.Wake();
    feeder.Wake();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    auto before = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));  // the card's period: it plays what time brought
        const auto frames =
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - before).count() *
            kRate / 1000000;
        before += std::chrono::microseconds(frames * 1000000 / kRate);
        for (ClockRing* ring : rings) ring->Play(static_cast<std::uint64_t>(frames));
    }
    for (int i = 0; i < 18; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(0u, rings[i]->wrong);
        EXPECT_EQ(0u, rings[i]->silent);
        EXPECT_EQ(0u, rings[i]->halts);
        EXPECT_GT(rings[i]->last, kStart + kRate) << "played on from where it was put";
        rings[i]->Closing();
    }
    for (auto& stream : streams) stream->Close();
    streams.clear();
    // The reader lets go of them in its next round; a loaded machine may be slow to run it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (reader.streamCount() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(0u, reader.streamCount()) << "closed streams are let go";
}

TEST(SoundStreamThreads, OneStalledFileSilencesOnlyItsOwnStreamAndNobodyHearsOldSound) {
    constexpr int kStreams = 18, kStalled = 5;
    const audio::StreamSizes sizes = audio::StreamSizes::For(kBytesPerSec, 4);
    audio::StreamFeeder feeder(std::chrono::milliseconds(100));
    std::vector<std::shared_ptr<SlowSource>> sources;
    std::vector<ClockRing*> rings;
    std::vector<std::shared_ptr<audio::SoundStream>> streams;
    for (int i = 0; i < kStreams; ++i) {
        sources.push_back(std::make_shared<SlowSource>());
        if (i == kStalled) sources.back()->stallOnRead = 2;
        auto head = std::make_shared<std::vector<std::uint8_t>>(sizes.head);
        SlowSource::Fill(0, head->data(), head->size());
        auto ring = std::make_unique<ClockRing>(sizes.ring);
        rings.push_back(ring.get());
        streams.push_back(std::make_shared<audio::SoundStream>(sources.back(), head, std::move(ring), sizes));
        ASSERT_EQ(0, streams.back()->SetPosition(kStart * 4));
        ASSERT_TRUE(audio::StartStreamReader(streams.back()));
        feeder.Add(streams.back());
    }
    for (auto& stream : streams) ASSERT_EQ(0, stream->Play(false));
    feeder.Wake();

    // The card plays every running ring as time goes; the board's refresh
    // looks at each stream every tenth of a second; until the stalled stream
    // has been heard again well after its read returned.
    std::atomic<bool> done{false};
    std::thread card([&] {
        auto before = std::chrono::steady_clock::now();
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            const auto now = std::chrono::steady_clock::now();
            const auto frames = std::chrono::duration_cast<std::chrono::microseconds>(now - before).count() * kRate / 1000000;
            before += std::chrono::microseconds(frames * 1000000 / kRate);
            for (ClockRing* ring : rings) ring->Play(static_cast<std::uint64_t>(frames));
        }
    });
    std::uint32_t resumedFrom = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        for (auto& stream : streams) {
            std::uint32_t status = 0;
            stream->GetStatus(status);
        }
        if (!resumedFrom && sources[kStalled]->stalled) resumedFrom = rings[kStalled]->Last();
        if (resumedFrom && rings[kStalled]->Last() > resumedFrom + kRate / 2) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    for (ClockRing* ring : rings) ring->Closing();
    done = true;
    card.join();

    EXPECT_GT(rings[kStalled]->last, resumedFrom + kRate / 2) << "the stalled stream plays again once its read returns";
    EXPECT_GE(rings[kStalled]->halts, 1u) << "the stall outlasted what it had in memory";
    for (int i = 0; i < kStreams; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(0u, rings[i]->wrong) << "old sound or a jump";
        if (i == kStalled) continue;
        EXPECT_EQ(0u, rings[i]->silent);
        EXPECT_EQ(0u, rings[i]->halts);
        EXPECT_GT(rings[i]->last, kStart + 3 * kRate) << "played through the stall";
    }
    EXPECT_EQ(audio::SoundError::None, streams[kStalled]->TakeError());

    // Closed, every reader ends by itself.
    std::vector<std::weak_ptr<audio::SoundStream>> gone(streams.begin(), streams.end());
    for (auto& stream : streams) stream->Close();
    streams.clear();
    for (auto& stream : gone) feeder.Remove(stream.lock().get());
    const auto ended = [&] { return std::all_of(gone.begin(), gone.end(), [](auto& s) { return s.expired(); }); };
    for (int i = 0; i < 600 && !ended(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(ended());
}

}  // namespace threaded
