#pragma once
// A long sound streamed from its source through a small DirectSound ring
// (audio/SoundStream.h), behind the same interface as a sound held whole.
// Each stream has a reader thread of its own; one feeder thread fills every
// ring from memory (audio/StreamThreads.h).
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <memory>
#include <vector>

#include "audio/PcmSource.h"
#include "audio/SoundApi.h"
#include "audio/SoundStream.h"
#include "framework/Com.h"

namespace audio {

class StreamedBuffer : public ISoundBuffer {
public:
    // Holds the first seconds of source in memory and plays the rest from it.
    StreamedBuffer(std::shared_ptr<PcmSource> source, IDirectSound* device, DWORD flags);
    // The same with the sizes given (a source in memory: StreamSizes::ForMemory).
    StreamedBuffer(std::shared_ptr<PcmSource> source, IDirectSound* device, DWORD flags, const StreamSizes& sizes);
    // The same sound on another device: source and head shared, nothing read.
    StreamedBuffer(const StreamedBuffer& from, IDirectSound* device);
    ~StreamedBuffer() override;  // never waits for the stream's reader
    StreamedBuffer(const StreamedBuffer&) = delete;
    StreamedBuffer& operator=(const StreamedBuffer&) = delete;

    SoundError LoadError() const override { return error_; }
    Result Play(bool looping) override;
    Result Stop() override;
    Result SetCurrentPosition(std::uint32_t bytes) override;
    Result GetCurrentPosition(std::uint32_t& playCursor) override;
    Result GetStatus(std::uint32_t& status) override;
    Result SetVolume(std::int32_t hundredthsDb) override;
    Result GetVolume(std::int32_t& hundredthsDb) override;
    Result GetAvgBytesPerSec(std::uint32_t& bytesPerSec) override;
    Result GetBlockAlign(std::uint32_t& bytes) override;
    std::uint64_t LengthBytes() const override { return source_ ? source_->LengthBytes() : 0; }
    SoundError TakePlaybackError() override;
    SoundError TakeDecodeError() override { return source_ ? source_->TakeMakingError() : SoundError::None; }

private:
    void Open(IDirectSound* device);

    SoundError error_ = SoundError::CreateSoundBuffer;
    DWORD flags_;
    StreamSizes sizes_;
    std::shared_ptr<PcmSource> source_;
    std::shared_ptr<const std::vector<std::uint8_t>> head_;
    fw::ComPtr<IDirectSoundBuffer> buffer_;  // the ring's buffer, for its volume and format
    std::shared_ptr<SoundStream> stream_;
};

}  // namespace audio
