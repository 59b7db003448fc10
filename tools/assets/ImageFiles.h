// Encoders for the Windows image files the resources include: uncompressed
// bottom-up BMP (24-bit, or 8-bit with a colour table for bitmaps whose
// colours are remapped at load time) and ICO with 32-bit images.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Image.h"

namespace assets {

using Bytes = std::vector<uint8_t>;

// 24 bits per pixel, rows bottom-up, each padded to a multiple of 4 bytes.
Bytes EncodeBmp24(const RgbImage& image);

// 8 bits per pixel with a colour table. The table is `palette` when given,
// else the image's colours in the order first met (top-left, row by row).
// Returns an empty result when the image has a colour the table lacks, or
// more than 256 colours.
Bytes EncodeBmp8(const RgbImage& image, const std::vector<Rgb>& palette = {});

// An icon file with one 32-bit image per entry (each at most 256 square).
// Pixels of the `transparent` colour get alpha 0 and a set mask bit.
Bytes EncodeIco(const std::vector<RgbImage>& images, Rgb transparent = kMagenta);

// Writes the whole file; on failure returns false and describes why.
bool WriteFile(const std::string& path, const Bytes& bytes, std::string* error);

}  // namespace assets
