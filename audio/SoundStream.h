#pragma once
// A long sound played from its source through a small looping ring that the
// sound card reads round and round. The UI thread plays, pauses, seeks and
// asks for the position as it would of a buffer holding the whole sound. The
// first seconds of the sound are held in memory (the head), so that a start,
// a rewind or a loop back to the start never waits for the disk.
//
// Two threads keep a stream going (audio/StreamThreads.h). Its reader reads
// the source in blocks into a read-ahead in memory, seconds beyond the ring,
// and may block in a slow file as long as the file takes. The feeder fills
// the ring from memory (head, read-ahead) and never reads the source, so it
// always comes round in time to see a ring that ran dry.
//
// Window-free: the ring is an interface (DirectSound in the program, a fake
// in the tests). Every member is guarded by one mutex, which is never held
// while the source is read: a slow or vanished disk holds up the stream's
// own reader only, never the feeder or the caller of Play, Stop or a
// position query.
//
// The ring in bytes "written" since it was last primed: written_ counts what
// has been put in, played_ what the card has taken out. Between them lies
// sound to come (at most Sizes::ahead), and after written_ at least
// Sizes::guard bytes of silence: a ring whose data is late lets the card run
// into silence, and the next look at the cursor (the feeder's, or the UI's
// refresh) halts it before it could come round to old sound. It starts again
// where the sound broke off once the data is there.
#include <condition_variable>
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
    std::uint32_t ring = 0;       // the ring
    std::uint32_t ahead = 0;      // most sound the ring holds ahead of the cursor
    std::uint32_t guard = 0;      // silence kept after it; ahead + guard <= ring
    std::uint32_t chunk = 0;      // least a primed ring starts on
    std::uint32_t head = 0;       // held in memory from the start of the sound
    std::uint32_t block = 0;      // what the reader reads from the source at once
    std::uint32_t readAhead = 0;  // the reader reads on while memory holds less than this beyond the ring
    bool inMemory = false;        // the source answers at once: one reader serves many (audio/SharedReader.h)

    // The sizes for a format of this many bytes per second and per frame.
    static StreamSizes For(std::uint32_t bytesPerSec, std::uint32_t frame);
    // The same for a source in memory, which answers at once: a short ring
    // and read-ahead, and a head just long enough to start on.
    static StreamSizes ForMemory(std::uint32_t bytesPerSec, std::uint32_t frame);
};

class SoundStream {
public:
    // head: the first bytes of source (the whole sound when it is shorter;
    // what is ready of a sound still being made). The ring starts halted,
    // with its cursor anywhere; call SetPosition(0) before anything else.
    SoundStream(std::shared_ptr<PcmSource> source, std::shared_ptr<const std::vector<std::uint8_t>> head,
                std::unique_ptr<SoundRing> ring, const StreamSizes& sizes);
    SoundStream(const SoundStream&) = delete;
    SoundStream& operator=(const SoundStream&) = delete;

    // As a whole-sound buffer answers them. Positions are bytes into the
    // sound; one at or past its end is refused. Play after a read error
    // lets the reader try the source again.
    Result Play(bool looping);
    Result Stop();
    Result SetPosition(std::uint32_t bytes);
    Result GetPosition(std::uint32_t& bytes);
    Result GetStatus(std::uint32_t& status);
    // Why the stream stopped by itself (StreamRead), once; None otherwise.
    SoundError TakeError();
    // Halts the ring for good and lets the reader go: the stream's owner is going.
    void Close();

    // The feeder's round, which never reads the source: sees where the card
    // is, halts a ring that ran dry, writes what memory holds and starts a
    // primed ring that holds enough. True while the stream needs further
    // rounds (it plays or waits for sound).
    bool Feed();
    // The reader's round: when `wait`, waits until a read is due first (a
    // source still being made is looked at again every tenth of a second);
    // then reads one block into the read-ahead, with the lock let go, and
    // writes what the ring has room for. False once the stream is closed.
    bool Read(bool wait);

private:
    // A stretch of the ring from `at` (counted like written_) on, up to the
    // next run: the sound from byte `from` on, or silence after the end.
    struct Run {
        std::uint64_t at, from;
        bool silent;
    };
    enum class Source { None, Silence, Head, ReadAhead };
    struct Plan {
        Source source = Source::None;
        std::uint64_t from = 0;
        std::uint32_t bytes = 0;
    };
    // Sound read from the source: bytes[used...] is the sound from from + used on.
    struct Block {
        std::uint64_t from;
        std::vector<std::uint8_t> bytes;
        std::size_t used;
    };
    struct ReadPlan {
        std::uint64_t from = 0;
        std::uint32_t bytes = 0;  // 0: nothing to read now
        bool later = false;       // the source does not have it yet
    };

    // Everything below runs with mutex_ held.
    // Moves played_ on to the card's cursor; ends the sound at its end and
    // halts a ring that ran dry.
    void Observe();
    // Fills the ring from the sound at byte `from`, halted: what memory holds
    // at once, the rest once the reader has it.
    void Prime(std::uint64_t from);
    // What to write next, and from where.
    Plan NextWrite() const;
    bool Commit(const Plan& plan, const std::uint8_t* bytes);
    // Writes whatever memory can give (head, read-ahead, silence).
    void FillFromMemory();
    // Starts a primed ring once it holds enough, if the sound is to play.
    void StartWhenReady();
    void Halt();
    void Fail(SoundError error);
    std::uint64_t SoundAt(std::uint64_t at) const;  // the sound's byte the ring holds at `at`
    // The read-ahead holds what the ring needs from the source next, in
    // order; when it does not, it goes, and the reader starts again there.
    void Realign();
    void DropReadAhead();
    std::uint64_t HeadEnd() const;
    std::uint64_t ReadPosition() const;  // where the reader goes on, the loop's wrap taken
    ReadPlan NextRead() const;
    void WakeReaderIfDue();
    // Takes the source's size once its decode has ended; the end of the
    // sound is where the ring got to when that is there or before.
    void UpdateSize();

    const std::shared_ptr<PcmSource> source_;
    const std::shared_ptr<const std::vector<std::uint8_t>> head_;
    const StreamSizes sizes_;
    // Bytes of sound, whole frames: of a sound still being decoded, the
    // length its file states until the decode ends (sizeKnown_).
    std::uint64_t size_;
    bool sizeKnown_;

    std::mutex mutex_;
    std::condition_variable readable_;  // the reader waits on it for a read to be due
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
    bool readFailed_ = false;     // no reads until the next Play
    SoundError error_ = SoundError::None;

    std::deque<Block> readAhead_;
    std::uint64_t readAheadBytes_ = 0;  // not yet written to the ring
    std::uint64_t readFrom_ = 0;        // the byte after the read-ahead's last
    std::uint32_t readEpoch_ = 0;       // changes whenever the read-ahead goes
    std::vector<std::uint8_t> spare_;   // a used block's memory, for the next read
};

}  // namespace audio
