#include "ControlAssets.h"

#include "controls/MatrixFont.h"

namespace assets {
namespace {

RgbImage DrawMatrix(matrix::CellSize size) {
  const matrix::Geometry& g = matrix::GeometryOf(size);
  RgbImage img(g.ImageWidth(), g.ImageHeight());
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      const matrix::Rgb c = matrix::GlyphImagePixel(size, x, y);
      img.set(x, y, Rgb{c.r, c.g, c.b});
    }
  }
  return img;
}

// A groove sunk into a black panel: shadow on the upper (left) lip, a dark
// floor, a faint highlight on the lower (right) lip.
const Rgb kLipShadow{28, 28, 32};
const Rgb kFloor{52, 54, 60};
const Rgb kFloorCentre{74, 77, 86};
const Rgb kLipLight{104, 106, 116};
const Rgb kTick{58, 60, 66};

// The thumb: a small grey cap with a lit-or-dark spot in its centre.
RgbImage DrawThumb(bool active) {
  RgbImage img(12, 9, kThumbKey);
  const Rgb rim = active ? Rgb{236, 240, 246} : Rgb{206, 208, 214};
  const Rgb upper = active ? Rgb{196, 202, 212} : Rgb{170, 172, 180};
  const Rgb middle = active ? Rgb{168, 176, 188} : Rgb{144, 146, 154};
  const Rgb lower = active ? Rgb{140, 148, 162} : Rgb{118, 120, 128};
  const Rgb shade{56, 56, 62};
  const Rgb spot = active ? Rgb{255, 255, 255} : Rgb{40, 40, 46};
  const Rgb halo = active ? Rgb{150, 214, 255} : Rgb{92, 94, 102};
  img.drawPattern(0, 0,
                  {
                      ".rrrrrrrrrr.",
                      "ruuuuuuuuuus",
                      "ruuuuhhuuuus",
                      "rmmmhpphmmms",
                      "rmmmhpphmmms",
                      "rmmmmhhmmmms",
                      "rlllllllllls",
                      "rlllllllllls",
                      ".ssssssssss.",
                  },
                  {{'r', rim}, {'u', upper}, {'m', middle}, {'l', lower}, {'s', shade},
                   {'p', spot}, {'h', halo}});
  return img;
}

}  // namespace

RgbImage DrawMatrixMedium() { return DrawMatrix(matrix::CellSize::Medium); }
RgbImage DrawMatrixSmall() { return DrawMatrix(matrix::CellSize::Small); }

// Drawn at y = -4 so that row 8 lies on the thumb's centre line, and
// stretched from x = 7 to 7 pixels before the end of the control, where the
// thumb's centre runs from about x = 6 to x = 253 of the image.
RgbImage DrawSliderChannel() {
  RgbImage img(260, 17, Rgb{0, 0, 0});
  const int left = 3, right = 257;  // groove ends, exclusive right
  img.fillRect(left, 7, right - left, 1, kLipShadow);
  img.fillRect(left - 1, 8, right - left + 2, 1, kFloorCentre);
  img.fillRect(left, 9, right - left, 1, kLipLight);
  img.set(left - 1, 8, kFloor);
  img.set(right, 8, kFloor);
  // Eleven scale marks below the groove, every tenth of the travel.
  for (int i = 0; i <= 10; ++i) {
    const int x = 6 + (247 * i + 5) / 10;
    const int length = (i % 5 == 0) ? 3 : 2;
    img.fillRect(x, 12, 1, length, kTick);
  }
  return img;
}

RgbImage DrawSliderThumb() { return DrawThumb(false); }
RgbImage DrawSliderThumbActive() { return DrawThumb(true); }

// Copied unscaled at the control's top left; the thumb's centre stands on
// columns 5 and 6 and runs down from row 13.
RgbImage DrawSliderVChannel() {
  RgbImage img(9, 72, Rgb{0, 0, 0});
  const int top = 9, bottom = 72;
  img.fillRect(4, top, 1, bottom - top, kLipShadow);
  img.fillRect(5, top - 1, 1, bottom - top + 1, kFloorCentre);
  img.fillRect(6, top, 1, bottom - top, kLipLight);
  img.set(5, top - 1, kFloor);
  // Scale marks left of the groove.
  for (int y = 13; y < bottom; y += 8) img.fillRect((y - 13) % 24 == 0 ? 1 : 2, y, (y - 13) % 24 == 0 ? 2 : 1, 1, kTick);
  return img;
}

}  // namespace assets
