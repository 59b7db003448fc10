#pragma once
// Which sounds are held whole in memory and which are streamed from disk.
#include <cstdint>

namespace audio {

// Up to this many bytes of samples a sound is held whole in one buffer, as
// short carts always were (about 71 s of CD-quality stereo); a longer one is
// streamed. Eighteen sounds at the limit keep the board under 300 MB: the
// board holds about 40 MB besides its sounds (docs/performance.md).
constexpr std::uint64_t kResidentBytes = 12u << 20;

// The most bytes of samples a sound may have: play positions are 32-bit byte counts.
constexpr std::uint64_t kMostSoundBytes = 0xFFFFFFFFu;

inline bool StaysResident(std::uint64_t soundBytes) { return soundBytes <= kResidentBytes; }

}  // namespace audio
