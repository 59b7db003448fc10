#pragma once
// The threads that keep streamed sounds (audio/SoundStream.h) playing: one
// feeder for all streams, which never touches a file, and a reader per
// stream, which does nothing else. A file that stalls holds up its own
// reader only: its stream plays on from its read-ahead and, once that is
// used up, goes silent alone, while the feeder fills every other ring and
// halts a dry one before it could come round to old sound.
//
// Hand-over: the window's thread calls a stream's Play, Stop and seeks and
// wakes the feeder; the stream wakes its reader when a read is due; the
// reader puts what it read into the stream's read-ahead, and the feeder
// (or the reader at once, for a ring waiting to start) writes it into the
// ring. All of it under the stream's mutex, never held during a read.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/SoundStream.h"

namespace audio {

class StreamFeeder {
public:
    // Feeds every stream each period while any plays or waits for sound,
    // and at once when woken. atStart runs first on the feeder's thread (to
    // raise its priority). Throws std::system_error when no thread can be had.
    explicit StreamFeeder(std::chrono::milliseconds period, std::function<void()> atStart = {});
    // Ends the thread; a round never waits for a file, so neither does this.
    ~StreamFeeder();
    StreamFeeder(const StreamFeeder&) = delete;
    StreamFeeder& operator=(const StreamFeeder&) = delete;

    void Add(std::shared_ptr<SoundStream> stream);
    // The feeder lets go of it after the round under way.
    void Remove(const SoundStream* stream);
    void Wake();

private:
    void Run();

    const std::chrono::milliseconds period_;
    const std::function<void()> atStart_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false, ending_ = false;
    std::vector<std::shared_ptr<SoundStream>> streams_;
    std::thread thread_;  // last: it starts once the rest is there
};

// Starts the reader of a stream on a thread of its own, which reads until
// the stream is closed and ends by itself once the read under way has
// returned: nothing waits for it. atStart runs first on that thread. False
// when no thread could be had.
bool StartStreamReader(std::shared_ptr<SoundStream> stream, std::function<void()> atStart = {});

}  // namespace audio
