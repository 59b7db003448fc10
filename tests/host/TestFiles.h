#pragma once
// Real files for the tests: a fresh folder per test, WAV files with the
// canonical 44-byte header, and plain text files read back byte for byte.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testfiles {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "clangster-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) ADD_FAILURE() << "cannot create a temporary folder";
        dir_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    const std::filesystem::path& dir() const { return dir_; }

    std::string WriteBytes(const std::string& name, const std::string& bytes) const {
        const std::string path = Path(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path dir_;
};

struct WavFields {
    std::uint16_t channels = 1;
    std::uint32_t samplesPerSec = 8000;
    std::uint32_t headerAvgBytesPerSec = 0;  // offset 28, which the program ignores
    std::uint16_t blockAlign = 1;
    std::uint16_t bitsPerSample = 8;
    std::uint32_t dataBytes = 0;  // offset 40
};

inline void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A canonical RIFF/WAVE/fmt/data header.
inline std::vector<std::uint8_t> WavHeaderBytes(const WavFields& s) {
    std::vector<std::uint8_t> b(44, 0);
    const std::string tags = "RIFF....WAVEfmt ";
    std::copy(tags.begin(), tags.end(), b.begin());
    Put32(b, 4, 36 + s.dataBytes);
    Put32(b, 16, 16);
    Put16(b, 20, 1);
    Put16(b, 22, s.channels);
    Put32(b, 24, s.samplesPerSec);
    Put32(b, 28, s.headerAvgBytesPerSec);
    Put16(b, 32, s.blockAlign);
    Put16(b, 34, s.bitsPerSample);
    const std::string dataTag = "data";
    std::copy(dataTag.begin(), dataTag.end(), b.begin() + 36);
    Put32(b, 40, s.dataBytes);
    return b;
}

// Writes the header and then followingBytes bytes of silence (the header's data
// size unless told otherwise, so a file can claim more data than it holds).
inline std::string WriteWav(const TempDir& dir, const std::string& name, const WavFields& wav,
                            long long followingBytes = -1) {
    const auto header = WavHeaderBytes(wav);
    std::string bytes(header.begin(), header.end());
    bytes.append(static_cast<std::size_t>(followingBytes < 0 ? wav.dataBytes : followingBytes), '\x80');
    return dir.WriteBytes(name, bytes);
}

// A mono 8-bit sound whose whole file, header included, lasts exactly
// `seconds` at `bytesPerSec`, so the board's duration is a round figure.
inline std::string WriteSound(const TempDir& dir, const std::string& name, double seconds,
                              std::uint32_t bytesPerSec = 8000) {
    WavFields wav;
    wav.samplesPerSec = bytesPerSec;
    wav.dataBytes = static_cast<std::uint32_t>(seconds * bytesPerSec) - 44;
    return WriteWav(dir, name, wav);
}

}  // namespace testfiles
