#pragma once
// Which sounds are held whole in memory and which are streamed from disk.
#include <cstdint>

namespace audio {

// Up to this many bytes of samples a sound is held whole in one buffer, as
// short carts always were (about 95 s of CD-quality stereo); a longer one is
// streamed.
constexpr std::uint64_t kResidentBytes = 16u << 20;

inline bool StaysResident(std::uint64_t soundBytes) { return soundBytes <= kResidentBytes; }

}  // namespace audio
