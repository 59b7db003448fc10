#include "framework/Trace.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace fw::trace {

namespace {
struct Record {
    const char* event;
    LONGLONG count;
};

// Stamps are kept in memory so that taking one costs no file access; they
// are written out when the buffer fills and when the program ends.
class Log {
public:
    ~Log() { Flush(); }

    void Open(const char* path) {
        path_ = path;
        records_.reserve(kCapacity);
        LARGE_INTEGER freq{};
        ::QueryPerformanceFrequency(&freq);
        if (std::FILE* f = std::fopen(path_.c_str(), "w")) {
            std::fprintf(f, "freq %lld\n", static_cast<long long>(freq.QuadPart));
            std::fclose(f);
        } else {
            path_.clear();  // nowhere to write: stay off
        }
    }
    bool on() const { return !path_.empty(); }

    // Any thread may stamp: the socket's, the loaders', the decoders'.
    void Add(const char* event) {
        const std::lock_guard<std::mutex> lock(mutex_);
        LARGE_INTEGER now{};
        ::QueryPerformanceCounter(&now);
        records_.push_back({event, now.QuadPart});
        if (records_.size() >= kCapacity) Write();
    }

    void Flush() {
        const std::lock_guard<std::mutex> lock(mutex_);
        Write();
    }

private:
    void Write() {
        if (!on() || records_.empty()) return;
        if (std::FILE* f = std::fopen(path_.c_str(), "a")) {
            for (const Record& r : records_) std::fprintf(f, "%s %lld\n", r.event, static_cast<long long>(r.count));
            std::fclose(f);
        }
        records_.clear();
    }

    static constexpr size_t kCapacity = 8192;
    std::mutex mutex_;
    std::string path_;
    std::vector<Record> records_;
};

Log& TheLog() {
    static Log log;
    return log;
}
}  // namespace

void Start() {
    const char* path = std::getenv("CLANGSTER_TRACE");
    if (!path || !*path) return;
    TheLog().Open(path);
    Stamp("start");
}

bool On() { return TheLog().on(); }

void Stamp(const char* event) {
    Log& log = TheLog();
    if (log.on()) log.Add(event);
}

}  // namespace fw::trace
