#pragma once
// The samples of a sound held whole, read where they are: in its DirectSound
// buffer's memory. A monitor's ring is fed from them, so that no sound is
// held twice.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <memory>

#include "audio/PcmSource.h"
#include "audio/SoundBuffer.h"
#include "framework/Com.h"

namespace audio {

class HeldSamples : public PcmSource {
public:
    // Null when the buffer's format or size cannot be read.
    static std::shared_ptr<HeldSamples> Of(CSoundBuffer& sound);

    const PcmLayout& Layout() const override { return layout_; }
    std::uint64_t Size() const override { return size_; }
    std::uint64_t LengthBytes() const override { return length_; }
    // Any thread may read: a lock of a buffer only says where its memory is.
    std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) override;

private:
    fw::ComPtr<IDirectSoundBuffer> buffer_;  // a reference of its own: the memory outlives the sound's owner
    PcmLayout layout_;
    std::uint64_t size_ = 0, length_ = 0;
};

}  // namespace audio
