#pragma once
// WAV files laid out as editors and recorders write them, built chunk by
// chunk after the RIFF and WAVE format documents: format chunks of 16, 18 or
// 40 bytes, LIST/INFO, fact, bext and JUNK chunks, odd sizes with pad bytes.
// Shared by the host, Win32 and end-to-end tests.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace riffwav {

using Bytes = std::vector<std::uint8_t>;

inline void Put(Bytes& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

struct Chunk {
    std::string id;  // four characters
    Bytes body;
    std::uint32_t declaredSize = UINT32_MAX;  // the size field; the body's size unless set
};

// A chunk's header and body, padded to an even size.
inline void Append(Bytes& out, const Chunk& c) {
    out.insert(out.end(), c.id.begin(), c.id.end());
    Put(out, c.declaredSize != UINT32_MAX ? c.declaredSize : static_cast<std::uint32_t>(c.body.size()), 4);
    out.insert(out.end(), c.body.begin(), c.body.end());
    if (c.body.size() % 2) out.push_back(0);
}

// "RIFF" size "WAVE" and the chunks.
inline Bytes Riff(const std::vector<Chunk>& chunks) {
    Bytes out{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const Chunk& c : chunks) Append(out, c);
    const auto riffSize = static_cast<std::uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    return out;
}

struct Format {
    std::uint16_t tag = 1;  // 1 PCM, 2 ADPCM, 0x55 MP3, 0xFFFE extensible
    std::uint16_t channels = 2;
    std::uint32_t rate = 44100;
    std::uint16_t bits = 16;
    std::uint32_t fmtSize = 16;  // 16, 18 (cbSize 0) or 40 (extensible)
    std::uint16_t validBits = 0;  // extensible only; 0: all of bits
};

inline Chunk Fmt(const Format& f) {
    Chunk c{"fmt ", {}};
    const std::uint16_t align = static_cast<std::uint16_t>(f.channels * f.bits / 8);
    Put(c.body, f.tag, 2);
    Put(c.body, f.channels, 2);
    Put(c.body, f.rate, 4);
    Put(c.body, f.rate * align, 4);
    Put(c.body, align, 2);
    Put(c.body, f.bits, 2);
    if (f.fmtSize >= 18) Put(c.body, f.fmtSize - 18, 2);
    if (f.fmtSize >= 40) {
        Put(c.body, f.validBits ? f.validBits : f.bits, 2);
        Put(c.body, f.channels == 2 ? 3 : 4, 4);  // front left and right, or front centre
        const Bytes pcm{1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
        c.body.insert(c.body.end(), pcm.begin(), pcm.end());
    }
    return c;
}

// A sine of `hz` at half of full scale, in the format's sample size.
inline Bytes Tone(const Format& f, double seconds, double hz) {
    Bytes out;
    const auto frames = static_cast<std::uint32_t>(seconds * f.rate);
    const double full = std::pow(2.0, (f.validBits ? f.validBits : f.bits) - 1) - 1;
    const int shift = f.validBits ? f.bits - f.validBits : 0;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const auto v = static_cast<std::int64_t>(0.5 * full * std::sin(2 * 3.14159265358979 * hz * i / f.rate));
        for (int ch = 0; ch < f.channels; ++ch) {
            if (f.bits == 8)
                out.push_back(static_cast<std::uint8_t>(v + 128));  // 8-bit samples are unsigned
            else
                Put(out, static_cast<std::uint32_t>(v * (std::int64_t{1} << shift)), f.bits / 8);
        }
    }
    return out;
}

inline Chunk Data(Bytes samples) { return {"data", std::move(samples)}; }
inline Chunk Fact(std::uint32_t frames) {
    Chunk c{"fact", {}};
    Put(c.body, frames, 4);
    return c;
}
// LIST/INFO with a title and the software's name: odd sizes, so pad bytes.
inline Chunk ListInfo(const std::string& title, const std::string& software) {
    Chunk c{"LIST", {'I', 'N', 'F', 'O'}};
    for (const auto& [id, text] : {std::pair<std::string, std::string>{"INAM", title}, {"ISFT", software}}) {
        Bytes zeroEnded(text.begin(), text.end());
        zeroEnded.push_back(0);
        Append(c.body, {id, zeroEnded});
    }
    return c;
}
// A broadcast-wave "bext" chunk: description, originator and the rest zero.
inline Chunk Bext(const std::string& description) {
    Chunk c{"bext", Bytes(602, 0)};
    std::copy(description.begin(), description.end(), c.body.begin());
    return c;
}
inline Chunk Junk(std::size_t bytes) { return {"JUNK", Bytes(bytes, 0)}; }

}  // namespace riffwav
