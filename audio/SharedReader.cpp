#include "audio/SharedReader.h"

#include <algorithm>

namespace audio {

namespace {
// Reads a round gives a stream at most: its read-ahead is a block or two.
constexpr int kReadsPerRound = 4;
}  // namespace

SharedReader::SharedReader(std::chrono::milliseconds period) : period_(period), thread_([this] { Run(); }) {}

SharedReader::~SharedReader() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void SharedReader::Add(std::shared_ptr<SoundStream> stream) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        streams_.push_back(std::move(stream));
        woken_ = true;
    }
    wake_.notify_one();
}

void SharedReader::Wake() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        woken_ = true;
    }
    wake_.notify_one();
}

std::size_t SharedReader::streamCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return streams_.size();
}

void SharedReader::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    std::vector<std::shared_ptr<SoundStream>> round, closed;
    for (;;) {
        wake_.wait_for(lock, period_, [this] { return woken_ || ending_; });
        if (ending_) return;
        woken_ = false;
        round = streams_;
        lock.unlock();
        for (const auto& stream : round) {
            bool open = true;
            for (int i = 0; i < kReadsPerRound && open; ++i) open = stream->Read(false);
            if (!open) closed.push_back(stream);
        }
        round.clear();
        lock.lock();
        for (const auto& stream : closed)
            streams_.erase(std::remove(streams_.begin(), streams_.end(), stream), streams_.end());
        closed.clear();  // a stream's last owner may be here: it goes with the lock held, which it never takes
    }
}

}  // namespace audio
