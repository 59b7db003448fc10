#pragma once
// One thread that reads for every stream whose source answers at once (a
// sound's samples in memory, as a monitor's rings have them): a reader
// thread each would cost more memory than the rings themselves. Each round
// it gives every stream what its read-ahead lacks; a stream that was closed
// is let go. Window-free.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/SoundStream.h"

namespace audio {

class SharedReader {
public:
    explicit SharedReader(std::chrono::milliseconds period);
    ~SharedReader();
    SharedReader(const SharedReader&) = delete;
    SharedReader& operator=(const SharedReader&) = delete;

    void Add(std::shared_ptr<SoundStream> stream);
    // A round at once: a stream was started or moved and may need sound now.
    void Wake();
    std::size_t streamCount();

private:
    void Run();

    const std::chrono::milliseconds period_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::shared_ptr<SoundStream>> streams_;
    bool woken_ = false, ending_ = false;
    std::thread thread_;  // last: it runs on the members above
};

}  // namespace audio
