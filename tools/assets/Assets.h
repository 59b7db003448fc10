// The program's generated bitmaps and icon. A new bitmap is one drawing
// function and one row in Bitmaps().
#pragma once

#include <vector>

#include "Image.h"

namespace assets {

enum class BmpFormat {
  Rgb24,    // plain true-colour bitmap
  Indexed8  // with a colour table, for bitmaps whose colours are remapped on load
};

struct BitmapAsset {
  const char* file;  // name in the assets folder, included by the resource script
  BmpFormat format;
  RgbImage (*draw)();
};

const std::vector<BitmapAsset>& Bitmaps();

// The application icon in the sizes it is stored in: 32x32, then 16x16.
// Magenta pixels are transparent.
std::vector<RgbImage> DrawAppIcon();

constexpr const char* kIconFile = "Clangster.ico";

}  // namespace assets
