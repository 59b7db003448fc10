#include "audio/SoundDecoding.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace audio {

namespace {

// The sample rates a DirectSound buffer takes (DSBFREQUENCY_MIN, _MAX).
constexpr std::uint32_t kLowestRate = 100, kHighestRate = 200000;
constexpr std::uint16_t kMostChannels = 32;  // one per speaker a wave format can name
constexpr std::uint32_t kUsualMasks[9] = {0, 0x4, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x13F, 0x63F};

// How much of a speaker's channel goes left and right in a stereo mix: the
// front pair whole, the other speakers of a side at -3 dB, the front centre
// at -3 dB to both, other centres at -6 dB, the LFE not at all (speaker: the
// bit of a wave format's channel mask; -1 for a channel it does not name).
std::array<float, 2> StereoWeights(int speaker) {
    constexpr float kHalfPower = 0.70710678f;
    switch (speaker) {
    case 0: case 6: return {1, 0};  // front left, front left of centre
    case 1: case 7: return {0, 1};
    case 4: case 9: case 12: case 15: return {kHalfPower, 0};  // back, side, top front, top back left
    case 5: case 10: case 14: case 17: return {0, kHalfPower};
    case 2: return {kHalfPower, kHalfPower};
    case 3: return {0, 0};
    default: return {0.5f, 0.5f};
    }
}

// Turns a decoder's frames into frames the card takes: floats, and more
// than two channels, into 16-bit integers of at most two channels; 8- and
// 16-bit integers of one or two channels as they are.
class FrameConverter {
public:
    explicit FrameConverter(const DecodedFormat& in) : in_(in) {
        const bool integers = !in.floating && (in.bitsPerSample == 8 || in.bitsPerSample == 16);
        asIs_ = integers && in.channels <= 2;
        works_ = in.channels > 0 && in.channels <= kMostChannels && in.samplesPerSec >= kLowestRate &&
                 in.samplesPerSec <= kHighestRate &&
                 (asIs_ || (in.floating && in.bitsPerSample == 32) || (integers && in.bitsPerSample == 16));
        PcmFormat& out = layout_.format;
        out.channels = static_cast<std::uint16_t>(std::min<int>(in.channels, 2));
        out.samplesPerSec = in.samplesPerSec;
        out.bitsPerSample = asIs_ ? in.bitsPerSample : 16;
        out.blockAlign = static_cast<std::uint16_t>(out.channels * out.bitsPerSample / 8);
        out.avgBytesPerSec = out.blockAlign * out.samplesPerSec;
        layout_.validBitsPerSample = out.bitsPerSample;
        if (!works_ || asIs_) return;
        // The mix: each channel's share of each output, scaled so that no sum can clip.
        std::uint32_t mask = in.channelMask ? in.channelMask : in.channels < 9 ? kUsualMasks[in.channels] : 0;
        std::array<float, 2> sums{};
        for (std::uint16_t c = 0; c < in.channels; ++c) {
            int speaker = -1;
            if (mask) {
                speaker = 0;
                while (!(mask >> speaker & 1)) ++speaker;
                mask &= mask - 1;
            }
            const std::array<float, 2> own{c == 0 ? 1.f : 0.f, c == 1 ? 1.f : 0.f};  // floats of one or two channels
            weights_.push_back(in.channels > 2 ? StereoWeights(speaker) : own);
            sums[0] += weights_.back()[0];
            sums[1] += weights_.back()[1];
        }
        const float scale = 1 / std::max({sums[0], sums[1], 1.f});
        for (auto& w : weights_) w = {w[0] * scale, w[1] * scale};
    }

    bool Works() const { return works_; }
    const PcmLayout& Layout() const { return layout_; }

    // The conversion of `frames` frames at `from`, appended to `to`.
    void Convert(const std::uint8_t* from, std::size_t frames, std::vector<std::uint8_t>& to) const {
        if (asIs_) {
            to.insert(to.end(), from, from + frames * in_.FrameBytes());
            return;
        }
        const std::size_t at = to.size();
        const std::uint16_t outChannels = layout_.format.channels;
        to.resize(at + frames * layout_.format.blockAlign);
        std::uint8_t* out = to.data() + at;
        for (std::size_t f = 0; f < frames; ++f, from += in_.FrameBytes()) {
            for (std::uint16_t o = 0; o < outChannels; ++o) {
                float v = 0;
                for (std::uint16_t c = 0; c < in_.channels; ++c) v += weights_[c][o] * Sample(from, c);
                // NaN and overflow are kept out of the conversion to an integer.
                const float scaled = v == v ? std::min(std::max(v * 32768.f, -32768.f), 32767.f) : 0.f;
                const auto s = static_cast<std::int16_t>(std::lrint(scaled));
                std::memcpy(out, &s, sizeof s);
                out += sizeof s;
            }
        }
    }

private:
    // Channel c of a frame, from -1 to 1.
    float Sample(const std::uint8_t* frame, std::uint16_t c) const {
        if (in_.floating) {
            float f;
            std::memcpy(&f, frame + c * 4, sizeof f);
            return f;
        }
        std::int16_t s;
        std::memcpy(&s, frame + c * 2, sizeof s);
        return static_cast<float>(s) / 32768.f;
    }

    DecodedFormat in_;
    PcmLayout layout_;
    bool asIs_ = false, works_ = false;
    std::vector<std::array<float, 2>> weights_;  // [input channel][output channel]
};

}  // namespace

OpenedSound DecodeSound(const std::string& path, const std::vector<DecoderOpener>& decoders,
                        const SpoolFileMaker& makeFile, std::uint64_t memoryBytes) {
    OpenedSound sound;
    sound.error = SoundError::Undecodable;
    for (const DecoderOpener& open : decoders) {
        const std::unique_ptr<Decoder> decoder = open(path);
        if (!decoder) continue;
        // A decoder that took the file is worth reporting over one that did
        // not take it, and one that failed over one that took it into a
        // format the card cannot take; the next may still read it.
        const FrameConverter convert(decoder->Format());
        if (!convert.Works()) {
            if (sound.error == SoundError::Undecodable) sound.error = SoundError::UnplayableFormat;
            continue;
        }
        const PcmLayout& layout = convert.Layout();
        const std::uint32_t inFrame = decoder->Format().FrameBytes(), outFrame = layout.format.blockAlign;
        const DecodedSpan span = decoder->Span();
        // What the file says of its length decides before a sample is decoded.
        if (span.frames > kMostSoundBytes / outFrame) {
            sound.error = SoundError::TooLong;
            return sound;
        }
        PcmSpool spool(layout, makeFile, memoryBytes);
        switch (spool.Expect(span.frames * outFrame)) {
        case PcmSpool::Room::Made: break;
        case PcmSpool::Room::NoRoom: sound.error = SoundError::SpoolNoRoom; return sound;
        case PcmSpool::Room::Failed: sound.error = SoundError::SpoolFailed; return sound;
        }
        sound.error = SoundError::DecodeFailed;
        std::uint64_t skip = span.skip, left = span.exact ? span.frames : UINT64_MAX;
        std::vector<std::uint8_t> piece, held, out;  // held: frames not yet taken, a piece of one at most after
        Decoder::Step step = Decoder::Step::Piece;
        while (left > 0 && (step = decoder->Next(piece)) == Decoder::Step::Piece) {
            held.insert(held.end(), piece.begin(), piece.end());
            const std::size_t frames = held.size() / inFrame;
            const std::size_t skipped = static_cast<std::size_t>(std::min<std::uint64_t>(skip, frames));
            const std::size_t kept = static_cast<std::size_t>(std::min<std::uint64_t>(left, frames - skipped));
            out.clear();
            convert.Convert(held.data() + skipped * inFrame, kept, out);
            held.erase(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(frames * inFrame));
            skip -= skipped;
            left -= kept;
            if (spool.Size() + out.size() > kMostSoundBytes) {
                sound.error = SoundError::TooLong;
                return sound;
            }
            if (!out.empty() && !spool.Append(out.data(), out.size())) {
                sound.error = SoundError::SpoolFailed;
                return sound;
            }
        }
        if (step != Decoder::Step::Failed && spool.Size() >= outFrame) {
            sound.source = spool.Finish();
            sound.error = SoundError::None;
            return sound;
        }
    }
    return sound;
}

}  // namespace audio
