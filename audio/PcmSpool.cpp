#include "audio/PcmSpool.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace audio {

namespace {
// Pieces rather than one growing array: no copy on growth, and no need for a
// long run of free addresses in a 32-bit process.
constexpr std::size_t kBlockBytes = 1u << 20;

class MemoryPcmSource : public PcmSource {
public:
    MemoryPcmSource(const PcmLayout& layout, std::vector<std::vector<std::uint8_t>> blocks, std::uint64_t size)
        : layout_(layout), blocks_(std::move(blocks)), size_(size) {}
    const PcmLayout& Layout() const override { return layout_; }
    std::uint64_t Size() const override { return size_; }
    std::uint64_t LengthBytes() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t bytes) override {
        std::size_t done = 0;
        while (done < bytes && offset < size_) {
            const auto& block = blocks_[static_cast<std::size_t>(offset / kBlockBytes)];
            const std::size_t at = static_cast<std::size_t>(offset % kBlockBytes);
            const std::size_t n = static_cast<std::size_t>(
                std::min<std::uint64_t>({bytes - done, block.size() - at, size_ - offset}));
            std::memcpy(static_cast<std::uint8_t*>(to) + done, block.data() + at, n);
            done += n;
            offset += n;
        }
        return done;
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

std::shared_ptr<PcmSource> PcmSpool::Finish() {
    const std::uint64_t frame = layout_.format.blockAlign ? layout_.format.blockAlign : 1;
    const std::uint64_t whole = size_ - size_ % frame;
    size_ = 0;
    if (file_) {
        file_->Promise(0);
        return std::make_shared<FilePcmSource>(layout_, std::move(file_), whole);
    }
    return std::make_shared<MemoryPcmSource>(layout_, std::move(blocks_), whole);
}

}  // namespace audio
