#pragma once
// Where a decoded sound's samples are kept: in memory while the sound is
// short enough to be held whole, past that in a temporary file, which is
// then read through the source the spool hands over.
#include <cstddef>
#include <cstdint>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/PcmSource.h"
#include "audio/SoundSize.h"

namespace audio {

// A file only the spool writes, read at any offset from any thread once
// written. It goes when the last reader lets go of it.
class SpoolFile {
public:
    virtual ~SpoolFile() = default;
    // False when not every byte was written (a full disk).
    virtual bool Append(const void* data, std::size_t bytes) = 0;
    virtual std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) = 0;
    // Promises that `bytes` more will be written, in place of any earlier
    // promise: false when the file's disk has not that room beside what the
    // other spool files were promised. The promise shrinks as the file grows;
    // 0 ends it.
    virtual bool Promise(std::uint64_t /*bytes*/) { return true; }
};
// A new, empty spool file; null when none can be made.
using SpoolFileMaker = std::function<std::unique_ptr<SpoolFile>()>;

class PcmSpool {
public:
    PcmSpool(const PcmLayout& layout, SpoolFileMaker makeFile, std::uint64_t memoryBytes = kResidentBytes);
    enum class Room { Made, NoRoom, Failed };
    // Makes room for a sound of `bytes`, before any of it is appended: one
    // larger than memory takes its file at once, on a disk that has the room
    // (NoRoom otherwise; Failed when no file could be made).
    Room Expect(std::uint64_t bytes);
    // False when the samples could not be kept: no file could be made or
    // written, or memory ran out. The spool is then of no further use.
    bool Append(const void* data, std::size_t bytes);
    std::uint64_t Size() const { return size_; }
    bool InFile() const { return file_ != nullptr; }
    // Reads what has been appended so far, as a source would.
    std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) const;
    // Nothing more will be appended: what the file was promised and did not take is free again.
    void EndPromise() {
        if (file_) file_->Promise(0);
    }
    // The samples kept so far, whole frames only, as one source; the spool
    // is empty afterwards.
    std::shared_ptr<PcmSource> Finish();

private:
    bool MoveToFile();

    PcmLayout layout_;
    SpoolFileMaker makeFile_;
    std::uint64_t memoryBytes_;
    std::uint64_t size_ = 0;
    std::vector<std::vector<std::uint8_t>> blocks_;  // in memory: pieces of at most kBlockBytes
    std::unique_ptr<SpoolFile> file_;
};

// A sound that plays while it is decoded: the decode's thread appends to the
// spool, any thread reads what is there. Until the decode ends, the size is
// the length the file states (or what was decoded, once that is more), and a
// read gets no further than Ready(); then the size is what was decoded.
// Size, Ready and SizeKnown never wait: the window's thread asks them.
class GrowingPcmSource : public PcmSource {
public:
    GrowingPcmSource(const PcmLayout& layout, PcmSpool spool, std::uint64_t statedBytes);
    const PcmLayout& Layout() const override { return layout_; }
    std::uint64_t Size() const override { return size_.load(); }
    std::uint64_t LengthBytes() const override { return Size(); }
    std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) override;
    std::uint64_t Ready() const override { return ready_.load(); }
    bool SizeKnown() const override { return known_.load(); }
    SoundError TakeMakingError() override;

    // The decode's side. False when the samples could not be kept.
    bool Append(const void* data, std::size_t bytes);
    // The decode ended: at the sound's end (None), or short of it, why.
    void End(SoundError error);

private:
    const PcmLayout layout_;
    const std::uint64_t frame_;
    mutable std::mutex mutex_;  // the spool's blocks and file; held for a read or an append
    PcmSpool spool_;
    std::atomic<std::uint64_t> size_, ready_{0};
    std::atomic<bool> known_{false};
    SoundError error_ = SoundError::None;  // under mutex_
};

}  // namespace audio
