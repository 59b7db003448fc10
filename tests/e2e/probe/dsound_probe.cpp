// dsound_probe FREQUENCY SECONDS VOLUME
// Plays a stereo 16-bit 44100 Hz sine of FREQUENCY Hz and SECONDS length
// once (not looping) through a DirectSound secondary buffer at VOLUME
// (hundredths of a decibel, 0 to -10000), then reports what the buffer says
// after its end. Output lines:
//   PLAYING ms=<time since Play> play=<play cursor>
//   STOPPED ms=<time since Play until status lost the playing bit>
//   END status=<GetStatus> play=<play cursor> write=<write cursor>
// Exit code 0, or 2..5 when a DirectSound call fails.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::printf("usage: dsound_probe FREQUENCY SECONDS VOLUME\n");
    return 1;
  }
  const double freq = std::atof(argv[1]);
  const double seconds = std::atof(argv[2]);
  const LONG volume = std::atol(argv[3]);

  IDirectSound* ds = nullptr;
  if (FAILED(DirectSoundCreate(nullptr, &ds, nullptr))) {
    std::printf("DirectSoundCreate failed\n");
    return 2;
  }
  // Any window will do for the normal cooperative level.
  HWND hwnd = CreateWindowA("STATIC", "dsound_probe", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (FAILED(ds->SetCooperativeLevel(hwnd, DSSCL_NORMAL))) {
    std::printf("SetCooperativeLevel failed\n");
    return 3;
  }

  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = 44100;
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = 44100 * 4;
  DSBUFFERDESC desc = {};
  desc.dwSize = sizeof desc;
  // The flags the board creates its buffers with.
  desc.dwFlags = DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY;
  desc.dwBufferBytes = static_cast<DWORD>(seconds * 44100) * 4;
  desc.lpwfxFormat = &format;
  IDirectSoundBuffer* buffer = nullptr;
  if (FAILED(ds->CreateSoundBuffer(&desc, &buffer, nullptr))) {
    std::printf("CreateSoundBuffer failed\n");
    return 4;
  }

  void* p1;
  void* p2;
  DWORD n1, n2;
  if (FAILED(buffer->Lock(0, desc.dwBufferBytes, &p1, &n1, &p2, &n2, 0))) {
    std::printf("Lock failed\n");
    return 5;
  }
  short* samples = static_cast<short*>(p1);
  for (DWORD i = 0; i < n1 / 4; ++i) {
    const short v = static_cast<short>(16384 * std::sin(2 * 3.14159265358979 * freq * i / 44100));
    samples[2 * i] = v;
    samples[2 * i + 1] = v;
  }
  buffer->Unlock(p1, n1, p2, n2);
  buffer->SetVolume(volume);

  const DWORD t0 = GetTickCount();
  buffer->Play(0, 0, 0);
  DWORD status = DSBSTATUS_PLAYING, play = 0, write = 0;
  const DWORD limit = static_cast<DWORD>(seconds * 1000) + 3000;
  while ((status & DSBSTATUS_PLAYING) && GetTickCount() - t0 < limit) {
    buffer->GetCurrentPosition(&play, &write);
    std::printf("PLAYING ms=%lu play=%lu\n", GetTickCount() - t0, play);
    Sleep(50);
    buffer->GetStatus(&status);
  }
  std::printf("STOPPED ms=%lu\n", GetTickCount() - t0);
  Sleep(300);
  buffer->GetStatus(&status);
  buffer->GetCurrentPosition(&play, &write);
  std::printf("END status=%lu play=%lu write=%lu\n", status, play, write);
  std::fflush(stdout);
  buffer->Release();
  ds->Release();
  return 0;
}
