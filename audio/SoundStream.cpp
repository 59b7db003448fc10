#include "audio/SoundStream.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <new>
#include <utility>

namespace audio {

namespace {
constexpr Result kOk = 0;
constexpr Result kFailed = static_cast<Result>(0x80004005u);        // E_FAIL
constexpr Result kInvalidParam = static_cast<Result>(0x80070057u);  // DSERR_INVALIDPARAM
constexpr std::uint32_t kStatusLooping = 4;                         // DSBSTATUS_LOOPING
// How often a reader looks again at a source that does not have its bytes yet.
constexpr std::chrono::milliseconds kLookAgain{100};
}  // namespace

StreamSizes StreamSizes::For(std::uint32_t bytesPerSec, std::uint32_t frame) {
    StreamSizes s;
    s.frame = std::max<std::uint32_t>(frame, 1);
    auto whole = [&](std::uint32_t bytes) { return std::max(bytes - bytes % s.frame, s.frame); };
    auto seconds = [&](double t) { return whole(static_cast<std::uint32_t>(bytesPerSec * t)); };
    // The feeder, which never waits for a file, sees a dry ring long before
    // its half second of silence is through.
    s.ring = seconds(2.0);
    s.ahead = seconds(1.5);
    s.guard = s.ring - s.ahead;
    s.chunk = seconds(0.25);
    s.head = seconds(4.0);
    // Blocks large enough that a disk or share answering each request late
    // still delivers many times what the sound takes; seconds in memory
    // beyond the ring ride out a file that stalls now and then.
    s.block = whole(256u << 10);
    s.readAhead = std::max(seconds(4.0), s.block);
    return s;
}

StreamSizes StreamSizes::ForMemory(std::uint32_t bytesPerSec, std::uint32_t frame) {
    StreamSizes s = For(bytesPerSec, frame);
    auto seconds = [&](double t) {
        return std::max(static_cast<std::uint32_t>(bytesPerSec * t) / s.frame, 1u) * s.frame;
    };
    s.ring = seconds(0.6);
    s.ahead = seconds(0.4);
    s.guard = s.ring - s.ahead;
    s.chunk = seconds(0.1);
    s.head = s.chunk;
    s.block = seconds(0.2);
    s.readAhead = s.block;
    s.inMemory = true;
    return s;
}

SoundStream::SoundStream(std::shared_ptr<PcmSource> source, std::shared_ptr<const std::vector<std::uint8_t>> head,
                         std::unique_ptr<SoundRing> ring, const StreamSizes& sizes)
    : source_(std::move(source)),
      head_(std::move(head)),
      sizes_(sizes),
      sizeKnown_(source_->SizeKnown()),
      ring_(std::move(ring)) {
    size_ = source_->Size() - source_->Size() % sizes.frame;
}

Result SoundStream::Play(bool looping) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return kFailed;
    Observe();
    readFailed_ = false;  // the source is tried again: a file that failed is opened again
    if (looping != looping_ && seamWritten_ && seam_ >= played_) {
        // The ring holds what follows the end for the other setting: the
        // start again, or silence. Written again from there.
        while (!runs_.empty() && runs_.back().at >= seam_) runs_.pop_back();
        runs_.push_back({seam_, looping ? 0 : size_, !looping});
        written_ = silentTo_ = seam_;
        next_ = looping ? 0 : size_;
        pastEnd_ = !looping;
    }
    looping_ = looping;
    playing_ = true;
    FillFromMemory();
    StartWhenReady();
    WakeReaderIfDue();
    if (!running_ && !waiting_) {
        playing_ = false;  // the card would not start
        return kFailed;
    }
    return kOk;
}

Result SoundStream::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return kFailed;
    playing_ = false;
    if (!running_) return kOk;
    const bool halted = ring_->Halt();
    Observe();  // the cursor where it stopped; the end may have come first
    running_ = false;
    return halted ? kOk : kFailed;
}

Result SoundStream::SetPosition(std::uint32_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return kFailed;
    UpdateSize();
    if (bytes >= size_) return kInvalidParam;
    Prime(bytes - bytes % sizes_.frame);
    WakeReaderIfDue();
    return kOk;
}

Result SoundStream::GetPosition(std::uint32_t& bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return kFailed;
    Observe();
    bytes = static_cast<std::uint32_t>(SoundAt(played_));
    return kOk;
}

Result SoundStream::GetStatus(std::uint32_t& status) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return kFailed;
    Observe();
    status = playing_ ? kStatusPlaying | (looping_ ? kStatusLooping : 0) : 0;
    return kOk;
}

SoundError SoundStream::TakeError() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(error_, SoundError::None);
}

void SoundStream::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    playing_ = false;
    Halt();
    DropReadAhead();
    readable_.notify_all();
}

bool SoundStream::Feed() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return false;
    Observe();
    FillFromMemory();
    StartWhenReady();
    WakeReaderIfDue();
    return running_ || waiting_;
}

bool SoundStream::Read(bool wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    UpdateSize();
    ReadPlan plan = NextRead();
    while (wait && !closed_ && !plan.bytes) {
        if (plan.later)
            readable_.wait_for(lock, kLookAgain);
        else
            readable_.wait(lock);
        UpdateSize();
        plan = NextRead();
    }
    if (closed_) return false;
    if (!plan.bytes) return true;
    // Stopped, back at the start, and said once; no further reads until the next Play.
    auto fail = [&](SoundError error) {
        readFailed_ = true;
        Fail(error);
        return true;
    };
    std::vector<std::uint8_t> block = std::move(spare_);
    try {
        block.resize(plan.bytes);
    } catch (const std::bad_alloc&) {
        return fail(SoundError::TooLarge);
    }
    const std::uint32_t epoch = readEpoch_;
    lock.unlock();
    const std::size_t got = source_->ReadAt(plan.from, block.data(), plan.bytes);
    lock.lock();
    if (closed_) return false;
    if (epoch != readEpoch_) {
        // Read for a place the ring no longer needs (a seek while the disk answered).
        spare_ = std::move(block);
        return true;
    }
    if (got != plan.bytes) return fail(SoundError::StreamRead);
    readAhead_.push_back({plan.from, std::move(block), 0});
    readAheadBytes_ += plan.bytes;
    readFrom_ = plan.from + plan.bytes;
    FillFromMemory();
    StartWhenReady();
    return true;
}

void SoundStream::Observe() {
    UpdateSize();
    if (!running_) return;
    std::uint32_t at = 0;
    bool lapped = false;
    if (!ring_->Cursor(at, lapped)) return;
    played_ += (at + sizes_.ring - cursor_) % sizes_.ring;
    cursor_ = at;
    if (pastEnd_ && (lapped || played_ >= seam_)) {
        // The end of a sound that does not loop: stopped, and back at the start.
        playing_ = false;
        Prime(0);
    } else if (lapped || played_ >= written_) {
        // Ran dry: the card plays the silence after the sound until the ring
        // is primed again where the sound broke off.
        Prime(next_);
    } else {
        while (runs_.size() > 1 && runs_[1].at <= played_) runs_.pop_front();
    }
}

void SoundStream::Prime(std::uint64_t from) {
    Halt();
    std::uint32_t at = 0;
    bool lapped = false;
    if (ring_->Cursor(at, lapped)) cursor_ = at;
    base_ = cursor_;
    written_ = played_ = silentTo_ = 0;
    runs_.assign(1, Run{0, from, false});
    next_ = from;
    pastEnd_ = seamWritten_ = false;
    waiting_ = true;
    Realign();
    FillFromMemory();
    StartWhenReady();
}

SoundStream::Plan SoundStream::NextWrite() const {
    Plan plan;
    const std::uint64_t inRing = written_ - played_;
    if (inRing + sizes_.frame > sizes_.ahead) return plan;
    std::uint64_t room = sizes_.ahead - inRing;
    room -= room % sizes_.frame;
    if (pastEnd_) return {Source::Silence, size_, static_cast<std::uint32_t>(room)};
    if (next_ >= size_) return plan;  // the decode has not got there, nor ended
    plan.from = next_;
    plan.bytes = static_cast<std::uint32_t>(std::min(room, size_ - next_));
    if (next_ < HeadEnd()) {
        plan.source = Source::Head;
        plan.bytes = static_cast<std::uint32_t>(std::min<std::uint64_t>(plan.bytes, HeadEnd() - next_));
    } else {
        plan.source = Source::ReadAhead;
    }
    return plan;
}

bool SoundStream::Commit(const Plan& plan, const std::uint8_t* bytes) {
    auto ringAt = [&](std::uint64_t n) {
        return static_cast<std::uint32_t>((base_ + n % sizes_.ring) % sizes_.ring);
    };
    if (!ring_->Write(ringAt(written_), bytes, plan.bytes)) {
        Fail(SoundError::ReadingData);
        return false;
    }
    const bool silent = plan.source == Source::Silence;
    const Run& last = runs_.back();
    if (last.silent != silent || (!silent && last.from + (written_ - last.at) != plan.from))
        runs_.push_back({written_, plan.from, silent});
    written_ += plan.bytes;
    if (!silent) {
        next_ = plan.from + plan.bytes;
        if (next_ == size_ && sizeKnown_) {
            seam_ = written_;
            seamWritten_ = true;
            if (looping_)
                next_ = 0;  // the start follows the end without a gap
            else
                pastEnd_ = true;
        }
    }
    silentTo_ = std::max(silentTo_, written_);
    const std::uint64_t guardEnd = written_ + sizes_.guard;
    if (silentTo_ < guardEnd) {
        if (!ring_->Write(ringAt(silentTo_), nullptr, static_cast<std::uint32_t>(guardEnd - silentTo_))) {
            Fail(SoundError::ReadingData);
            return false;
        }
        silentTo_ = guardEnd;
    }
    return true;
}

void SoundStream::FillFromMemory() {
    for (;;) {
        Plan plan = NextWrite();
        const std::uint8_t* bytes = nullptr;
        if (plan.source == Source::Head) {
            bytes = head_->data() + plan.from;
        } else if (plan.source == Source::ReadAhead) {
            Realign();
            if (readAhead_.empty()) return;  // the reader has not got there yet
            const Block& block = readAhead_.front();
            plan.bytes = static_cast<std::uint32_t>(std::min<std::size_t>(plan.bytes, block.bytes.size() - block.used));
            bytes = block.bytes.data() + block.used;
        } else if (plan.source != Source::Silence) {
            return;
        }
        if (!Commit(plan, bytes)) return;
        if (plan.source != Source::ReadAhead) continue;
        Block& block = readAhead_.front();
        block.used += plan.bytes;
        readAheadBytes_ -= plan.bytes;
        if (block.used == block.bytes.size()) {
            spare_ = std::move(block.bytes);
            readAhead_.pop_front();
        }
    }
}

void SoundStream::StartWhenReady() {
    if (waiting_ && (written_ - played_ >= sizes_.chunk || pastEnd_)) waiting_ = false;
    if (!waiting_ && playing_ && !running_ && !closed_) {
        running_ = ring_->Start();
        if (!running_) playing_ = false;
    }
}

void SoundStream::Halt() {
    if (!running_) return;
    ring_->Halt();
    running_ = false;
}

void SoundStream::Fail(SoundError error) {
    error_ = error;
    playing_ = false;
    // Back at the start, from memory, ready to be played again; a ring that
    // refuses that too is left as it is.
    if (failing_) return;
    failing_ = true;
    Prime(0);
    failing_ = false;
}

std::uint64_t SoundStream::SoundAt(std::uint64_t at) const {
    auto run = runs_.rbegin();
    while (std::next(run) != runs_.rend() && run->at > at) ++run;
    return run->silent ? run->from : run->from + (at - run->at);
}

std::uint64_t SoundStream::HeadEnd() const { return std::min<std::uint64_t>(head_->size(), size_); }

std::uint64_t SoundStream::ReadPosition() const {
    if (readFrom_ < size_ || !sizeKnown_) return readFrom_;
    return looping_ ? HeadEnd() : size_;
}

void SoundStream::Realign() {
    // After the head, the ring needs the source from where the head ends.
    const std::uint64_t want = std::max(next_, HeadEnd());
    if (readAhead_.empty() ? ReadPosition() == want
                           : readAhead_.front().from + readAhead_.front().used == want)
        return;
    DropReadAhead();
    readFrom_ = want;
}

void SoundStream::DropReadAhead() {
    if (!readAhead_.empty()) spare_ = std::move(readAhead_.front().bytes);
    readAhead_.clear();
    readAheadBytes_ = 0;
    ++readEpoch_;
}

SoundStream::ReadPlan SoundStream::NextRead() const {
    ReadPlan plan;
    // Only for a sound that plays, or waits to; never again after a read
    // error until the next Play.
    if (closed_ || readFailed_ || !(playing_ || waiting_) || readAheadBytes_ >= sizes_.readAhead) return plan;
    const std::uint64_t from = ReadPosition();
    if (from >= size_) {
        plan.later = !sizeKnown_;
        return plan;
    }
    const std::uint64_t ready = std::min(source_->Ready(), size_);
    std::uint64_t bytes = std::min<std::uint64_t>(sizes_.block, ready > from ? ready - from : 0);
    bytes -= bytes % sizes_.frame;
    plan.later = bytes == 0;
    plan.from = from;
    plan.bytes = static_cast<std::uint32_t>(bytes);
    return plan;
}

void SoundStream::UpdateSize() {
    if (sizeKnown_ || !source_->SizeKnown()) {
        if (!sizeKnown_) size_ = std::max(size_, source_->Size() - source_->Size() % sizes_.frame);
        return;
    }
    sizeKnown_ = true;
    size_ = source_->Size() - source_->Size() % sizes_.frame;
    if (pastEnd_ || next_ < size_) return;
    if (next_ > size_ || size_ == 0) {
        // A place past the end the file stated (a seek there): the end comes at once.
        if (!looping_) playing_ = false;
        Prime(0);
        return;
    }
    // The ring holds the sound up to its end, as a write of its last bytes would have left it.
    seam_ = written_;
    seamWritten_ = true;
    if (looping_)
        next_ = 0;
    else
        pastEnd_ = true;
    FillFromMemory();
    StartWhenReady();
}

void SoundStream::WakeReaderIfDue() {
    if (NextRead().bytes) readable_.notify_one();
}

}  // namespace audio
