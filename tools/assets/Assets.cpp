#include "Assets.h"

#include "ControlAssets.h"

namespace assets {
namespace {

// LED colours of the board's default Green theme.
constexpr Rgb kLedOn{0, 255, 50};
constexpr Rgb kLedOff{0, 58, 15};

// Bitmap 137, 9x5: Play button of an idle or rewound sound - a dim dash.
RgbImage DrawPlayIdle() {
  RgbImage img(9, 5);
  img.fillRect(2, 1, 5, 3, Rgb{96, 96, 96});
  img.fillRect(3, 2, 3, 1, Rgb{128, 128, 128});
  // Rounded ends.
  img.set(2, 1, kMagenta);
  img.set(6, 1, kMagenta);
  img.set(2, 3, kMagenta);
  img.set(6, 3, kMagenta);
  return img;
}

// Bitmap 138, 9x5: a playing sound - a green triangle pointing right.
RgbImage DrawPlayPlaying() {
  RgbImage img(9, 5);
  img.drawPattern(2, 0,
                  {
                      "bd....",
                      "bbbd..",
                      "bbbbbd",
                      "bbbd..",
                      "bd....",
                  },
                  // 'd' softens the stepped edge.
                  {{'b', Rgb{40, 230, 70}}, {'d', Rgb{20, 130, 40}}});
  return img;
}

// Bitmap 140, 9x5: a paused or part-played sound - two amber bars.
RgbImage DrawPlayPaused() {
  RgbImage img(9, 5);
  const Rgb amber{255, 176, 0};
  const Rgb amberEdge{200, 120, 0};
  for (int x : {2, 5}) {
    img.fillRect(x, 0, 2, 5, amber);
    img.fillRect(x + 1, 0, 1, 5, amberEdge);
  }
  return img;
}

// Bitmap 141, 14x14: the stop button - a dark square with a soft bevel.
RgbImage DrawStop() {
  RgbImage img(14, 14);
  img.fillRect(3, 3, 8, 8, Rgb{44, 44, 48});
  img.fillRect(3, 3, 8, 1, Rgb{110, 110, 116});  // lit top and left edges
  img.fillRect(3, 3, 1, 8, Rgb{110, 110, 116});
  img.fillRect(3, 10, 8, 1, Rgb{16, 16, 18});  // shaded bottom and right edges
  img.fillRect(10, 3, 1, 8, Rgb{16, 16, 18});
  return img;
}

// A loudspeaker with one sound wave, one character per LED.
const std::vector<const char*> kSpeakerLeds = {
    "...#...",
    "..##.#.",
    "####..#",
    "####..#",
    "####..#",
    "..##.#.",
    "...#...",
};

// Black rounded panel with a 7x7 LED matrix; `pitch` pixels from one LED to
// the next, each LED `dot` pixels square.
RgbImage DrawLedPanelIcon(int size, int radius, int pitch, int dot) {
  RgbImage img(size, size);
  img.fillRoundRect(0, 0, size, size, radius, Rgb{0, 0, 0});
  const int grid = 7 * pitch - (pitch - dot);
  const int origin = (size - grid) / 2;
  for (int row = 0; row < 7; ++row) {
    for (int col = 0; col < 7; ++col) {
      const bool lit = kSpeakerLeds[row][col] == '#';
      img.fillRect(origin + col * pitch, origin + row * pitch, dot, dot, lit ? kLedOn : kLedOff);
      // A brighter centre makes larger lit LEDs read as dots, not squares.
      if (lit && dot >= 3) img.set(origin + col * pitch + dot / 2, origin + row * pitch + dot / 2,
                                   Rgb{190, 255, 200});
    }
  }
  return img;
}

}  // namespace

const std::vector<BitmapAsset>& Bitmaps() {
  static const std::vector<BitmapAsset> bitmaps = {
      {"play_idle.bmp", BmpFormat::Rgb24, DrawPlayIdle},
      {"play_playing.bmp", BmpFormat::Rgb24, DrawPlayPlaying},
      {"play_paused.bmp", BmpFormat::Rgb24, DrawPlayPaused},
      {"stop.bmp", BmpFormat::Rgb24, DrawStop},
      // The displays remap the glyph images' three colours when they load them.
      {"matrix_medium.bmp", BmpFormat::Indexed8, DrawMatrixMedium},
      {"matrix_small.bmp", BmpFormat::Indexed8, DrawMatrixSmall},
      {"slider_channel.bmp", BmpFormat::Rgb24, DrawSliderChannel},
      {"slider_thumb.bmp", BmpFormat::Rgb24, DrawSliderThumb},
      {"slider_vchannel.bmp", BmpFormat::Rgb24, DrawSliderVChannel},
      {"slider_thumb_active.bmp", BmpFormat::Rgb24, DrawSliderThumbActive},
  };
  return bitmaps;
}

std::vector<RgbImage> DrawAppIcon() {
  return {DrawLedPanelIcon(32, 6, 4, 3), DrawLedPanelIcon(16, 3, 2, 1)};
}

}  // namespace assets
