#include "audio/SoundLoader.h"

#include <mutex>

#include "audio/PcmSource.h"
#include "audio/SoundBuffer.h"
#include "audio/SoundDecoders.h"
#include "audio/SoundSize.h"
#include "audio/StreamedBuffer.h"
#include "framework/FileStatus.h"

namespace audio {

namespace {
// A sound that could not be had: it says why and plays nothing.
class UnloadedSound : public ISoundBuffer {
public:
    explicit UnloadedSound(SoundError error) : error_(error) {}
    SoundError LoadError() const override { return error_; }
    Result Play(bool) override { return kFailed; }
    Result Stop() override { return kFailed; }
    Result SetCurrentPosition(std::uint32_t) override { return kFailed; }
    Result GetCurrentPosition(std::uint32_t&) override { return kFailed; }
    Result GetStatus(std::uint32_t&) override { return kFailed; }
    Result SetVolume(std::int32_t) override { return kFailed; }
    Result GetVolume(std::int32_t&) override { return kFailed; }
    Result GetAvgBytesPerSec(std::uint32_t&) override { return kFailed; }
    Result GetBlockAlign(std::uint32_t&) override { return kFailed; }
    std::uint64_t LengthBytes() const override { return 0; }

private:
    static constexpr Result kFailed = E_FAIL;
    SoundError error_;
};
}  // namespace

std::unique_ptr<ISoundBuffer> LoadSound(const std::string& path, IDirectSound* device, DWORD flags) {
    // Only a regular file is opened: a pipe or a device name could block the
    // open, and a folder is no sound.
    std::uint64_t size = 0;
    if (!fw::QueryFileSize(path, size)) return std::make_unique<UnloadedSound>(SoundError::Unreadable);
    OpenedSound sound = OpenWav(path);
    // A compressed sound plays from its first seconds while the rest is decoded.
    if (sound.needsDecoding) sound = DecodeSoundFileHeadFirst(path);
    if (!sound.source) return std::make_unique<UnloadedSound>(sound.error);
    // Decoding keeps a core busy and goes on side by side; filling a buffer
    // is bound by memory, and fills side by side only slow each other down.
    static std::mutex filling;
    const std::lock_guard<std::mutex> lock(filling);
    if (!sound.source->SizeKnown() || !StaysResident(sound.source->Size()))
        return std::make_unique<StreamedBuffer>(std::move(sound.source), device, flags);
    return std::make_unique<CSoundBuffer>(*sound.source, device, flags);
}

}  // namespace audio
