// Sounds that are not PCM WAV files: which files are sounds and which are
// decoded, the spool that keeps decoded samples, and the choice of decoder.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

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
    struct File : audio::SpoolFile {
        std::size_t room;
        std::vector<std::uint8_t> bytes;
        explicit File(std::size_t r) : room(r) {}
        bool Append(const void* data, std::size_t n) override {
            const auto* from = static_cast<const std::uint8_t*>(data);
            return bytes.size() + n <= room && (bytes.insert(bytes.end(), from, from + n), true);
        }
        std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t n) override {
            n = offset < bytes.size() ? std::min<std::size_t>(n, bytes.size() - offset) : 0;
            if (n) std::memcpy(to, bytes.data() + offset, n);
            return n;
        }
    };
    audio::SpoolFileMaker Maker() {
        return [this]() -> std::unique_ptr<audio::SpoolFile> {
            ++made;
            return std::make_unique<File>(room);
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

// A decoder that gives pieces of counting bytes and then ends or fails.
struct FakeDecoder : audio::Decoder {
    audio::PcmLayout layout = Stereo16();
    std::vector<std::size_t> pieces;
    Step last = Step::End;
    std::size_t next = 0, given = 0;
    const audio::PcmLayout& Layout() const override { return layout; }
    Step Next(std::vector<std::uint8_t>& piece) override {
        if (next == pieces.size()) return last;
        piece = Counting(pieces[next], given);
        given += pieces[next++];
        return Step::Piece;
    }
};

// The decoders in the order they are tried: the first that reads the file to
// its end gives the sound; the error says why when none does.
TEST(DecodeSound, TheFirstDecoderThatFinishesGivesTheSoundOrTheErrorSaysWhy) {
    auto declines = [](const std::string&) { return std::unique_ptr<audio::Decoder>(); };
    auto decoder = [](std::vector<std::size_t> pieces, audio::Decoder::Step last, std::uint16_t channels = 2) {
        return [=](const std::string&) {
            auto d = std::make_unique<FakeDecoder>();
            d->pieces = pieces;
            d->last = last;
            d->layout.format.channels = channels;  // 6 channels: not playable as such
            return std::unique_ptr<audio::Decoder>(std::move(d));
        };
    };
    using S = audio::Decoder::Step;
    using E = audio::SoundError;
    struct Case {
        const char* what;
        std::vector<audio::DecoderOpener> decoders;
        E error;
        std::uint64_t bytes;
    } cases[] = {
        {"none reads it", {declines, declines}, E::Undecodable, 0},
        {"no decoders at all", {}, E::Undecodable, 0},
        {"the second reads it", {declines, decoder({400, 0, 400}, S::End)}, E::None, 800},
        {"the first fails, the second reads it", {decoder({400}, S::Failed), decoder({100}, S::End)}, E::None, 100},
        {"the only one fails part-way", {decoder({400}, S::Failed), declines}, E::DecodeFailed, 0},
        {"no sound at all", {decoder({}, S::End)}, E::DecodeFailed, 0},
        {"less than a frame", {decoder({3}, S::End)}, E::DecodeFailed, 0},
        {"a layout the card cannot take", {decoder({400}, S::End, 6)}, E::Undecodable, 0},
        {"no room on disk", {decoder({700, 700, 700}, S::End), decoder({100}, S::End)}, E::SpoolFailed, 0},
    };
    for (const Case& c : cases) {
        FakeFiles files;
        files.room = 1500;  // past the 1000 bytes of memory
        const audio::OpenedSound sound = audio::DecodeSound("C:\\s\\a.mp3", c.decoders, files.Maker(), 1000);
        EXPECT_EQ(c.error, sound.error) << c.what;
        EXPECT_EQ(c.bytes, sound.source ? sound.source->LengthBytes() : 0) << c.what;
        if (sound.source) {
            EXPECT_EQ(Counting(c.bytes), ReadAll(*sound.source, 64)) << c.what;
        }
    }
}

}  // namespace
