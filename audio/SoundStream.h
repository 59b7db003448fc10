#pragma once
// A long sound played from its source through a small looping ring that the
// sound card reads round and round. The UI thread plays, pauses, seeks and
// asks for the position as it would of a buffer holding the whole sound; a
// pump thread keeps the ring filled ahead of the card's cursor. The first
// seconds of the sound are held in memory (the head), so that a start, a
// rewind or a loop back to the start never waits for the disk.
//
// Window-free: the ring is an interface (DirectSound in the program, a fake
// in the tests). Every member is guarded by one mutex, which is never held
// while the source is read: a slow or vanished disk holds up the pump only,
// never the caller of Play, Stop or a position query.
//
// The ring in bytes "written" since it was last primed: written_ counts what
// the pump has put in, played_ what the card has taken out. Between them
// lies sound to come (at most Sizes::ahead), and after written_ at least
// Sizes::guard bytes of silence: a pump that falls behind lets the card run
// into silence, and the next look at the cursor (the pump's, or the UI's
// refresh) halts the ring before it could come round to old sound.
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/PcmSource.h"
#include "audio/SoundApi.h"

namespace audio {

// The looping buffer the card plays a stream through.
class SoundRing {
public:
    virtual ~SoundRing() = default;
    virtual std::uint32_t Size() const = 0;
    // The play cursor. lapped: so long has passed since the last call while
    // the ring played that the cursor may have come round more than once.
    virtual bool Cursor(std::uint32_t& at, bool& lapped) = 0;
    // Writes count bytes (silence when bytes is null) from ring offset at on,
    // wrapping at the ring's end.
    virtual bool Write(std::uint32_t at, const std::uint8_t* bytes, std::uint32_t count) = 0;
    virtual bool Start() = 0;  // plays on from the cursor, round and round
    virtual bool Halt() = 0;   // stops; the cursor stays where it is
};

// How much of a stream is where, in bytes (whole sample frames).
struct StreamSizes {
    std::uint32_t frame = 1;
    std::uint32_t ring = 0;   // the ring
    std::uint32_t ahead = 0;  // most sound the ring holds ahead of the cursor
    std::uint32_t guard = 0;  // silence kept after it; ahead + guard <= ring
    std::uint32_t chunk = 0;  // least the pump reads from the source at once
    std::uint32_t head = 0;   // held in memory from the start of the sound

    // The sizes for a format of this many bytes per second and per frame.
    static StreamSizes For(std::uint32_t bytesPerSec, std::uint32_t frame);
};

class SoundStream {
public:
    // head: the first bytes of source, at least Sizes::ahead of them (the
    // whole sound when it is shorter). The ring starts halted, with its cursor
    // anywhere; call SetPosition(0) before anything else.
    SoundStream(std::shared_ptr<PcmSource> source, std::shared_ptr<const std::vector<std::uint8_t>> head,
                std::unique_ptr<SoundRing> ring, const StreamSizes& sizes);
    SoundStream(const SoundStream&) = delete;
    SoundStream& operator=(const SoundStream&) = delete;

    // As a whole-sound buffer answers them. Positions are bytes into the
    // sound; one at or past its end is refused.
    Result Play(bool looping);
    Result Stop();
    Result SetPosition(std::uint32_t bytes);
    Result GetPosition(std::uint32_t& bytes);
    Result GetStatus(std::uint32_t& status);
    // Why the stream stopped by itself (StreamRead), once; None otherwise.
    SoundError TakeError();
    // Halts the ring for good: the stream's owner is going.
    void Close();

    // One round of the pump: reads what the ring has room for and writes it.
    // True while the stream needs further rounds (it plays or waits for sound).
    bool Pump();

private:
    // A stretch of the ring from `at` (counted like written_) on, up to the
    // next run: the sound from byte `from` on, or silence after the end.
    struct Run {
        std::uint64_t at, from;
        bool silent;
    };
    enum class Source { None, Silence, Head, Disk };
    struct Plan {
        Source source = Source::None;
        std::uint64_t from = 0;
        std::uint32_t bytes = 0;
    };

    // Everything below runs with mutex_ held.
    // Moves played_ on to the card's cursor; ends the sound at its end and
    // halts a ring that ran dry.
    void Observe();
    // Fills the ring from the sound at byte `from`, halted: what memory holds
    // at once, the rest by the pump.
    void Prime(std::uint64_t from);
    // What to write next, and from where.
    Plan NextWrite() const;
    bool Commit(const Plan& plan, const std::uint8_t* bytes);
    // Writes whatever memory can give (head, silence); stops at the disk.
    void FillFromMemory();
    // Starts a primed ring once it holds enough, if the sound is to play.
    void StartWhenReady();
    void Halt();
    void Fail(SoundError error);
    std::uint64_t SoundAt(std::uint64_t at) const;  // the sound's byte the ring holds at `at`

    const std::shared_ptr<PcmSource> source_;
    const std::shared_ptr<const std::vector<std::uint8_t>> head_;
    const StreamSizes sizes_;
    const std::uint64_t size_;  // bytes of sound, whole frames

    std::mutex mutex_;
    std::unique_ptr<SoundRing> ring_;
    std::uint32_t base_ = 0;    // ring offset of written byte 0
    std::uint32_t cursor_ = 0;  // the card's cursor when last seen
    std::uint64_t written_ = 0, played_ = 0;
    std::uint64_t silentTo_ = 0;  // [written_, silentTo_) is known to be silence
    std::deque<Run> runs_;
    std::uint64_t next_ = 0;      // the sound's byte to write next
    bool pastEnd_ = false;        // writing the silence after the end
    bool seamWritten_ = false;    // the end of the sound is in the ring, at seam_
    std::uint64_t seam_ = 0;
    bool playing_ = false;        // as the caller sees it
    bool looping_ = false;
    bool running_ = false;        // the ring plays
    bool waiting_ = false;        // primed, but not yet enough to start on
    bool closed_ = false;
    bool failing_ = false;
    std::uint32_t epoch_ = 0;     // changes whenever the ring is written other than by the pump's own reads
    SoundError error_ = SoundError::None;
    std::vector<std::uint8_t> scratch_;  // the pump's read buffer; touched by the pump alone
};

}  // namespace audio
