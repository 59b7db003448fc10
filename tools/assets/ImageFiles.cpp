#include "ImageFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace assets {
namespace {

void Put16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

size_t RowStride(int width, int bitsPerPixel) {
  return ((static_cast<size_t>(width) * bitsPerPixel + 31) / 32) * 4;
}

// BITMAPINFOHEADER; a positive height means rows are stored bottom-up.
void PutInfoHeader(Bytes& out, int width, int height, int bitsPerPixel, uint32_t imageBytes,
                   uint32_t coloursUsed) {
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);  // planes
  Put16(out, static_cast<uint32_t>(bitsPerPixel));
  Put32(out, 0);  // BI_RGB
  Put32(out, imageBytes);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, coloursUsed);
  Put32(out, 0);
}

void PutFileHeader(Bytes& out, uint32_t fileSize, uint32_t dataOffset) {
  out.push_back('B');
  out.push_back('M');
  Put32(out, fileSize);
  Put32(out, 0);
  Put32(out, dataOffset);
}

}  // namespace

Bytes EncodeBmp24(const RgbImage& image) {
  const size_t stride = RowStride(image.width(), 24);
  const uint32_t imageBytes = static_cast<uint32_t>(stride * image.height());
  Bytes out;
  out.reserve(54 + imageBytes);
  PutFileHeader(out, 54 + imageBytes, 54);
  PutInfoHeader(out, image.width(), image.height(), 24, imageBytes, 0);
  for (int y = image.height() - 1; y >= 0; --y) {
    const size_t rowStart = out.size();
    for (int x = 0; x < image.width(); ++x) {
      Rgb c = image.at(x, y);
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
    out.resize(rowStart + stride, 0);
  }
  return out;
}

Bytes EncodeBmp8(const RgbImage& image, const std::vector<Rgb>& palette) {
  std::vector<Rgb> table = palette;
  if (table.empty()) {
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (std::find(table.begin(), table.end(), image.at(x, y)) == table.end())
          table.push_back(image.at(x, y));
  }
  if (table.empty() || table.size() > 256) return {};

  const size_t stride = RowStride(image.width(), 8);
  const uint32_t imageBytes = static_cast<uint32_t>(stride * image.height());
  const uint32_t dataOffset = static_cast<uint32_t>(54 + 4 * table.size());
  Bytes out;
  out.reserve(dataOffset + imageBytes);
  PutFileHeader(out, dataOffset + imageBytes, dataOffset);
  PutInfoHeader(out, image.width(), image.height(), 8, imageBytes,
                static_cast<uint32_t>(table.size()));
  for (Rgb c : table) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  for (int y = image.height() - 1; y >= 0; --y) {
    const size_t rowStart = out.size();
    for (int x = 0; x < image.width(); ++x) {
      auto it = std::find(table.begin(), table.end(), image.at(x, y));
      if (it == table.end()) return {};
      out.push_back(static_cast<uint8_t>(it - table.begin()));
    }
    out.resize(rowStart + stride, 0);
  }
  return out;
}

Bytes EncodeIco(const std::vector<RgbImage>& images, Rgb transparent) {
  for (const RgbImage& image : images)
    if (image.width() < 1 || image.height() < 1 || image.width() > 256 || image.height() > 256)
      return {};

  Bytes out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // icon
  Put16(out, static_cast<uint32_t>(images.size()));

  // Each image: BITMAPINFOHEADER with twice the height (colour plus mask),
  // BGRA rows bottom-up, then the 1-bit AND mask rows bottom-up.
  std::vector<Bytes> bodies;
  for (const RgbImage& image : images) {
    const int w = image.width(), h = image.height();
    const size_t maskStride = RowStride(w, 1);
    const uint32_t colourBytes = static_cast<uint32_t>(4u * w * h);
    const uint32_t maskBytes = static_cast<uint32_t>(maskStride * h);
    Bytes body;
    PutInfoHeader(body, w, 2 * h, 32, colourBytes + maskBytes, 0);
    for (int y = h - 1; y >= 0; --y) {
      for (int x = 0; x < w; ++x) {
        Rgb c = image.at(x, y);
        bool clear = c == transparent;
        body.push_back(clear ? 0 : c.b);
        body.push_back(clear ? 0 : c.g);
        body.push_back(clear ? 0 : c.r);
        body.push_back(clear ? 0 : 255);
      }
    }
    for (int y = h - 1; y >= 0; --y) {
      Bytes row(maskStride, 0);
      for (int x = 0; x < w; ++x)
        if (image.at(x, y) == transparent) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      body.insert(body.end(), row.begin(), row.end());
    }
    bodies.push_back(std::move(body));
  }

  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    out.push_back(static_cast<uint8_t>(images[i].width() == 256 ? 0 : images[i].width()));
    out.push_back(static_cast<uint8_t>(images[i].height() == 256 ? 0 : images[i].height()));
    out.push_back(0);  // colours in a palette: none
    out.push_back(0);
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, static_cast<uint32_t>(bodies[i].size()));
    Put32(out, offset);
    offset += static_cast<uint32_t>(bodies[i].size());
  }
  for (const Bytes& body : bodies) out.insert(out.end(), body.begin(), body.end());
  return out;
}

bool WriteFile(const std::string& path, const Bytes& bytes, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    if (error) *error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  int savedErrno = errno;
  ok = (std::fclose(f) == 0) && ok;
  if (!ok && error) *error = "cannot write " + path + ": " + std::strerror(savedErrno);
  return ok;
}

}  // namespace assets
