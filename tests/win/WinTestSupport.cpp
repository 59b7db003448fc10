#include "WinTestSupport.h"

#include <cmath>
#include <cstdio>

#include "framework/App.h"

namespace wintest {

namespace {
std::vector<std::string> g_texts;

int Record(HWND, const std::string& text, UINT) {
    g_texts.push_back(text);
    return RecordedMessages::answer;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
}  // namespace

int RecordedMessages::answer = IDOK;

RecordedMessages::RecordedMessages() {
    g_texts.clear();
    fw::SetMessageHook(Record);
}
RecordedMessages::~RecordedMessages() { fw::SetMessageHook(nullptr); }
const std::vector<std::string>& RecordedMessages::texts() const { return g_texts; }
void RecordedMessages::clear() { g_texts.clear(); }

std::string TempPath(const std::string& name) {
    char dir[MAX_PATH];
    ::GetTempPathA(sizeof dir, dir);
    return std::string(dir) + name;
}

TempWav::TempWav(const std::string& name, const std::vector<std::uint8_t>& data, int channels,
                 std::uint32_t rate, int bits, std::uint32_t declaredBytes)
    : path_(TempPath(name)) {
    const unsigned blockAlign = static_cast<unsigned>(channels * bits / 8);
    std::vector<std::uint8_t> file;
    for (char c : std::string("RIFF")) file.push_back(static_cast<std::uint8_t>(c));
    Put32(file, static_cast<std::uint32_t>(36 + data.size()));
    for (char c : std::string("WAVEfmt ")) file.push_back(static_cast<std::uint8_t>(c));
    Put32(file, 16);
    Put16(file, 1);
    Put16(file, static_cast<unsigned>(channels));
    Put32(file, rate);
    Put32(file, rate * blockAlign);
    Put16(file, blockAlign);
    Put16(file, static_cast<unsigned>(bits));
    for (char c : std::string("data")) file.push_back(static_cast<std::uint8_t>(c));
    Put32(file, declaredBytes == UINT32_MAX ? static_cast<std::uint32_t>(data.size()) : declaredBytes);
    file.insert(file.end(), data.begin(), data.end());
    Write(file);
}

TempWav::TempWav(const std::string& name, const FileBytes& file) : path_(TempPath(name)) { Write(file.bytes); }

void TempWav::Write(const std::vector<std::uint8_t>& file) {
    if (std::FILE* f = std::fopen(path_.c_str(), "wb")) {
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    }
}

TempWav::~TempWav() { ::DeleteFileA(path_.c_str()); }

std::vector<std::uint8_t> Tone(double seconds, double hz, std::uint32_t rate) {
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<std::uint8_t> data;
    data.reserve(frames * 4);
    for (std::size_t i = 0; i < frames; ++i) {
        const auto v = static_cast<std::int16_t>(8000.0 * std::sin(2.0 * 3.14159265358979 * hz * i / rate));
        for (int channel = 0; channel < 2; ++channel) Put16(data, static_cast<std::uint16_t>(v));
    }
    return data;
}

void Pump(DWORD milliseconds) { PumpUntil([] { return false; }, milliseconds); }

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD end = ::GetTickCount() + timeoutMs;
    while (static_cast<LONG>(end - ::GetTickCount()) > 0) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (condition()) return true;
        ::Sleep(10);
    }
    return condition();
}

std::string TestSound(const std::string& name) {
    std::string path = std::string(CLANGSTER_TEST_SOUNDS) + "/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace wintest
