// The Windows 7 declarations; the functions themselves are looked up at run
// time, so the program still starts on systems without them.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0601
#define _WIN32_WINNT 0x0601
#include "audio/MfDecoder.h"

#include <windows.h>
#include <mfapi.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include "audio/Mp3Frames.h"
#include "framework/Com.h"

namespace audio {

namespace {

constexpr ULONG kVersionOfWindows7 = 0x00020070;  // MF_VERSION of the Windows 7 SDK

template <typename F>
F Function(HMODULE module, const char* name) {
    return module ? reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name))) : nullptr;
}

struct MfApi {
    HRESULT(WINAPI* createMediaType)(IMFMediaType**) = nullptr;
    HRESULT(WINAPI* createReader)(const WCHAR*, IMFAttributes*, IMFSourceReader**) = nullptr;
    bool started = false;
};

// Loaded and started once, on first use, and kept to the end: a reader may
// be in use on any thread until then.
const MfApi& Api() {
    static const MfApi api = [] {
        MfApi a;
        const HMODULE platform = ::LoadLibraryA("mfplat.dll");
        const HMODULE readers = platform ? ::LoadLibraryA("mfreadwrite.dll") : nullptr;
        const auto startup = Function<HRESULT(WINAPI*)(ULONG, DWORD)>(platform, "MFStartup");
        a.createMediaType = Function<decltype(a.createMediaType)>(platform, "MFCreateMediaType");
        a.createReader = Function<decltype(a.createReader)>(readers, "MFCreateSourceReaderFromURL");
        a.started = startup && a.createMediaType && a.createReader && SUCCEEDED(startup(kVersionOfWindows7, MFSTARTUP_LITE));
        return a;
    }();
    return api;
}

// COM on this thread for as long as the decoder lives (a thread that has it
// already keeps its own).
class ComScope {
public:
    ComScope() : owned_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComScope() {
        if (owned_) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool owned_;
};

std::wstring Wide(const std::string& text) {
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? static_cast<std::size_t>(n) : 1, L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
    wide.resize(wide.size() - 1);
    return wide;
}

class MfDecoder : public Decoder {
public:
    bool Open(const std::string& path) {
        const MfApi& api = Api();
        if (!api.started || FAILED(api.createReader(Wide(path).c_str(), nullptr, reader_.put())) || !reader_) return false;
        const DWORD audio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
        reader_->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE);
        // 16-bit integers where the decoder gives them, else floats (a
        // decoder of deeper samples may give only those), converted later.
        if (FAILED(reader_->SetStreamSelection(audio, TRUE)) ||
            (!Ask(api, MFAudioFormat_PCM, 16) && !Ask(api, MFAudioFormat_Float, 32)))
            return false;
        fw::ComPtr<IMFMediaType> got;
        GUID subtype{};
        UINT32 channels = 0, rate = 0, bits = 0, mask = 0;
        if (FAILED(reader_->GetCurrentMediaType(audio, got.put())) || FAILED(got->GetGUID(MF_MT_SUBTYPE, &subtype)) ||
            FAILED(got->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels)) ||
            FAILED(got->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate)) ||
            FAILED(got->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits)))
            return false;
        got->GetUINT32(MF_MT_AUDIO_CHANNEL_MASK, &mask);
        format_.channels = static_cast<std::uint16_t>(channels);
        format_.samplesPerSec = rate;
        format_.bitsPerSample = static_cast<std::uint16_t>(bits);
        format_.floating = subtype == MFAudioFormat_Float;
        format_.channelMask = mask;
        span_.frames = DurationFrames(rate);
        // An MP3 whose LAME tag tells its encoded length: the reader may or
        // may not have cut it already, which its duration shows.
        if (const auto mp3 = FindMp3Start(path)) {
            const Mp3Cut cut = CutForAnnouncedSamples(*mp3, span_.frames);
            if (cut.keep && mp3->frame.samplesPerSec == rate) span_ = {cut.skip, cut.keep, true};
        }
        return true;
    }

    const DecodedFormat& Format() const override { return format_; }
    DecodedSpan Span() const override { return span_; }

    Step Next(std::vector<std::uint8_t>& piece) override {
        piece.clear();
        if (ended_) return Step::End;
        DWORD stream = 0, flags = 0;
        LONGLONG time = 0;
        fw::ComPtr<IMFSample> sample;
        if (FAILED(reader_->ReadSample(static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM), 0, &stream, &flags,
                                       &time, sample.put())) ||
            (flags & (MF_SOURCE_READERF_ERROR | MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED)))
            return Step::Failed;  // a format that changes part-way cannot be one buffer
        ended_ = (flags & MF_SOURCE_READERF_ENDOFSTREAM) != 0;
        fw::ComPtr<IMFMediaBuffer> buffer;
        BYTE* data = nullptr;
        DWORD bytes = 0;
        if (sample) {
            if (FAILED(sample->ConvertToContiguousBuffer(buffer.put())) || FAILED(buffer->Lock(&data, nullptr, &bytes)))
                return Step::Failed;
            piece.assign(data, data + bytes);
            buffer->Unlock();
        }
        return ended_ && piece.empty() ? Step::End : Step::Piece;
    }

private:
    // Asks the reader for samples of this subtype and size; false when it cannot give them.
    bool Ask(const MfApi& api, const GUID& subtype, UINT32 bits) {
        fw::ComPtr<IMFMediaType> wanted;
        if (FAILED(api.createMediaType(wanted.put()))) return false;
        wanted->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
        wanted->SetGUID(MF_MT_SUBTYPE, subtype);
        wanted->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, bits);
        return SUCCEEDED(reader_->SetCurrentMediaType(static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM), nullptr,
                                                      wanted.get()));
    }

    // The file's duration in frames, as its source tells it; 0 when it does not.
    std::uint64_t DurationFrames(UINT32 rate) {
        PROPVARIANT duration;
        ::PropVariantInit(&duration);
        std::uint64_t frames = 0;
        if (SUCCEEDED(reader_->GetPresentationAttribute(static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE), MF_PD_DURATION,
                                                        &duration)) &&
            duration.vt == VT_UI8) {
            const ULONGLONG units = duration.uhVal.QuadPart;  // of 100 ns
            frames = units / 10000000 * rate + (units % 10000000 * rate + 5000000) / 10000000;
        }
        ::PropVariantClear(&duration);
        return frames;
    }

    ComScope com_;  // first in, last out
    fw::ComPtr<IMFSourceReader> reader_;
    DecodedFormat format_;
    DecodedSpan span_;
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<Decoder> OpenMfDecoder(const std::string& path) {
    auto decoder = std::make_unique<MfDecoder>();
    if (!decoder->Open(path)) return nullptr;
    return decoder;
}

}  // namespace audio
