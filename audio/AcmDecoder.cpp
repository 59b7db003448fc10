#include "audio/AcmDecoder.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "audio/Mp3Frames.h"
#include "audio/WavFormat.h"

namespace audio {

namespace {

constexpr DWORD kInputBytes = 16 * 1024;
// More than any codec's format description: a larger "fmt " chunk is damage.
constexpr std::uint32_t kMostFormatBytes = 1024;

class AcmDecoder : public Decoder {
public:
    ~AcmDecoder() override {
        if (prepared_) ::acmStreamUnprepareHeader(stream_, &header_, 0);
        if (stream_) ::acmStreamClose(stream_, 0);
        if (file_) std::fclose(file_);
    }

    bool Open(const std::string& path) {
        file_ = std::fopen(path.c_str(), "rb");
        if (!file_) return false;
        FileByteSource bytes(file_);
        left_ = bytes.Size();
        std::vector<std::uint8_t> format;  // the compressed format: a WAVEFORMATEX and its extra bytes
        std::uint64_t from = 0;
        WavChunks chunks;
        if (FindWavChunks(bytes, chunks)) {
            if (chunks.fmtBytes > kMostFormatBytes) return false;
            format.resize(std::max<std::size_t>(chunks.fmtBytes, sizeof(WAVEFORMATEX)));
            if (bytes.ReadAt(chunks.fmtOffset, format.data(), chunks.fmtBytes) != chunks.fmtBytes) return false;
            auto* described = reinterpret_cast<WAVEFORMATEX*>(format.data());
            if (chunks.fmtBytes < sizeof(WAVEFORMATEX))
                described->cbSize = 0;
            else if (described->cbSize > chunks.fmtBytes - sizeof(WAVEFORMATEX))
                return false;  // it claims extra bytes the chunk does not hold
            from = chunks.dataOffset;
            left_ = std::min<std::uint64_t>(chunks.dataBytes, left_ > from ? left_ - from : 0);
        } else if (const auto start = FindMp3Start(bytes)) {
            // The codec is given the frames of sound only: an info frame would be decoded as silence.
            std::uint8_t header[4];
            const auto first = bytes.ReadAt(start->soundOffset, header, sizeof header) == sizeof header
                                   ? ParseMp3FrameHeader(header)
                                   : std::nullopt;
            const Mp3Frame& frame = first ? *first : start->frame;
            MPEGLAYER3WAVEFORMAT mp3{};
            mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
            mp3.wfx.nChannels = frame.channels;
            mp3.wfx.nSamplesPerSec = frame.samplesPerSec;
            mp3.wfx.nAvgBytesPerSec = frame.bitsPerSec / 8;
            mp3.wfx.nBlockAlign = 1;
            mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
            mp3.wID = MPEGLAYER3_ID_MPEG;
            mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
            mp3.nBlockSize = static_cast<WORD>(frame.bytes);
            mp3.nFramesPerBlock = 1;
            const auto* raw = reinterpret_cast<const std::uint8_t*>(&mp3);
            format.assign(raw, raw + sizeof mp3);
            from = start->soundOffset;
            left_ = left_ > from ? left_ - from : 0;
            const Mp3Cut cut = CutForFramesOfSound(*start);
            span_ = {cut.skip, cut.keep ? cut.keep : start->Samples(), cut.keep > 0};
        } else {
            return false;
        }
        if (fseeko64(file_, static_cast<off64_t>(from), SEEK_SET) != 0) return false;

        auto* source = reinterpret_cast<WAVEFORMATEX*>(format.data());
        WAVEFORMATEX pcm{};
        pcm.wFormatTag = WAVE_FORMAT_PCM;
        pcm.wBitsPerSample = 16;
        if (::acmFormatSuggest(nullptr, source, &pcm, sizeof pcm,
                               ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_WBITSPERSAMPLE) != 0)
            return false;
        format_.channels = pcm.nChannels;
        format_.samplesPerSec = pcm.nSamplesPerSec;
        format_.bitsPerSample = pcm.wBitsPerSample;
        // Without a count from the file, the length its compressed bytes make at their average rate.
        if (!span_.frames && source->nAvgBytesPerSec)
            span_.frames = left_ * pcm.nSamplesPerSec / source->nAvgBytesPerSec;

        DWORD outputBytes = 0;
        if (::acmStreamOpen(&stream_, nullptr, source, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0 ||
            ::acmStreamSize(stream_, kInputBytes, &outputBytes, ACM_STREAMSIZEF_SOURCE) != 0 || outputBytes == 0)
            return false;
        input_.resize(kInputBytes);
        output_.resize(outputBytes);
        header_.cbStruct = sizeof header_;
        header_.pbSrc = input_.data();
        header_.cbSrcLength = kInputBytes;
        header_.pbDst = output_.data();
        header_.cbDstLength = outputBytes;
        prepared_ = ::acmStreamPrepareHeader(stream_, &header_, 0) == 0;
        return prepared_;
    }

    const DecodedFormat& Format() const override { return format_; }
    DecodedSpan Span() const override { return span_; }

    Step Next(std::vector<std::uint8_t>& piece) override {
        piece.clear();
        for (;;) {
            if (!ended_) {
                const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(input_.size() - held_, left_));
                const std::size_t got = std::fread(input_.data() + held_, 1, want, file_);
                if (std::ferror(file_)) return Step::Failed;
                held_ += static_cast<DWORD>(got);
                left_ -= got;
                ended_ = got < want || left_ == 0;
            }
            // Whole frames while more is to come; at the end, whatever the codec still holds.
            header_.cbSrcLength = held_;
            header_.cbSrcLengthUsed = header_.cbDstLengthUsed = 0;
            if (::acmStreamConvert(stream_, &header_, ended_ ? ACM_STREAMCONVERTF_END : ACM_STREAMCONVERTF_BLOCKALIGN) != 0)
                return Step::Failed;
            const DWORD used = header_.cbSrcLengthUsed > held_ ? held_ : header_.cbSrcLengthUsed;
            std::memmove(input_.data(), input_.data() + used, held_ - used);
            held_ -= used;
            if (header_.cbDstLengthUsed > 0) {
                piece.assign(output_.begin(), output_.begin() + header_.cbDstLengthUsed);
                return Step::Piece;
            }
            if (used == 0) return ended_ ? Step::End : Step::Failed;  // a full buffer the codec will not take
        }
    }

private:
    std::FILE* file_ = nullptr;
    HACMSTREAM stream_ = nullptr;
    ACMSTREAMHEADER header_{};
    bool prepared_ = false;
    std::vector<std::uint8_t> input_, output_;
    std::uint64_t left_ = 0;  // compressed bytes not yet read from the file
    DWORD held_ = 0;          // bytes of input_ not yet taken by the codec
    bool ended_ = false;
    DecodedFormat format_;
    DecodedSpan span_;
};

}  // namespace

std::unique_ptr<Decoder> OpenAcmDecoder(const std::string& path) {
    auto decoder = std::make_unique<AcmDecoder>();
    if (!decoder->Open(path)) return nullptr;
    return decoder;
}

}  // namespace audio
