#pragma once
// A sound heard on the main output and, in step, on the monitor: whatever
// plays, stops, moves or sets the level of the main buffer does the same to
// the monitor's; what is asked is answered by the main one. The monitor's
// buffer is made when the sound first plays (the device decides how: never
// a second copy of what a sound holds in memory). Window-free.
#include <memory>

#include "audio/SoundApi.h"

namespace board {

class MirroredSound : public audio::ISoundBuffer {
public:
    MirroredSound(std::unique_ptr<audio::ISoundBuffer> main, audio::ISoundDevice& monitor)
        : main_(std::move(main)), monitor_(monitor) {}

    // The main buffer, the monitor's going with this.
    static std::unique_ptr<audio::ISoundBuffer> Unwrap(std::unique_ptr<audio::ISoundBuffer> sound) {
        auto* mirrored = dynamic_cast<MirroredSound*>(sound.get());
        return mirrored ? std::move(mirrored->main_) : std::move(sound);
    }
    // Makes the monitor play along with a main buffer that already plays.
    void Follow() {
        std::uint32_t status = 0;
        if (!audio::Succeeded(main_->GetStatus(status)) || !(status & audio::kStatusPlaying)) return;
        if (Mirror()) mirror_->Play((status & kLooping) != 0);
    }
    bool mirrored() const { return mirror_ != nullptr; }
    // Two cards' clocks drift apart over minutes: a monitor more than
    // `limit` bytes away from the main buffer while both play is put back
    // where the main one is.
    void KeepInStep(std::uint32_t limit) {
        std::uint32_t status = 0, at = 0, heard = 0;
        if (!mirror_ || !audio::Succeeded(main_->GetStatus(status)) || !(status & audio::kStatusPlaying) ||
            !audio::Succeeded(main_->GetCurrentPosition(at)) || !audio::Succeeded(mirror_->GetCurrentPosition(heard)))
            return;
        // Round a loop's seam the two may stand at either end.
        const std::uint64_t size = main_->LengthBytes(), apart = at > heard ? at - heard : heard - at;
        if (apart > limit && (size <= apart || size - apart > limit)) mirror_->SetCurrentPosition(at);
    }
    audio::ISoundBuffer& main() { return *main_; }

    audio::SoundError LoadError() const override { return main_->LoadError(); }
    audio::Result Play(bool looping) override {
        if (Mirror()) mirror_->Play(looping);
        return main_->Play(looping);
    }
    audio::Result Stop() override {
        if (mirror_) mirror_->Stop();
        return main_->Stop();
    }
    audio::Result SetCurrentPosition(std::uint32_t bytes) override {
        if (mirror_) mirror_->SetCurrentPosition(bytes);
        return main_->SetCurrentPosition(bytes);
    }
    audio::Result SetVolume(std::int32_t hundredthsDb) override {
        if (mirror_) mirror_->SetVolume(hundredthsDb);
        return main_->SetVolume(hundredthsDb);
    }
    audio::Result GetCurrentPosition(std::uint32_t& cursor) override { return main_->GetCurrentPosition(cursor); }
    audio::Result GetStatus(std::uint32_t& status) override { return main_->GetStatus(status); }
    audio::Result GetVolume(std::int32_t& hundredthsDb) override { return main_->GetVolume(hundredthsDb); }
    audio::Result GetAvgBytesPerSec(std::uint32_t& bytesPerSec) override {
        return main_->GetAvgBytesPerSec(bytesPerSec);
    }
    audio::Result GetBlockAlign(std::uint32_t& bytes) override { return main_->GetBlockAlign(bytes); }
    std::uint64_t LengthBytes() const override { return main_->LengthBytes(); }
    audio::SoundError TakePlaybackError() override { return main_->TakePlaybackError(); }

private:
    static constexpr std::uint32_t kLooping = 4;  // DSBSTATUS_LOOPING

    // The monitor's buffer at the main one's place and level; false when the monitor cannot have it.
    bool Mirror() {
        if (mirror_ || refused_) return mirror_ != nullptr;
        auto made = monitor_.FollowBuffer(*main_);
        if (!made || !made->IsLoaded()) return !(refused_ = true);
        std::uint32_t cursor = 0;
        std::int32_t level = audio::kVolumeFull;
        main_->GetCurrentPosition(cursor);
        main_->GetVolume(level);
        made->SetVolume(level);
        made->SetCurrentPosition(cursor);
        mirror_ = std::move(made);
        return true;
    }

    std::unique_ptr<audio::ISoundBuffer> main_;
    audio::ISoundDevice& monitor_;
    std::unique_ptr<audio::ISoundBuffer> mirror_;  // made when first needed
    bool refused_ = false;
};

}  // namespace board
