#include "audio/PcmSpool.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace audio {

namespace {
// Pieces rather than one growing array: no copy on growth, and no need for a
// long run of free addresses in a 32-bit process.
constexpr std::size_t kBlockBytes = 1u << 20;

// Reads the bytes [offset, offset + bytes) of `size` kept in blocks of kBlockBytes.
std::size_t ReadBlocks(const std::vector<std::vector<std::uint8_t>>& blocks, std::uint64_t size, std::uint64_t offset,
                       void* to, std::size_t bytes) {
    std::size_t done = 0;
    while (done < bytes && offset < size) {
        const auto& block = blocks[static_cast<std::size_t>(offset / kBlockBytes)];
        const std::size_t at = static_cast<std::size_t>(offset % kBlockBytes);
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>({bytes - done, block.size() - at, size - offset}));
        std::memcpy(static_cast<std::uint8_t*>(to) + done, block.data() + at, n);
        done += n;
        offset += n;
    }
    return done;
}

class MemoryPcmSource : public PcmSource {
public:
    MemoryPcmSource(const PcmLayout& layout, std::vector<std::vector<std::uint8_t>> blocks, std::uint64_t size)
        : layout_(layout), blocks_(std::move(blocks)), size_(size) {}
    const PcmLayout& Layout() const override { return layout_; }
    std::uint64_t Size() const override { return size_; }
    std::uint64_t LengthBytes() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) override {
        return ReadBlocks(blocks_, size_, offset, to, bytes);
    }

private:
    PcmLayout layout_;
    std::vector<std::vector<std::uint8_t>> blocks_;
    std::uint64_t size_;
};

class FilePcmSource : public PcmSource {
public:
    FilePcmSource(const PcmLayout& layout, std::unique_ptr<SpoolFile> file, std::uint64_t size)
        : layout_(layout), file_(std::move(file)), size_(size) {}
    const PcmLayout& Layout() const override { return layout_; }
    std::uint64_t Size() const override { return size_; }
    std::uint64_t LengthBytes() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) override {
        if (offset >= size_) return 0;
        return file_->ReadAt(offset, to, static_cast<std::size_t>(std::min<std::uint64_t>(bytes, size_ - offset)));
    }

private:
    PcmLayout layout_;
    std::unique_ptr<SpoolFile> file_;
    std::uint64_t size_;
};
}  // namespace

PcmSpool::PcmSpool(const PcmLayout& layout, SpoolFileMaker makeFile, std::uint64_t memoryBytes)
    : layout_(layout), makeFile_(std::move(makeFile)), memoryBytes_(memoryBytes) {}

bool PcmSpool::MoveToFile() {
    file_ = makeFile_ ? makeFile_() : nullptr;
    if (!file_) return false;
    for (const auto& block : blocks_)
        if (!file_->Append(block.data(), block.size())) return false;
    blocks_.clear();
    blocks_.shrink_to_fit();
    return true;
}

PcmSpool::Room PcmSpool::Expect(std::uint64_t bytes) {
    if (bytes <= memoryBytes_) return Room::Made;
    if (!file_ && !MoveToFile()) return Room::Failed;
    return file_->Promise(bytes > size_ ? bytes - size_ : 0) ? Room::Made : Room::NoRoom;
}

bool PcmSpool::Append(const void* data, std::size_t bytes) {
    if (!file_ && size_ + bytes > memoryBytes_ && !MoveToFile()) return false;
    if (file_) {
        if (!file_->Append(data, bytes)) return false;
        size_ += bytes;
        return true;
    }
    try {
        const auto* from = static_cast<const std::uint8_t*>(data);
        for (std::size_t left = bytes; left > 0;) {
            if (blocks_.empty() || blocks_.back().size() == kBlockBytes) {
                blocks_.emplace_back();
                blocks_.back().reserve(kBlockBytes);
            }
            auto& block = blocks_.back();
            const std::size_t n = std::min(left, kBlockBytes - block.size());
            block.insert(block.end(), from, from + n);
            from += n;
            left -= n;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    size_ += bytes;
    return true;
}

std::size_t PcmSpool::ReadAt(std::uint64_t offset, void* to, std::size_t bytes) const {
    if (offset >= size_) return 0;
    bytes = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, size_ - offset));
    return file_ ? file_->ReadAt(offset, to, bytes) : ReadBlocks(blocks_, size_, offset, to, bytes);
}

std::shared_ptr<PcmSource> PcmSpool::Finish() {
    const std::uint64_t frame = layout_.format.blockAlign ? layout_.format.blockAlign : 1;
    const std::uint64_t whole = size_ - size_ % frame;
    size_ = 0;
    EndPromise();
    if (file_) {
        return std::make_shared<FilePcmSource>(layout_, std::move(file_), whole);
    }
    return std::make_shared<MemoryPcmSource>(layout_, std::move(blocks_), whole);
}

GrowingPcmSource::GrowingPcmSource(const PcmLayout& layout, PcmSpool spool, std::uint64_t statedBytes)
    : layout_(layout),
      frame_(layout.format.blockAlign ? layout.format.blockAlign : 1),
      spool_(std::move(spool)),
      size_(statedBytes - statedBytes % frame_) {
    ready_ = spool_.Size() - spool_.Size() % frame_;
    if (size_ < ready_) size_ = ready_.load();
}

std::size_t GrowingPcmSource::ReadAt(std::uint64_t offset, void* to, std::size_t bytes) {
    const std::uint64_t ready = ready_.load();
    if (offset >= ready) return 0;
    const std::lock_guard<std::mutex> lock(mutex_);
    return spool_.ReadAt(offset, to, static_cast<std::size_t>(std::min<std::uint64_t>(bytes, ready - offset)));
}

bool GrowingPcmSource::Append(const void* data, std::size_t bytes) {
    std::uint64_t size = 0;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!spool_.Append(data, bytes)) return false;
        size = spool_.Size();
    }
    // Whole frames only are read; a sound decoded past its stated length grows.
    const std::uint64_t ready = size - size % frame_;
    if (size_.load() < ready) size_ = ready;
    ready_ = ready;
    return true;
}

void GrowingPcmSource::End(SoundError error) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        error_ = error;
        spool_.EndPromise();
    }
    size_ = ready_.load();
    known_ = true;  // last: whoever sees it sees the size it goes with
}

SoundError GrowingPcmSource::TakeMakingError() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(error_, SoundError::None);
}

}  // namespace audio
