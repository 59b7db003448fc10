#pragma once
// Where a decoded sound's samples are kept: in memory while the sound is
// short enough to be held whole, past that in a temporary file, which is
// then read through the source the spool hands over.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
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

}  // namespace audio
