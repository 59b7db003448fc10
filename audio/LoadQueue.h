#pragma once
// Sounds made off the board's thread: each load is a job, run in the order
// asked on a worker per core (a scheme's first slots are playable first).
// A finished load waits here, and `notify` (called on the worker) tells the
// board's thread to take it; the board thus never waits for a file or a
// decoder. Window-free: the program's notify posts a message to its window.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/SoundApi.h"

namespace audio {

class LoadQueue {
public:
    using Job = std::function<std::unique_ptr<ISoundBuffer>()>;
    using Notify = std::function<void()>;

    // workers: 0 for one per core.
    explicit LoadQueue(Notify notify, std::size_t workers = 0);
    // Drops what waits and waits for the jobs under way.
    ~LoadQueue();
    LoadQueue(const LoadQueue&) = delete;
    LoadQueue& operator=(const LoadQueue&) = delete;

    // A job whose result comes back from TakeFinished with `ticket`; ticket
    // 0 is work whose result nobody takes.
    void Begin(std::uint64_t ticket, Job job);
    // The job's result never comes back; one not yet started never runs.
    void Cancel(std::uint64_t ticket);
    // What has finished since the last call, in the order it finished.
    std::vector<LoadedSound> TakeFinished();

private:
    struct Waiting {
        std::uint64_t ticket;
        Job job;
    };
    void Work();

    const Notify notify_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Waiting> waiting_;
    std::vector<std::uint64_t> running_;  // tickets of the jobs under way
    std::vector<std::uint64_t> cancelled_;  // of those, the ones no longer wanted
    std::vector<LoadedSound> finished_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;  // last: they start once everything above exists
};

}  // namespace audio
