// clangster-demo OUTPUT_DIR: writes the 18 demo sounds and demo.scheme, whose
// slot lines name the sounds by their Wine (drive Z:) paths.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Demo.h"
#include "Wav.h"

namespace {

bool Write(const std::filesystem::path& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f && std::fwrite(data, 1, size, f) == size;
  if (f && std::fclose(f) != 0) ok = false;
  if (!ok) std::fprintf(stderr, "clangster-demo: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  std::error_code ec;
  const std::filesystem::path dir = std::filesystem::absolute(argv[1], ec).lexically_normal();
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    std::fprintf(stderr, "clangster-demo: cannot create %s: %s\n", argv[1], ec.message().c_str());
    return 1;
  }

  const std::vector<demo::DemoSound> sounds = demo::MakeDemoSounds();
  for (const demo::DemoSound& s : sounds) {
    const std::vector<uint8_t> wav = demo::EncodeWav16(s.samples, s.channels, demo::kSampleRate);
    if (!Write(dir / s.file, wav.data(), wav.size())) return 1;
  }
  std::string dirText = dir.string();
  if (dirText.size() > 1 && dirText.back() == '/') dirText.pop_back();
  const std::string scheme = demo::SchemeText(sounds, demo::WindowsPath(dirText));
  return Write(dir / "demo.scheme", scheme.data(), scheme.size()) ? 0 : 1;
}
