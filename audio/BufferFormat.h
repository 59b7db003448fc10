#pragma once
// How the program describes its DirectSound buffers and reads their format
// back: shared by sounds held whole, streamed sounds and the bench's floors.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>
#include <mmreg.h>

#include <cstdint>

#include "audio/PcmSource.h"

namespace audio {

// The wave format DirectSound is given: the 16-byte PCM form for 8 and 16
// bits, as the program always gave it; the extensible form for deeper
// samples, which Windows only accepts that way.
void DescribeFormat(const PcmLayout& layout, WAVEFORMATEXTENSIBLE& format);
// A secondary buffer of `bytes` in `format`: the original DirectSound 1
// description, without the 3D algorithm field, as every buffer of the
// program is described.
DSBUFFERDESC DescribeBuffer(DWORD flags, DWORD bytes, WAVEFORMATEXTENSIBLE& format);
// A buffer's format, with room for the extensible form, which a deep-sample
// buffer reports.
HRESULT ReadFormat(IDirectSoundBuffer* buffer, WAVEFORMATEXTENSIBLE& format);
// A buffer's volume and the parts of its format the board asks for, as the
// sound interface gives them; shared by held and streamed sounds.
HRESULT ReadVolume(IDirectSoundBuffer* buffer, std::int32_t& hundredthsDb);
HRESULT ReadBytesPerSec(IDirectSoundBuffer* buffer, std::uint32_t& bytesPerSec);
HRESULT ReadBlockAlign(IDirectSoundBuffer* buffer, std::uint32_t& bytes);

}  // namespace audio
