#include "audio/LoadQueue.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace audio {

LoadQueue::LoadQueue(Notify notify, std::size_t workers) : notify_(std::move(notify)) {
    if (workers == 0) workers = std::max(1u, std::thread::hardware_concurrency());
    try {
        for (std::size_t i = 0; i < workers; ++i) workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // No more threads to be had: the ones started do the work.
    }
}

LoadQueue::~LoadQueue() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        waiting_.clear();
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void LoadQueue::Begin(std::uint64_t ticket, Job job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        waiting_.push_back({ticket, std::move(job)});
    }
    wake_.notify_one();
    // Without a worker the job runs here rather than never.
    if (workers_.empty()) {
        std::unique_lock<std::mutex> lock(mutex_);
        Waiting next = std::move(waiting_.front());
        waiting_.pop_front();
        lock.unlock();
        auto buffer = next.job();
        lock.lock();
        if (next.ticket) finished_.push_back({next.ticket, std::move(buffer)});
    }
}

void LoadQueue::Cancel(std::uint64_t ticket) {
    std::unique_ptr<ISoundBuffer> gone;  // released outside the lock
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.erase(std::remove_if(waiting_.begin(), waiting_.end(), [&](const Waiting& w) { return w.ticket == ticket; }),
                   waiting_.end());
    if (std::find(running_.begin(), running_.end(), ticket) != running_.end()) cancelled_.push_back(ticket);
    for (auto it = finished_.begin(); it != finished_.end(); ++it) {
        if (it->ticket != ticket) continue;
        gone = std::move(it->buffer);
        finished_.erase(it);
        break;
    }
}

std::vector<LoadedSound> LoadQueue::TakeFinished() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(finished_, {});
}

void LoadQueue::Work() {
    for (;;) {
        Waiting next;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
            if (stopping_) return;
            next = std::move(waiting_.front());
            waiting_.pop_front();
            running_.push_back(next.ticket);
        }
        std::unique_ptr<ISoundBuffer> buffer;
        try {
            buffer = next.job();
        } catch (...) {
            // Out of memory, say: the load comes back without a buffer, which says so.
        }
        bool wanted = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            running_.erase(std::find(running_.begin(), running_.end(), next.ticket));
            const auto cancelled = std::find(cancelled_.begin(), cancelled_.end(), next.ticket);
            wanted = next.ticket && cancelled == cancelled_.end() && !stopping_;
            if (cancelled != cancelled_.end()) cancelled_.erase(cancelled);
            if (wanted) finished_.push_back({next.ticket, std::move(buffer)});
        }
        if (wanted && notify_) notify_();
    }
}

}  // namespace audio
