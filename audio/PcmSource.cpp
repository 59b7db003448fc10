#include "audio/PcmSource.h"

#include <mutex>

#include "audio/SoundKind.h"
#include "framework/ReadOnlyFile.h"

namespace audio {

namespace {

class HeldFileBytes : public ByteSource {
public:
    explicit HeldFileBytes(fw::ReadOnlyFile& file) : file_(file) {}
    std::uint64_t Size() const override { return file_.Size(); }
    std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) override {
        return file_.ReadAt(offset, to, bytes);
    }

private:
    fw::ReadOnlyFile& file_;
};

bool SameSound(const WavInfo& a, const WavInfo& b) {
    return a.dataOffset == b.dataOffset && a.dataBytes == b.dataBytes && a.format.channels == b.format.channels &&
           a.format.samplesPerSec == b.format.samplesPerSec && a.format.blockAlign == b.format.blockAlign &&
           a.format.bitsPerSample == b.format.bitsPerSample && a.validBitsPerSample == b.validBitsPerSample;
}

// The data chunk of a WAV file held open; the file is closed with the source.
class WavPcmSource : public PcmSource {
public:
    WavPcmSource(std::string path, std::unique_ptr<fw::ReadOnlyFile> file, const WavInfo& wav)
        : path_(std::move(path)), file_(std::move(file)), wav_(wav), length_(file_->Size()) {
        layout_.format = wav.format;
        layout_.validBitsPerSample = wav.validBitsPerSample;
    }

    const PcmLayout& Layout() const override { return layout_; }
    std::uint64_t Size() const override { return wav_.dataBytes; }
    std::uint64_t LengthBytes() const override { return length_; }
    std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) override {
        if (offset >= Size()) return 0;
        if (bytes > Size() - offset) bytes = static_cast<std::size_t>(Size() - offset);
        std::lock_guard<std::mutex> lock(mutex_);
        if (!file_) file_ = Reopen();
        if (!file_) return 0;
        const std::size_t got = file_->ReadAt(wav_.dataOffset + offset, to, bytes);
        // A handle on a share that dropped reads nothing ever again.
        if (got < bytes) file_.reset();
        return got;
    }

private:
    // Only the same sound: a file put in its place since is not played from the middle.
    std::unique_ptr<fw::ReadOnlyFile> Reopen() const {
        auto file = fw::ReadOnlyFile::Open(path_);
        if (!file) return nullptr;
        HeldFileBytes bytes(*file);
        WavInfo wav;
        if (ReadWavInfo(bytes, wav) != WavResult::Ok || !SameSound(wav, wav_)) return nullptr;
        return file;
    }

    const std::string path_;
    std::mutex mutex_;
    std::unique_ptr<fw::ReadOnlyFile> file_;  // null after a failed read, until the next one opens it again
    const WavInfo wav_;
    const std::uint64_t length_;
    PcmLayout layout_;
};

}  // namespace

OpenedSound OpenWav(const std::string& path) {
    OpenedSound sound;
    sound.error = SoundError::Unreadable;
    auto file = fw::ReadOnlyFile::Open(path);
    if (!file) return sound;
    HeldFileBytes bytes(*file);
    std::uint8_t head[12];
    if (!ReadsAsWav(path, head, bytes.ReadAt(0, head, sizeof head))) {
        sound.error = SoundError::Undecodable;
        sound.needsDecoding = true;
        return sound;
    }
    WavInfo wav;
    const WavResult read = ReadWavInfo(bytes, wav);
    if (read != WavResult::Ok) {
        if (read == WavResult::NotPcm) {
            sound.error = SoundError::CreateSoundBuffer;
            sound.needsDecoding = true;
        }
        return sound;
    }
    sound.source = std::make_shared<WavPcmSource>(path, std::move(file), wav);
    sound.error = SoundError::None;
    return sound;
}

}  // namespace audio
