#pragma once
// An in-memory sound device that behaves like DirectSound where the board
// relies on it: Play goes on from the current position; a looping buffer
// wraps; a buffer that plays to its end without looping stops and reports
// position 0; Stop keeps the position; positions at or past the end and
// volumes outside -10000..0 are refused. Buffers are made from real files
// read as the real buffer reads them, and a simulated clock moves playing buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "audio/SoundApi.h"
#include "audio/WavFormat.h"

namespace fake {

constexpr audio::Result kOk = 0;
constexpr audio::Result kInvalidParam = static_cast<std::int32_t>(0x80070057u);  // DSERR_INVALIDPARAM
constexpr audio::Result kBufferLost = static_cast<std::int32_t>(0x88780096u);    // DSERR_BUFFERLOST
constexpr std::uint32_t kStatusLooping = 4;                                      // DSBSTATUS_LOOPING

// What a test sees of one buffer; it outlives the buffer object.
struct BufferState {
    std::string path;
    std::uint32_t flags = 0;
    audio::PcmFormat format;
    std::uint32_t size = 0;
    std::uint64_t length = 0;  // the WAV file's whole size
    std::uint32_t position = 0;
    bool playing = false;
    bool looping = false;
    std::int32_t volume = 0;
    bool released = false;
    bool failGetStatus = false;
    bool failGetVolume = false;
    audio::SoundError playbackError = audio::SoundError::None;  // handed out once, as a stream does
    audio::SoundError decodeError = audio::SoundError::None;    // the same
    std::vector<std::string> calls;  // every call, in order, e.g. "SetVolume(-200)"

    // The calls that change the buffer (queries left out), from the from-th one on.
    std::vector<std::string> Changes(std::size_t from = 0) const {
        std::vector<std::string> out;
        for (const auto& c : calls)
            if (c.compare(0, 3, "Get") != 0) out.push_back(c);
        out.erase(out.begin(), out.begin() + static_cast<long>(std::min(from, out.size())));
        return out;
    }
};

class FakeBuffer : public audio::ISoundBuffer {
public:
    FakeBuffer(std::shared_ptr<BufferState> state, audio::SoundError error) : s_(std::move(state)), error_(error) {}
    // Like the real buffer: stopped if playing, then released.
    ~FakeBuffer() override {
        if (s_->playing) Stop();
        s_->calls.push_back("Release");
        s_->released = true;
    }

    audio::SoundError LoadError() const override { return error_; }
    audio::Result Play(bool looping) override {
        Log("Play(" + std::to_string(looping ? 1 : 0) + ")");
        s_->playing = true;
        s_->looping = looping;
        return kOk;
    }
    audio::Result Stop() override {
        Log("Stop");
        s_->playing = false;
        return kOk;
    }
    audio::Result SetCurrentPosition(std::uint32_t bytes) override {
        Log("SetCurrentPosition(" + std::to_string(bytes) + ")");
        if (bytes >= s_->size) return kInvalidParam;
        s_->position = bytes;
        return kOk;
    }
    audio::Result GetCurrentPosition(std::uint32_t& playCursor) override {
        Log("GetCurrentPosition");
        playCursor = s_->position;
        return kOk;
    }
    audio::Result GetStatus(std::uint32_t& status) override {
        Log("GetStatus");
        if (s_->failGetStatus) return kBufferLost;
        status = s_->playing ? (audio::kStatusPlaying | (s_->looping ? kStatusLooping : 0)) : 0;
        return kOk;
    }
    audio::Result SetVolume(std::int32_t v) override {
        Log("SetVolume(" + std::to_string(v) + ")");
        if (v > 0 || v < -10000) return kInvalidParam;
        s_->volume = v;
        return kOk;
    }
    audio::Result GetVolume(std::int32_t& v) override {
        Log("GetVolume");
        if (s_->failGetVolume) return kBufferLost;
        v = s_->volume;
        return kOk;
    }
    audio::Result GetAvgBytesPerSec(std::uint32_t& bytesPerSec) override {
        Log("GetAvgBytesPerSec");
        bytesPerSec = s_->format.avgBytesPerSec;
        return kOk;
    }
    audio::Result GetBlockAlign(std::uint32_t& bytes) override {
        Log("GetBlockAlign");
        bytes = s_->format.blockAlign;
        return kOk;
    }
    std::uint64_t LengthBytes() const override { return s_->length; }
    audio::SoundError TakePlaybackError() override { return std::exchange(s_->playbackError, audio::SoundError::None); }
    audio::SoundError TakeDecodeError() override { return std::exchange(s_->decodeError, audio::SoundError::None); }

    const BufferState& state() const { return *s_; }

private:
    void Log(const std::string& call) {
        if (s_->released) ADD_FAILURE() << call << " on a released buffer";
        s_->calls.push_back(call);
    }
    std::shared_ptr<BufferState> s_;
    audio::SoundError error_;
};

class FakeDevice : public audio::ISoundDevice {
public:
    std::unique_ptr<audio::ISoundBuffer> CreateBuffer(const std::string& path, std::uint32_t flags) override {
        auto state = std::make_shared<BufferState>();
        state->path = path;
        state->flags = flags;
        auto notLoaded = [&](audio::SoundError error) { return std::make_unique<FakeBuffer>(state, error); };
        // Like the real loader, a file that cannot be opened makes no buffer at all.
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (!f || unreadable.count(path)) {
            if (f) std::fclose(f);
            return notLoaded(audio::SoundError::Unreadable);
        }
        buffers.push_back(state);
        if (failing.count(path)) {
            std::fclose(f);
            return notLoaded(failing[path]);
        }
        audio::FileByteSource source(f);
        audio::WavInfo wav;
        const audio::WavResult read = audio::ReadWavInfo(source, wav);
        std::fclose(f);
        if (read == audio::WavResult::TooShort) return notLoaded(audio::SoundError::Unreadable);
        if (read == audio::WavResult::NotPcm || refused.count(path) || wav.dataBytes == 0 ||
            wav.format.blockAlign == 0 || wav.format.samplesPerSec == 0)
            return notLoaded(audio::SoundError::CreateSoundBuffer);
        state->format = wav.format;
        state->size = wav.dataBytes;
        state->length = source.Size();
        return std::make_unique<FakeBuffer>(state, audio::SoundError::None);
    }

    // Like the real device: the source's format and size, nothing read from its file.
    std::unique_ptr<audio::ISoundBuffer> CopyBuffer(audio::ISoundBuffer& source) override {
        const auto& from = dynamic_cast<FakeBuffer&>(source).state();
        auto state = std::make_shared<BufferState>();
        state->path = from.path;
        state->flags = from.flags;
        buffers.push_back(state);
        if (refuseCopies || !source.IsLoaded()) return std::make_unique<FakeBuffer>(state, audio::SoundError::CreateSoundBuffer);
        state->format = from.format;
        state->size = from.size;
        state->length = from.length;
        return std::make_unique<FakeBuffer>(state, audio::SoundError::None);
    }

    // Moves the clock on: every playing buffer advances by the bytes it plays in that time.
    void Advance(unsigned ms) {
        for (auto& b : buffers) {
            if (b->released || !b->playing) continue;
            const std::uint64_t next = b->position + std::uint64_t{ms} * b->format.avgBytesPerSec / 1000;
            if (next < b->size) {
                b->position = static_cast<std::uint32_t>(next);
            } else if (b->looping) {
                b->position = static_cast<std::uint32_t>(next % b->size);
            } else {
                b->playing = false;
                b->position = 0;
            }
        }
    }

    // A load finishes at once, unless loads are held: then it waits until FinishLoads.
    void BeginLoad(std::uint64_t ticket, const std::string& path, std::uint32_t flags) override {
        asked.push_back(path);
        loading.push_back({ticket, path, flags});
        if (!holdLoads) FinishLoads();
    }
    void CancelLoad(std::uint64_t ticket) override {
        ++cancelled;
        loading.erase(std::remove_if(loading.begin(), loading.end(), [&](const Load& l) { return l.ticket == ticket; }),
                      loading.end());
        finished.erase(std::remove_if(finished.begin(), finished.end(),
                                      [&](const audio::LoadedSound& l) { return l.ticket == ticket; }),
                       finished.end());
    }
    std::vector<audio::LoadedSound> TakeLoaded() override { return std::exchange(finished, {}); }
    // Every load held so far, finished in the order asked.
    void FinishLoads() {
        for (const Load& l : std::exchange(loading, {})) finished.push_back({l.ticket, CreateBuffer(l.path, l.flags)});
    }
    void EndReadAhead() override { ++readAheadEnds; }
    bool Lost() override { return lost; }

    BufferState& last() { return *buffers.back(); }

    std::set<std::string> refused;                     // files CreateSoundBuffer turns down
    std::set<std::string> unreadable;                  // files that cannot be opened (locked, no access)
    std::map<std::string, audio::SoundError> failing;  // files that fail to load with that error
    struct Load {
        std::uint64_t ticket;
        std::string path;
        std::uint32_t flags;
    };
    bool holdLoads = false;                            // loads wait for FinishLoads
    std::vector<Load> loading;                         // held loads, in the order asked
    std::vector<audio::LoadedSound> finished;          // finished, not yet taken
    std::vector<std::string> asked;                    // every load's path, in the order asked
    int cancelled = 0;                                 // loads cancelled
    int readAheadEnds = 0;
    bool refuseCopies = false;                         // CopyBuffer fails
    bool lost = false;                                 // plays no more
    std::vector<std::shared_ptr<BufferState>> buffers;  // every buffer ever made, oldest first
};

}  // namespace fake
