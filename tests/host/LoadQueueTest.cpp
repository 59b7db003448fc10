// Loads off the board's thread, with real threads: each comes back once,
// with its ticket, and the window is told; one cancelled never comes back,
// whether it waited, ran or had finished.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "FakeSound.h"
#include "audio/LoadQueue.h"

namespace {

using audio::LoadQueue;

// A gate the jobs wait at until the test opens it.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return open; });
    }
    void Open() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            open = true;
        }
        changed.notify_all();
    }
};

std::unique_ptr<audio::ISoundBuffer> Made() {
    return std::make_unique<fake::FakeBuffer>(std::make_shared<fake::BufferState>(), audio::SoundError::None);
}

TEST(LoadQueue, EachLoadComesBackOnceWithItsTicketAndCancelledOnesNever) {
    std::atomic<int> told{0};
    Gate gate;
    std::atomic<int> started{0};
    std::set<std::uint64_t> back;
    {
        LoadQueue loads([&] { ++told; }, 2);
        // Both workers held in loads 1 and 2; 3 and 4 wait behind them.
        for (std::uint64_t ticket = 1; ticket <= 4; ++ticket)
            loads.Begin(ticket, [&] {
                ++started;
                gate.Wait();
                return Made();
            });
        while (started < 2) std::this_thread::yield();
        loads.Cancel(2);  // under way: it runs on, and its buffer goes
        loads.Cancel(3);  // waiting: it never runs
        gate.Open();
        for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
             back.size() < 2 && std::chrono::steady_clock::now() < deadline;) {
            for (const auto& loaded : loads.TakeFinished()) {
                EXPECT_TRUE(loaded.buffer && loaded.buffer->IsLoaded());
                EXPECT_TRUE(back.insert(loaded.ticket).second) << "ticket " << loaded.ticket << " twice";
            }
            std::this_thread::yield();
        }
        loads.Begin(5, Made);
        loads.Begin(0, Made);  // nobody's: it is done, not handed back
        loads.Cancel(5);       // finished or not, it never comes back
    }
    EXPECT_EQ((std::set<std::uint64_t>{1, 4}), back);
    EXPECT_EQ(3, started.load()) << "the cancelled one that waited never ran";
    EXPECT_GE(told.load(), 2);
}

}  // namespace
