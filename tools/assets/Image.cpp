#include "Image.h"

#include <algorithm>
#include <cmath>

namespace assets {

Rgb Mix(Rgb a, Rgb b, double t) {
  auto channel = [t](uint8_t from, uint8_t to) {
    return static_cast<uint8_t>(std::lround(from + (to - from) * t));
  };
  return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

RgbImage::RgbImage(int width, int height, Rgb fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * height_, fill) {}

void RgbImage::set(int x, int y, Rgb c) {
  if (contains(x, y)) pixels_[static_cast<size_t>(y) * width_ + x] = c;
}

void RgbImage::fillRect(int x, int y, int w, int h, Rgb c) {
  for (int yy = std::max(y, 0); yy < std::min(y + h, height_); ++yy)
    for (int xx = std::max(x, 0); xx < std::min(x + w, width_); ++xx) set(xx, yy, c);
}

void RgbImage::frameRect(int x, int y, int w, int h, Rgb c) {
  if (w <= 0 || h <= 0) return;
  fillRect(x, y, w, 1, c);
  fillRect(x, y + h - 1, w, 1, c);
  fillRect(x, y, 1, h, c);
  fillRect(x + w - 1, y, 1, h, c);
}

void RgbImage::fillRoundRect(int x, int y, int w, int h, int radius, Rgb c) {
  radius = std::max(0, std::min({radius, w / 2, h / 2}));
  for (int yy = y; yy < y + h; ++yy) {
    for (int xx = x; xx < x + w; ++xx) {
      // Distance from the pixel centre to the nearest corner circle's centre,
      // for pixels inside a corner square.
      double cx = std::clamp(xx + 0.5, x + radius + 0.0, x + w - radius + 0.0);
      double cy = std::clamp(yy + 0.5, y + radius + 0.0, y + h - radius + 0.0);
      double dx = xx + 0.5 - cx, dy = yy + 0.5 - cy;
      if (dx * dx + dy * dy <= radius * radius) set(xx, yy, c);
    }
  }
}

void RgbImage::fillCircle(double cx, double cy, double radius, Rgb c) {
  for (int yy = 0; yy < height_; ++yy) {
    for (int xx = 0; xx < width_; ++xx) {
      double dx = xx + 0.5 - cx, dy = yy + 0.5 - cy;
      if (dx * dx + dy * dy <= radius * radius) set(xx, yy, c);
    }
  }
}

void RgbImage::fillTriangle(double x0, double y0, double x1, double y1, double x2, double y2,
                            Rgb c) {
  auto edge = [](double ax, double ay, double bx, double by, double px, double py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
  };
  for (int yy = 0; yy < height_; ++yy) {
    for (int xx = 0; xx < width_; ++xx) {
      double px = xx + 0.5, py = yy + 0.5;
      double e0 = edge(x0, y0, x1, y1, px, py);
      double e1 = edge(x1, y1, x2, y2, px, py);
      double e2 = edge(x2, y2, x0, y0, px, py);
      bool inside = (e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0);
      if (inside) set(xx, yy, c);
    }
  }
}

void RgbImage::drawPattern(int x, int y, const std::vector<const char*>& rows, Rgb ink) {
  for (size_t row = 0; row < rows.size(); ++row)
    for (int col = 0; rows[row][col] != '\0'; ++col)
      if (rows[row][col] != '.') set(x + col, y + static_cast<int>(row), ink);
}

void RgbImage::drawPattern(int x, int y, const std::vector<const char*>& rows,
                           const std::vector<std::pair<char, Rgb>>& inks) {
  for (size_t row = 0; row < rows.size(); ++row) {
    for (int col = 0; rows[row][col] != '\0'; ++col) {
      for (const auto& [key, colour] : inks) {
        if (rows[row][col] == key) {
          set(x + col, y + static_cast<int>(row), colour);
          break;
        }
      }
    }
  }
}

}  // namespace assets
