#pragma once
// The narrow sound interface the board plays through. The Windows build
// implements it with DirectSound (SoundBuffer.h); host tests use a fake.
// Results follow the HRESULT convention: negative means the call failed.
// Nothing behind this interface talks to the user: it says what failed, and
// the board tells the user (SoundErrorText).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace audio {

using Result = long;
inline bool Succeeded(Result r) { return r >= 0; }

constexpr std::uint32_t kStatusPlaying = 1;   // DSBSTATUS_PLAYING
constexpr std::uint32_t kBufferFlags = 0x80E0;  // CTRLFREQUENCY|CTRLPAN|CTRLVOLUME|GLOBALFOCUS
constexpr std::int32_t kVolumeFull = 0;
constexpr std::int32_t kVolumeSilent = -5000;   // hundredths of a decibel

enum class SoundError {
    None,
    Unreadable,           // the file cannot be opened or holds no header: nothing is said
    CreateSoundBuffer,    // the sound card refused the format or the size
    ReadingData,          // the sound could not be read into its buffer
    GetStatus,            // a buffer's state could not be read before its release
    Stop,                 // a playing buffer could not be stopped before its release
    Create,               // no sound device could be made
    SetCooperativeLevel,  // the device would not take the window
    OutputUnavailable,    // the chosen output could not be opened
    OutputRefusedSounds,  // the chosen output did not take every loaded sound
    // A sound file that is not a PCM WAV could not be decoded; the user is
    // told its path and why (IsDecodeError).
    Undecodable,          // no decoder of this system reads the file
    DecodeFailed,         // a decoder took the file but could not decode it to its end
    SpoolFailed,          // the decoded samples found no room in memory or on disk
    SpoolNoRoom,          // the folder for temporary files has not the room the decoded sound will take
    TooLong,              // the file's duration says more samples than a position can count
    UnplayableFormat,     // decoded, but into a format the sound card cannot take
    StreamRead,           // a streamed sound's file could not be read as it played: it stopped
    TooLarge,             // no memory for the sound, or more samples than a position can count
};

inline bool IsDecodeError(SoundError error) {
    return error == SoundError::Undecodable || error == SoundError::DecodeFailed || error == SoundError::SpoolFailed ||
           error == SoundError::SpoolNoRoom || error == SoundError::TooLong || error == SoundError::UnplayableFormat;
}

// The message the user is shown (for a decode error, why: the board names
// the file); empty for the errors nothing is said about.
const char* SoundErrorText(SoundError error);

// One sound: held whole in memory, or streamed from its file.
class ISoundBuffer {
public:
    virtual ~ISoundBuffer() = default;  // stops a playing buffer, quietly, before releasing it
    bool IsLoaded() const { return LoadError() == SoundError::None; }
    // Why the buffer could not be made and filled; None once it was.
    virtual SoundError LoadError() const = 0;
    virtual Result Play(bool looping) = 0;
    virtual Result Stop() = 0;
    virtual Result SetCurrentPosition(std::uint32_t bytes) = 0;
    virtual Result GetCurrentPosition(std::uint32_t& playCursor) = 0;
    virtual Result GetStatus(std::uint32_t& status) = 0;
    virtual Result SetVolume(std::int32_t hundredthsDb) = 0;
    virtual Result GetVolume(std::int32_t& hundredthsDb) = 0;
    // Average bytes per second of the buffer's own format, as read back from it.
    virtual Result GetAvgBytesPerSec(std::uint32_t& bytesPerSec) = 0;
    // Bytes per sample frame of the buffer's format: a play position that is
    // not a multiple of it falls inside a frame.
    virtual Result GetBlockAlign(std::uint32_t& bytes) = 0;
    // The bytes the sound's shown length is worked out from (a WAV file's
    // whole size, header included; a decoded sound's own bytes).
    virtual std::uint64_t LengthBytes() const = 0;
    // Why the sound stopped by itself (a streamed sound's file could not be
    // read any more), once; None otherwise.
    virtual SoundError TakePlaybackError() { return SoundError::None; }
    // Of a sound that plays while it is decoded: why its decode stopped
    // short, once (the sound then ends where it stopped); None otherwise.
    // Its LengthBytes() is the file's stated length until the decode ends.
    virtual SoundError TakeDecodeError() { return SoundError::None; }
};

// A sound read off the board's thread, for the load it was asked with.
struct LoadedSound {
    std::uint64_t ticket = 0;
    std::unique_ptr<ISoundBuffer> buffer;  // null only when not even the reason could be kept
};

class ISoundDevice {
public:
    virtual ~ISoundDevice() = default;
    // Reads a sound file into a new buffer, on the calling thread. A file
    // that cannot be read gives a buffer whose LoadError() says why.
    virtual std::unique_ptr<ISoundBuffer> CreateBuffer(const std::string& path, std::uint32_t flags) = 0;
    // The same off the calling thread: the buffer comes back from TakeLoaded
    // with `ticket` once made (a device may have it there at once). A
    // cancelled load never comes back.
    virtual void BeginLoad(std::uint64_t ticket, const std::string& path, std::uint32_t flags) = 0;
    virtual void CancelLoad(std::uint64_t ticket) = 0;
    virtual std::vector<LoadedSound> TakeLoaded() = 0;
    // A new buffer on this device with the format, flags and samples of a
    // loaded buffer of the same kind (made on another device): the sound as
    // it is in memory, without reading its file again. Its position and
    // volume are the new buffer's own. Null, or not loaded, when it cannot be made.
    virtual std::unique_ptr<ISoundBuffer> CopyBuffer(ISoundBuffer& source) = 0;
    // A buffer on this device that plays the same sound as source without
    // holding its samples again (a small ring fed from the source's own
    // samples or file), for a monitor; its position and volume are its own.
    virtual std::unique_ptr<ISoundBuffer> FollowBuffer(ISoundBuffer& source) { return CopyBuffer(source); }
    // The sounds a device read ahead at start-up and nobody asked for can go.
    virtual void EndReadAhead() {}
    // Whether the device has stopped playing (unplugged, its driver or its
    // server gone): its buffers may still take every call, silently. Asked
    // now and then by the board's output watch.
    virtual bool Lost() { return false; }
    // Made for an output that could not be had: the system's default stands in.
    virtual bool OnDefaultInstead() const { return false; }
};

inline const char* SoundErrorText(SoundError error) {
    switch (error) {
    case SoundError::CreateSoundBuffer: return "Error - DS - CreateSoundBuffer";
    case SoundError::ReadingData: return "Error - DS - Reading Data";
    case SoundError::GetStatus: return "Error - DS - GetStatus";
    case SoundError::Stop: return "Error - DS - Stop";
    case SoundError::Create: return "Error - DS - Create\nAudio cannot be used";
    case SoundError::SetCooperativeLevel: return "Error - DS - SetCooperativeLevel";
    case SoundError::OutputUnavailable:
        return "The chosen sound output could not be opened.\n\nThe sounds go on playing where they were.";
    case SoundError::OutputRefusedSounds:
        return "The chosen sound output could not take every loaded sound.\n\n"
               "The sounds go on playing where they were.";
    case SoundError::Undecodable: return "This system has no decoder for this kind of file.";
    case SoundError::DecodeFailed: return "The file is damaged or holds no sound: it could not be decoded to its end.";
    case SoundError::SpoolFailed:
        return "There is no room for the decoded sound, in memory or in the folder for temporary files.";
    case SoundError::SpoolNoRoom:
        return "The folder for temporary files has not enough free space for the decoded sound.";
    case SoundError::TooLong:
        return "The sound is too long to be played: more than 4 GB of samples "
               "(about 6 h 45 min of CD-quality stereo).";
    case SoundError::UnplayableFormat:
        return "The sound card cannot play this sound's format (its number of channels, sample rate or sample size).";
    case SoundError::StreamRead: return "The sound's file could not be read any more, so the sound was stopped.";
    case SoundError::TooLarge: return "Error - The sound is too large to be played.";
    case SoundError::None:
    case SoundError::Unreadable: break;
    }
    return "";
}

}  // namespace audio
