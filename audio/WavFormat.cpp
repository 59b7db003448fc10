#include "audio/WavFormat.h"

#include <algorithm>
#include <cstring>

namespace audio {
namespace {

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
bool IsTag(const std::uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr std::size_t kPcmFmtSize = 16;
constexpr std::size_t kExtensibleFmtSize = 40;
// The PCM sub-format of the extensible format, as stored in the file.
constexpr std::uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                            0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// Real files have a handful of chunks; a file of millions of empty ones is
// read the old way rather than walked for long.
constexpr int kMaxChunks = 4096;

struct Chunk {
    std::uint64_t offset = 0;  // of its body
    std::uint32_t size = 0;
    bool found = false;
};

// Walks the chunks after "RIFF" size "WAVE" to the first "fmt " and "data".
// The RIFF size is not trusted: writers that stopped short leave it wrong.
bool FindChunks(ByteSource& file, Chunk& fmt, Chunk& data) {
    std::uint8_t head[12];
    if (file.ReadAt(0, head, sizeof head) != sizeof head || !IsTag(head, "RIFF") || !IsTag(head + 8, "WAVE"))
        return false;
    const std::uint64_t size = file.Size();
    std::uint64_t at = sizeof head;
    for (int n = 0; n < kMaxChunks && at + 8 <= size; ++n) {
        std::uint8_t h[8];
        if (file.ReadAt(at, h, sizeof h) != sizeof h) return false;
        const Chunk chunk{at + 8, U32(h + 4), true};
        if (!fmt.found && IsTag(h, "fmt ") && chunk.size >= kPcmFmtSize && chunk.offset + kPcmFmtSize <= size)
            fmt = chunk;
        if (!data.found && IsTag(h, "data")) data = chunk;
        if (fmt.found && data.found) return true;
        at = chunk.offset + chunk.size + (chunk.size & 1);  // bodies are padded to even sizes
    }
    return false;
}

// Anything with more than one channel is handed over as stereo, and the byte
// rate follows the block alignment, as the fixed header reading always did.
PcmFormat MakeFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t blockAlign, std::uint16_t bits) {
    PcmFormat f;
    f.channels = channels > 1 ? 2 : 1;
    f.samplesPerSec = rate;
    f.blockAlign = blockAlign;
    f.bitsPerSample = bits;
    f.avgBytesPerSec = blockAlign * rate;  // wraps like a DWORD
    return f;
}

WavResult ReadFmtChunk(ByteSource& file, const Chunk& fmt, WavInfo& info) {
    std::uint8_t b[kExtensibleFmtSize] = {};
    const std::size_t want = std::min<std::size_t>(fmt.size, sizeof b);
    const std::size_t got = file.ReadAt(fmt.offset, b, want);
    if (got < kPcmFmtSize) return WavResult::TooShort;
    info.format = MakeFormat(U16(b + 2), U32(b + 4), U16(b + 12), U16(b + 14));
    info.validBitsPerSample = info.format.bitsPerSample;
    const std::uint16_t tag = U16(b);
    if (tag == kFormatPcm) return WavResult::Ok;
    if (tag != kFormatExtensible || got < kExtensibleFmtSize || U16(b + 16) < kExtensibleFmtSize - 18 ||
        std::memcmp(b + 24, kPcmSubFormat, sizeof kPcmSubFormat) != 0)
        return WavResult::NotPcm;
    const std::uint16_t valid = U16(b + 18);
    if (valid != 0 && valid < info.format.bitsPerSample) info.validBitsPerSample = valid;
    return WavResult::Ok;
}

}  // namespace

WavHeader ParseWavHeader(const std::uint8_t (&b)[kWavHeaderSize]) {
    WavHeader h;
    h.format = MakeFormat(U16(b + 22), U32(b + 24), U16(b + 32), U16(b + 34));
    h.dataBytes = U32(b + 40);
    return h;
}

std::size_t MemoryByteSource::ReadAt(std::uint64_t offset, void* to, std::size_t bytes) {
    if (offset >= size_) return 0;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, size_ - offset));
    std::memcpy(to, data_ + offset, n);
    return n;
}

namespace {
// 64-bit offsets: a long is 32 bits on Windows.
int Seek(std::FILE* f, std::uint64_t offset, int origin) {
#ifdef _WIN32
    return _fseeki64(f, static_cast<__int64>(offset), origin);
#else
    return fseeko(f, static_cast<off_t>(offset), origin);
#endif
}
std::int64_t Tell(std::FILE* f) {
#ifdef _WIN32
    return _ftelli64(f);
#else
    return ftello(f);
#endif
}
}  // namespace

FileByteSource::FileByteSource(std::FILE* file) : file_(file) {
    if (Seek(file_, 0, SEEK_END) == 0) {
        const std::int64_t end = Tell(file_);
        if (end > 0) size_ = static_cast<std::uint64_t>(end);
    }
}

std::size_t FileByteSource::ReadAt(std::uint64_t offset, void* to, std::size_t bytes) {
    if (bytes == 0) return 0;
    if (Seek(file_, offset, SEEK_SET) != 0) return 0;
    return std::fread(to, 1, bytes, file_);
}

bool FindWavChunks(ByteSource& file, WavChunks& chunks) {
    Chunk fmt, data;
    if (!FindChunks(file, fmt, data)) return false;
    chunks = {fmt.offset, data.offset, fmt.size, data.size};
    return true;
}

WavResult ReadWavInfo(ByteSource& file, WavInfo& info) {
    info = WavInfo{};
    const std::uint64_t size = file.Size();
    if (size < kWavHeaderSize) return WavResult::TooShort;
    Chunk fmt, data;
    std::uint32_t declared = 0;
    if (FindChunks(file, fmt, data)) {
        const WavResult r = ReadFmtChunk(file, fmt, info);
        if (r != WavResult::Ok) return r;
        info.fromChunks = true;
        info.dataOffset = data.offset;
        declared = data.size;
    } else {
        std::uint8_t header[kWavHeaderSize];
        if (file.ReadAt(0, header, sizeof header) != sizeof header) return WavResult::TooShort;
        const WavHeader h = ParseWavHeader(header);
        info.format = h.format;
        info.validBitsPerSample = h.format.bitsPerSample;
        info.dataOffset = kWavHeaderSize;
        declared = h.dataBytes;
    }
    const std::uint64_t held = size > info.dataOffset ? size - info.dataOffset : 0;
    info.dataBytes = declared;
    if (declared > held) {
        info.dataBytes = static_cast<std::uint32_t>(held);
        if (info.format.blockAlign > 0) info.dataBytes -= info.dataBytes % info.format.blockAlign;
    }
    return WavResult::Ok;
}

}  // namespace audio
