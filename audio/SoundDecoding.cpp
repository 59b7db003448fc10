#include "audio/SoundDecoding.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

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

// Decodes a file to its end with one decoder, cut to the span the file
// states; each stretch of converted frames goes to `keep`, which says
// whether to go on. None at the end; DecodeFailed when the decoder failed or
// gave no sound; TooLong past what a position can count; otherwise what
// `keep` returned.
SoundError DecodeWith(Decoder& decoder, const FrameConverter& convert,
                      const std::function<SoundError(const std::vector<std::uint8_t>&)>& keep) {
    const std::uint32_t inFrame = decoder.Format().FrameBytes();
    const DecodedSpan span = decoder.Span();
    std::uint64_t skip = span.skip, left = span.exact ? span.frames : UINT64_MAX, total = 0;
    std::vector<std::uint8_t> piece, held, out;  // held: frames not yet taken, a piece of one at most after
    Decoder::Step step = Decoder::Step::Piece;
    while (left > 0 && (step = decoder.Next(piece)) == Decoder::Step::Piece) {
        held.insert(held.end(), piece.begin(), piece.end());
        const std::size_t frames = held.size() / inFrame;
        const std::size_t skipped = static_cast<std::size_t>(std::min<std::uint64_t>(skip, frames));
        const std::size_t kept = static_cast<std::size_t>(std::min<std::uint64_t>(left, frames - skipped));
        out.clear();
        convert.Convert(held.data() + skipped * inFrame, kept, out);
        held.erase(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(frames * inFrame));
        skip -= skipped;
        left -= kept;
        if (total + out.size() > kMostSoundBytes) return SoundError::TooLong;
        total += out.size();
        if (out.empty()) continue;
        const SoundError error = keep(out);
        if (error != SoundError::None) return error;
    }
    return step == Decoder::Step::Failed || total < convert.Layout().format.blockAlign ? SoundError::DecodeFailed
                                                                                       : SoundError::None;
}

// Heads before the rest: while any sound's head is being decoded, the
// decodes that handed theirs over wait between pieces, so that a scheme's
// slots are all playable before any is decoded further. They wait only so
// long as they stay ahead of their sound: a head stuck in a file that does
// not answer must not starve the sounds already playing. Made once and
// never destroyed: decodes may still run as the program ends.
class HeadsFirst {
public:
    static HeadsFirst& Gate() {
        static HeadsFirst* gate = new HeadsFirst;
        return *gate;
    }
    void Begin() {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++pending_;
    }
    void End() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            --pending_;
        }
        done_.notify_all();
    }
    // Waits until no head is being decoded, or until `latest`.
    void WaitForHeads(std::chrono::steady_clock::time_point latest) {
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait_until(lock, latest, [this] { return pending_ == 0; });
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    int pending_ = 0;
};

// Where a decode hands its sound over (the first seconds of it, or all of
// it) to whoever waits for it.
struct HandOver {
    std::mutex mutex;
    std::condition_variable done;
    bool given = false;
    OpenedSound sound;
    bool abandoned = false;  // let go of by every reader before its end

    void Give(OpenedSound opened) {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            sound = std::move(opened);
            given = true;
        }
        done.notify_all();
    }
};

// Tries the decoders in turn, as DecodeSound does. With `handOver`, a sound
// whose file states its length is handed over as a growing source once
// headSeconds of it are decoded, and decoded to its end afterwards unless
// every reader has let go of it by then; `afterHead` runs then.
OpenedSound Decode(const std::string& path, const std::vector<DecoderOpener>& decoders,
                   const SpoolFileMaker& makeFile, std::uint64_t memoryBytes, HandOver* handOver = nullptr,
                   const HeadFirst& options = {}) {
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
        const std::uint32_t outFrame = layout.format.blockAlign;
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
        // Once handed over, the source is held weakly: when nobody reads it any more, the decode stops.
        const std::uint64_t headBytes =
            handOver && span.frames ? static_cast<std::uint64_t>(options.headSeconds * layout.format.avgBytesPerSec)
                                    : UINT64_MAX;
        std::weak_ptr<GrowingPcmSource> growing;
        bool handed = false;
        // Where a play begun at the hand-over would be is at most the time
        // since; the decode waits for heads only while that leaves it lead.
        std::chrono::steady_clock::time_point handedAt;
        std::uint64_t decoded = 0;
        auto soundTime = [&](std::uint64_t bytes) {
            return std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(
                static_cast<double>(bytes) / layout.format.avgBytesPerSec - options.leadSeconds));
        };
        const SoundError error = DecodeWith(*decoder, convert, [&](const std::vector<std::uint8_t>& out) {
            if (!handed) {
                if (!spool.Append(out.data(), out.size())) return SoundError::SpoolFailed;
                if (spool.Size() < headBytes) return SoundError::None;
                decoded = spool.Size();
                auto source = std::make_shared<GrowingPcmSource>(layout, std::move(spool), span.frames * outFrame);
                growing = source;
                handed = true;
                OpenedSound head;
                head.source = std::move(source);
                handedAt = std::chrono::steady_clock::now();
                handOver->Give(std::move(head));
                if (options.afterHead) options.afterHead();
                return SoundError::None;
            }
            HeadsFirst::Gate().WaitForHeads(handedAt + soundTime(decoded));
            decoded += out.size();
            const std::shared_ptr<GrowingPcmSource> source = growing.lock();
            if (!source) return SoundError::DecodeFailed;  // ends the loop; nobody hears of it
            return source->Append(out.data(), out.size()) ? SoundError::None : SoundError::SpoolFailed;
        });
        if (handed) {
            // The sound is out: whatever became of its decode, it ends there.
            if (const auto source = growing.lock())
                source->End(error);
            else
                handOver->abandoned = true;
            sound.error = SoundError::None;
            return sound;
        }
        if (error == SoundError::None) {
            sound.source = spool.Finish();
            sound.error = SoundError::None;
            return sound;
        }
        if (error != SoundError::DecodeFailed) {
            sound.error = error;
            return sound;
        }
        sound.error = SoundError::DecodeFailed;
    }
    return sound;
}

}  // namespace

OpenedSound DecodeSound(const std::string& path, const std::vector<DecoderOpener>& decoders,
                        const SpoolFileMaker& makeFile, std::uint64_t memoryBytes) {
    return Decode(path, decoders, makeFile, memoryBytes);
}

OpenedSound DecodeSoundHeadFirst(const std::string& path, std::vector<DecoderOpener> decoders,
                                 SpoolFileMaker makeFile, const HeadFirst& options) {
    auto handOver = std::make_shared<HandOver>();
    HeadsFirst::Gate().Begin();
    struct Ended {
        ~Ended() { HeadsFirst::Gate().End(); }
    } ended;
    try {
        std::thread([=, decoders = std::move(decoders), makeFile = std::move(makeFile)] {
            if (options.atStart) options.atStart();
            OpenedSound sound =
                Decode(path, decoders, makeFile, options.memoryBytes, handOver.get(), options);
            // Handed over already when the head was: what is left is for nobody.
            if (sound.source || sound.error != SoundError::None) handOver->Give(std::move(sound));
            if (options.decoded && !handOver->abandoned) options.decoded();
        }).detach();
    } catch (const std::system_error&) {
        return DecodeSound(path, decoders, makeFile, options.memoryBytes);
    }
    std::unique_lock<std::mutex> lock(handOver->mutex);
    handOver->done.wait(lock, [&] { return handOver->given; });
    return std::move(handOver->sound);
}

}  // namespace audio
