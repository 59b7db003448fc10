#pragma once
// Where a WAV file keeps its format and its sound. The RIFF chunks are walked
// to find "fmt " and "data", as editors and recorders write them (LIST, fact,
// bext or JUNK chunks before the data, 18- or 40-byte format chunks). A file
// in which they cannot be found is read as the canonical 44-byte header with
// the fields at fixed offsets, which is how every file was read before.
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace audio {

constexpr std::size_t kWavHeaderSize = 44;

struct PcmFormat {
    std::uint16_t channels = 1;  // 1 or 2
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;  // recomputed: blockAlign * samplesPerSec
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
};

struct WavHeader {
    PcmFormat format;
    std::uint32_t dataBytes = 0;  // size of the sound buffer
};

// The fixed-offset reading of the canonical header: no tag is checked.
WavHeader ParseWavHeader(const std::uint8_t (&bytes)[kWavHeaderSize]);

// Random access to the bytes of a file.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads up to `bytes` bytes at `offset`; returns how many were read.
    virtual std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) = 0;
};

class MemoryByteSource : public ByteSource {
public:
    MemoryByteSource(const void* data, std::size_t size) : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) override;

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// An open file (binary mode); the caller keeps it open and closes it.
class FileByteSource : public ByteSource {
public:
    explicit FileByteSource(std::FILE* file);
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) override;

private:
    std::FILE* file_;
    std::uint64_t size_ = 0;
};

enum class WavResult {
    Ok,
    TooShort,  // shorter than the 44-byte header: nothing to play, nothing to say
    NotPcm,    // a compressed or otherwise unplayable format tag
};

struct WavInfo {
    PcmFormat format;
    // The extensible format's count of meaningful bits; bitsPerSample otherwise.
    std::uint16_t validBitsPerSample = 0;
    std::uint64_t dataOffset = kWavHeaderSize;  // file offset of the first sample byte
    // What the file holds of the sound: a size claiming more than the file
    // holds (a recorder that stopped short) is cut to whole frames of what is there.
    std::uint32_t dataBytes = 0;
    bool fromChunks = false;  // false: read at the fixed offsets
};

WavResult ReadWavInfo(ByteSource& file, WavInfo& info);

// Where a RIFF WAVE file keeps its "fmt " and "data" chunks' bodies, for a
// decoder of the formats the card does not take. False when the file has
// no such chunks.
struct WavChunks {
    std::uint64_t fmtOffset = 0, dataOffset = 0;
    std::uint32_t fmtBytes = 0, dataBytes = 0;
};
bool FindWavChunks(ByteSource& file, WavChunks& chunks);

// Formats past 16 bits per sample or with fewer valid bits than their
// container are only described by the extensible wave format.
inline bool NeedsExtensibleFormat(const WavInfo& info) {
    return info.format.bitsPerSample > 16 || info.validBitsPerSample != info.format.bitsPerSample;
}

}  // namespace audio
