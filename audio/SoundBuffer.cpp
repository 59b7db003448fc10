#include "audio/SoundBuffer.h"

#include <cstdio>

#include "audio/SoundOutputs.h"
#include "audio/WavFormat.h"
#include "framework/App.h"
#include "framework/Trace.h"

namespace audio {

namespace {

void Report(const char* text) { fw::ShowMessage(::GetActiveWindow(), text); }

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

bool ReadExactly(std::FILE* file, void* to, DWORD bytes) {
    return bytes == 0 || std::fread(to, 1, bytes, file) == bytes;
}

}  // namespace

CSoundBuffer::CSoundBuffer(const std::string& path, IDirectSound* device, DWORD flags) {
    UniqueFile file(std::fopen(path.c_str(), "rb"));
    if (!file || !device) return;
    std::uint8_t header[kWavHeaderSize];
    if (std::fread(header, 1, sizeof header, file.get()) != sizeof header) return;
    const WavHeader wav = ParseWavHeader(header);

    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = wav.format.channels;
    format.nSamplesPerSec = wav.format.samplesPerSec;
    format.nAvgBytesPerSec = wav.format.avgBytesPerSec;
    format.nBlockAlign = wav.format.blockAlign;
    format.wBitsPerSample = wav.format.bitsPerSample;
    // The 16-byte PCM form: the cbSize field is not part of it.
    format.cbSize = 0;

    DSBUFFERDESC desc{};
    desc.dwSize = 20;  // the original DirectSound 1 description, without the 3D algorithm field
    desc.dwFlags = flags;
    desc.dwBufferBytes = wav.dataBytes;
    desc.lpwfxFormat = &format;
    if (FAILED(device->CreateSoundBuffer(&desc, buffer.put(), nullptr)) || !buffer) {
        buffer.reset();
        Report("Error - DS - CreateSoundBuffer");
        return;
    }

    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    bool ok = std::fseek(file.get(), static_cast<long>(kWavHeaderSize), SEEK_SET) == 0 &&
              SUCCEEDED(buffer->Lock(0, wav.dataBytes, &first, &firstBytes, &second, &secondBytes,
                                     DSBLOCK_FROMWRITECURSOR));
    if (ok) {
        const bool read = ReadExactly(file.get(), first, firstBytes) &&
                          ReadExactly(file.get(), second, secondBytes);
        ok = SUCCEEDED(buffer->Unlock(first, firstBytes, second, secondBytes)) && read;
    }
    if (!ok) {
        Report("Error - DS - Reading Data");
        return;
    }
    loaded = true;
}

CSoundBuffer::~CSoundBuffer() {
    StopIfPlaying();
    // buffer releases itself.
}

bool CSoundBuffer::StopIfPlaying() {
    if (!buffer) return true;
    DWORD status = 0;
    if (FAILED(buffer->GetStatus(&status))) {
        Report("Error - DS - GetStatus");
        return false;
    }
    if ((status & DSBSTATUS_PLAYING) && FAILED(buffer->Stop())) {
        Report("Error - DS - Stop");
        return false;
    }
    return true;
}

Result CSoundBuffer::Play(bool looping) {
    fw::trace::Stamp("play");
    return buffer->Play(0, 0, looping ? DSBPLAY_LOOPING : 0);
}
Result CSoundBuffer::Stop() { return buffer->Stop(); }
Result CSoundBuffer::SetCurrentPosition(std::uint32_t bytes) { return buffer->SetCurrentPosition(bytes); }

Result CSoundBuffer::GetCurrentPosition(std::uint32_t& playCursor) {
    DWORD play = 0;
    const HRESULT hr = buffer->GetCurrentPosition(&play, nullptr);
    playCursor = play;
    return hr;
}

Result CSoundBuffer::GetStatus(std::uint32_t& status) {
    DWORD s = 0;
    const HRESULT hr = buffer->GetStatus(&s);
    status = s;
    return hr;
}

Result CSoundBuffer::SetVolume(std::int32_t hundredthsDb) { return buffer->SetVolume(hundredthsDb); }

Result CSoundBuffer::GetVolume(std::int32_t& hundredthsDb) {
    LONG v = 0;
    const HRESULT hr = buffer->GetVolume(&v);
    hundredthsDb = v;
    return hr;
}

Result CSoundBuffer::GetAvgBytesPerSec(std::uint32_t& bytesPerSec) {
    // Room for the 18-byte WAVEFORMATEX; the size written is not wanted.
    WAVEFORMATEX format{};
    const HRESULT hr = buffer->GetFormat(&format, sizeof format, nullptr);
    bytesPerSec = format.nAvgBytesPerSec;
    return hr;
}

std::unique_ptr<DirectSoundDevice> DirectSoundDevice::Create(HWND window, const std::string& output) {
    auto device = std::make_unique<DirectSoundDevice>();
    if (const auto guid = GuidFromText(output)) {
        if (FAILED(::DirectSoundCreate(&*guid, device->device_.put(), nullptr))) device->device_.reset();
    }
    if (!device->device_ &&
        (FAILED(::DirectSoundCreate(nullptr, device->device_.put(), nullptr)) || !device->device_)) {
        Report("Error - DS - Create\nAudio cannot be used");
        return nullptr;
    }
    if (FAILED(device->device_->SetCooperativeLevel(window, DSSCL_NORMAL)))
        Report("Error - DS - SetCooperativeLevel");
    return device;
}

std::unique_ptr<ISoundBuffer> DirectSoundDevice::CreateBuffer(const std::string& path, std::uint32_t flags) {
    return std::make_unique<CSoundBuffer>(path, device_.get(), flags);
}

}  // namespace audio
