#include "audio/StreamedBuffer.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <system_error>

#include "audio/BufferFormat.h"
#include "audio/SharedReader.h"
#include "audio/StreamThreads.h"
#include "framework/Trace.h"

namespace audio {

namespace {

constexpr Result kFailed = E_FAIL;
// How often the feeder looks at the rings while any plays or waits for sound.
constexpr DWORD kFeedPeriodMs = 100;

// A looping DirectSound buffer as a stream's ring. It keeps a reference to
// its device, so that the buffer stays valid while the stream's threads may
// still use it after the board has let the device go.
class DirectSoundRing : public SoundRing {
public:
    DirectSoundRing(IDirectSound* device, IDirectSoundBuffer* buffer, DWORD size, DWORD lapMs, std::uint8_t silence)
        : device_(device), buffer_(buffer), size_(size), lapMs_(lapMs), silence_(silence) {
        device_->AddRef();
        buffer_->AddRef();
    }
    ~DirectSoundRing() override { buffer_->Stop(); }

    std::uint32_t Size() const override { return size_; }
    bool Cursor(std::uint32_t& at, bool& lapped) override {
        DWORD play = 0;
        if (FAILED(buffer_->GetCurrentPosition(&play, nullptr))) return false;
        const DWORD now = ::GetTickCount();
        lapped = running_ && now - seen_ > lapMs_;
        seen_ = now;
        at = play % size_;
        return true;
    }
    bool Write(std::uint32_t at, const std::uint8_t* bytes, std::uint32_t count) override {
        void* first = nullptr;
        void* second = nullptr;
        DWORD firstBytes = 0, secondBytes = 0;
        if (FAILED(buffer_->Lock(at, count, &first, &firstBytes, &second, &secondBytes, 0))) return false;
        // A lock that hands back no memory, or less than was asked, is a failure.
        const bool whole = (first || !firstBytes) && (second || !secondBytes) && firstBytes + secondBytes == count;
        if (whole) {
            Put(first, bytes, firstBytes);
            Put(second, bytes ? bytes + firstBytes : nullptr, secondBytes);
        }
        return SUCCEEDED(buffer_->Unlock(first, firstBytes, second, secondBytes)) && whole;
    }
    bool Start() override {
        seen_ = ::GetTickCount();
        running_ = SUCCEEDED(buffer_->Play(0, 0, DSBPLAY_LOOPING));
        return running_;
    }
    bool Halt() override {
        running_ = false;
        return SUCCEEDED(buffer_->Stop());
    }

private:
    void Put(void* to, const std::uint8_t* bytes, DWORD count) {
        if (bytes)
            std::memcpy(to, bytes, count);
        else
            std::memset(to, silence_, count);
    }

    fw::ComPtr<IDirectSound> device_;  // released last
    fw::ComPtr<IDirectSoundBuffer> buffer_;
    const DWORD size_, lapMs_;
    const std::uint8_t silence_;
    bool running_ = false;
    DWORD seen_ = 0;  // when the cursor was last read
};

// The feeder of every stream, at a raised priority. Null when no thread
// could be had. Made once and never destroyed: streams may be released on
// their readers' threads up to the end.
StreamFeeder* Feeder() {
    static StreamFeeder* feeder = []() -> StreamFeeder* {
        try {
            return new StreamFeeder(std::chrono::milliseconds(kFeedPeriodMs),
                                    [] { ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_HIGHEST); });
        } catch (const std::system_error&) {
            return nullptr;
        }
    }();
    return feeder;
}

// The reader of every stream whose source is in memory; made once, as the feeder.
constexpr std::chrono::milliseconds kSharedReadPeriod{20};
SharedReader* MemoryReader() {
    static SharedReader* reader = []() -> SharedReader* {
        try {
            return new SharedReader(kSharedReadPeriod);
        } catch (const std::system_error&) {
            return nullptr;
        }
    }();
    return reader;
}

void RaiseReaderPriority() { ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL); }

}  // namespace

StreamedBuffer::StreamedBuffer(std::shared_ptr<PcmSource> source, IDirectSound* device, DWORD flags)
    : StreamedBuffer(source, device, flags,
                     StreamSizes::For(source->Layout().format.avgBytesPerSec, source->Layout().format.blockAlign)) {}

StreamedBuffer::StreamedBuffer(std::shared_ptr<PcmSource> source, IDirectSound* device, DWORD flags,
                               const StreamSizes& sizes)
    : flags_(flags), sizes_(sizes), source_(std::move(source)) {
    // Positions are 32-bit byte counts.
    const PcmFormat& format = source_->Layout().format;
    if (source_->Size() > 0xFFFFFFFFu) {
        error_ = SoundError::TooLarge;
        return;
    }
    if (!format.avgBytesPerSec || !format.blockAlign) return;
    try {
        // Of a sound still being made, what there is of its head.
        std::uint64_t headBytes = std::min<std::uint64_t>({sizes.head, source_->Size(), source_->Ready()});
        headBytes -= headBytes % sizes.frame;
        auto head = std::make_shared<std::vector<std::uint8_t>>(headBytes);
        if (source_->ReadAt(0, head->data(), head->size()) != head->size()) {
            error_ = SoundError::ReadingData;
            return;
        }
        head_ = std::move(head);
    } catch (const std::bad_alloc&) {
        error_ = SoundError::TooLarge;
        return;
    }
    Open(device);
}

StreamedBuffer::StreamedBuffer(const StreamedBuffer& from, IDirectSound* device)
    : flags_(from.flags_), sizes_(from.sizes_), source_(from.source_), head_(from.head_) {
    if (head_) Open(device);
}

void StreamedBuffer::Open(IDirectSound* device) {
    error_ = SoundError::CreateSoundBuffer;
    StreamFeeder* feeder = Feeder();
    if (!device || !feeder) return;
    const PcmLayout& layout = source_->Layout();
    const StreamSizes& sizes = sizes_;
    WAVEFORMATEXTENSIBLE format;
    DescribeFormat(layout, format);
    DSBUFFERDESC desc = DescribeBuffer(flags_ | DSBCAPS_GETCURRENTPOSITION2, sizes.ring, format);
    if (FAILED(device->CreateSoundBuffer(&desc, buffer_.put(), nullptr)) || !buffer_) {
        buffer_.reset();
        return;
    }
    // Past this the cursor may have come round twice: the ring ran dry long before.
    const DWORD lapMs = static_cast<DWORD>((sizes.ring - sizes.guard / 2) * 1000ull / layout.format.avgBytesPerSec);
    try {
        auto ring = std::make_unique<DirectSoundRing>(device, buffer_.get(), sizes.ring, lapMs,
                                                      layout.format.bitsPerSample == 8 ? 0x80 : 0);
        stream_ = std::make_shared<SoundStream>(source_, head_, std::move(ring), sizes);
        error_ = SoundError::ReadingData;
        if (FAILED(stream_->SetPosition(0)) || stream_->TakeError() != SoundError::None) {
            stream_.reset();
            return;
        }
        error_ = SoundError::CreateSoundBuffer;
        if (sizes.inMemory && MemoryReader()) {
            MemoryReader()->Add(stream_);
        } else if (!StartStreamReader(stream_, RaiseReaderPriority)) {
            stream_->Close();
            stream_.reset();
            return;
        }
        feeder->Add(stream_);
    } catch (const std::bad_alloc&) {
        stream_.reset();
        error_ = SoundError::TooLarge;
        return;
    }
    error_ = SoundError::None;
}

StreamedBuffer::~StreamedBuffer() {
    if (!stream_) return;
    stream_->Close();  // its reader ends once its read under way returns
    Feeder()->Remove(stream_.get());
}

Result StreamedBuffer::Play(bool looping) {
    fw::trace::Stamp("play");
    if (!stream_) return kFailed;
    const Result r = stream_->Play(looping);
    Feeder()->Wake();
    if (sizes_.inMemory && MemoryReader()) MemoryReader()->Wake();
    return r;
}

Result StreamedBuffer::Stop() { return stream_ ? stream_->Stop() : kFailed; }

Result StreamedBuffer::SetCurrentPosition(std::uint32_t bytes) {
    if (!stream_) return kFailed;
    const Result r = stream_->SetPosition(bytes);
    Feeder()->Wake();
    if (sizes_.inMemory && MemoryReader()) MemoryReader()->Wake();
    return r;
}

Result StreamedBuffer::GetCurrentPosition(std::uint32_t& playCursor) {
    return stream_ ? stream_->GetPosition(playCursor) : kFailed;
}

Result StreamedBuffer::GetStatus(std::uint32_t& status) { return stream_ ? stream_->GetStatus(status) : kFailed; }

Result StreamedBuffer::SetVolume(std::int32_t hundredthsDb) {
    return buffer_ ? buffer_->SetVolume(hundredthsDb) : kFailed;
}

Result StreamedBuffer::GetVolume(std::int32_t& hundredthsDb) {
    return buffer_ ? ReadVolume(buffer_.get(), hundredthsDb) : kFailed;
}

Result StreamedBuffer::GetAvgBytesPerSec(std::uint32_t& bytesPerSec) {
    return buffer_ ? ReadBytesPerSec(buffer_.get(), bytesPerSec) : kFailed;
}

Result StreamedBuffer::GetBlockAlign(std::uint32_t& bytes) {
    return buffer_ ? ReadBlockAlign(buffer_.get(), bytes) : kFailed;
}

SoundError StreamedBuffer::TakePlaybackError() { return stream_ ? stream_->TakeError() : SoundError::None; }

}  // namespace audio
