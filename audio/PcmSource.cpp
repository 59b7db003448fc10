#include "audio/PcmSource.h"

#include <cstdio>

#include "audio/SoundKind.h"
#include "framework/FileStatus.h"

namespace audio {

namespace {

// The data chunk of an open WAV file; the file is closed with the source.
class WavPcmSource : public PcmSource {
public:
    WavPcmSource(std::FILE* file, const WavInfo& wav, std::uint64_t fileSize)
        : file_(file), bytes_(file), dataOffset_(wav.dataOffset), size_(wav.dataBytes), length_(fileSize) {
        layout_.format = wav.format;
        layout_.validBitsPerSample = wav.validBitsPerSample;
    }
    ~WavPcmSource() override { std::fclose(file_); }
    WavPcmSource(const WavPcmSource&) = delete;
    WavPcmSource& operator=(const WavPcmSource&) = delete;

    const PcmLayout& Layout() const override { return layout_; }
    std::uint64_t Size() const override { return size_; }
    std::uint64_t LengthBytes() const override { return length_; }
    std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) override {
        if (offset >= size_) return 0;
        if (bytes > size_ - offset) bytes = static_cast<std::size_t>(size_ - offset);
        return bytes_.ReadAt(dataOffset_ + offset, to, bytes);
    }

private:
    std::FILE* file_;
    FileByteSource bytes_;
    PcmLayout layout_;
    std::uint64_t dataOffset_, size_, length_;
};

}  // namespace

OpenedSound OpenWav(const std::string& path) {
    OpenedSound sound;
    sound.error = SoundError::Unreadable;
    // Only a regular file: a pipe or a device name could block the open.
    std::uint64_t fileSize = 0;
    if (!fw::QueryFileSize(path, fileSize)) return sound;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return sound;
    FileByteSource bytes(file);
    std::uint8_t head[12];
    if (!ReadsAsWav(path, head, bytes.ReadAt(0, head, sizeof head))) {
        std::fclose(file);
        sound.error = SoundError::Undecodable;
        sound.needsDecoding = true;
        return sound;
    }
    WavInfo wav;
    const WavResult read = ReadWavInfo(bytes, wav);
    if (read != WavResult::Ok) {
        std::fclose(file);
        if (read == WavResult::NotPcm) {
            sound.error = SoundError::CreateSoundBuffer;
            sound.needsDecoding = true;
        }
        return sound;
    }
    sound.source = std::make_shared<WavPcmSource>(file, wav, fileSize);
    sound.error = SoundError::None;
    return sound;
}

}  // namespace audio
