// A small RGB image with the few drawing operations the generated bitmaps
// and icon need. Coordinates run right and down from the top-left pixel;
// drawing outside the image is clipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace assets {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
  friend bool operator!=(Rgb a, Rgb b) { return !(a == b); }
};

// The colour Windows resources of this program treat as transparent.
constexpr Rgb kMagenta{255, 0, 255};

// Linear mix: t = 0 gives a, t = 1 gives b.
Rgb Mix(Rgb a, Rgb b, double t);

class RgbImage {
 public:
  RgbImage(int width, int height, Rgb fill = kMagenta);

  int width() const { return width_; }
  int height() const { return height_; }
  Rgb at(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  void set(int x, int y, Rgb c);
  void fillRect(int x, int y, int w, int h, Rgb c);
  // One-pixel outline of the rectangle.
  void frameRect(int x, int y, int w, int h, Rgb c);
  // Rectangle with corners cut on a circle of the given radius.
  void fillRoundRect(int x, int y, int w, int h, int radius, Rgb c);
  // Every pixel whose centre lies inside the circle.
  void fillCircle(double cx, double cy, double radius, Rgb c);
  // Every pixel whose centre lies inside the triangle (either winding).
  void fillTriangle(double x0, double y0, double x1, double y1, double x2, double y2, Rgb c);
  // Draws rows of characters, one per pixel, with (x, y) as the top left:
  // '.' leaves the pixel as it is, any other character paints it in `ink`.
  void drawPattern(int x, int y, const std::vector<const char*>& rows, Rgb ink);
  // The same with a colour per character; characters without one are left.
  void drawPattern(int x, int y, const std::vector<const char*>& rows,
                   const std::vector<std::pair<char, Rgb>>& inks);

 private:
  int width_;
  int height_;
  std::vector<Rgb> pixels_;
};

}  // namespace assets
