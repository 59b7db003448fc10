#include "audio/StreamThreads.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace audio {

StreamFeeder::StreamFeeder(std::chrono::milliseconds period, std::function<void()> atStart)
    : period_(period), atStart_(std::move(atStart)), thread_([this] { Run(); }) {}

StreamFeeder::~StreamFeeder() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void StreamFeeder::Add(std::shared_ptr<SoundStream> stream) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        streams_.push_back(std::move(stream));
    }
    Wake();
}

void StreamFeeder::Remove(const SoundStream* stream) {
    std::lock_guard<std::mutex> lock(mutex_);
    streams_.erase(std::remove_if(streams_.begin(), streams_.end(),
                                  [&](const std::shared_ptr<SoundStream>& s) { return s.get() == stream; }),
                   streams_.end());
}

void StreamFeeder::Wake() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        woken_ = true;
    }
    wake_.notify_one();
}

void StreamFeeder::Run() {
    if (atStart_) atStart_();
    std::vector<std::shared_ptr<SoundStream>> round;
    bool busy = false;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        const auto due = [this] { return woken_ || ending_; };
        if (busy)
            wake_.wait_for(lock, period_, due);
        else
            wake_.wait(lock, due);
        if (ending_) return;
        woken_ = false;
        round = streams_;
        lock.unlock();
        busy = false;
        for (const auto& stream : round) busy = stream->Feed() || busy;
        round.clear();  // a stream removed meanwhile goes here
        lock.lock();
    }
}

bool StartStreamReader(std::shared_ptr<SoundStream> stream, std::function<void()> atStart) {
    try {
        std::thread([stream = std::move(stream), atStart = std::move(atStart)] {
            if (atStart) atStart();
            while (stream->Read(true)) {
            }
        }).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace audio
