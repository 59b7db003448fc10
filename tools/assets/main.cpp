// clangster-assets OUTPUT_DIR: writes the program's bitmaps and icon.
#include <cstdio>
#include <string>

#include "Assets.h"
#include "ImageFiles.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  std::string error;
  for (const assets::BitmapAsset& asset : assets::Bitmaps()) {
    const assets::RgbImage image = asset.draw();
    const assets::Bytes bytes = asset.format == assets::BmpFormat::Indexed8
                                    ? assets::EncodeBmp8(image)
                                    : assets::EncodeBmp24(image);
    if (bytes.empty()) {
      std::fprintf(stderr, "clangster-assets: cannot encode %s\n", asset.file);
      return 1;
    }
    if (!assets::WriteFile(dir + "/" + asset.file, bytes, &error)) {
      std::fprintf(stderr, "clangster-assets: %s\n", error.c_str());
      return 1;
    }
  }
  if (!assets::WriteFile(dir + "/" + assets::kIconFile, assets::EncodeIco(assets::DrawAppIcon()),
                         &error)) {
    std::fprintf(stderr, "clangster-assets: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
