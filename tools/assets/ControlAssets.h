// Bitmaps of the custom controls: the dot-matrix glyph images, drawn from
// the font table the displays use, and the slider's channels and thumbs.
#pragma once

#include "Image.h"

namespace assets {

// The key colour of the slider thumbs, also their top-left pixel.
constexpr Rgb kThumbKey{255, 255, 49};

RgbImage DrawMatrixMedium();      // 131, 512 x 66
RgbImage DrawMatrixSmall();       // 132, 352 x 45
RgbImage DrawSliderChannel();     // 144, 260 x 17, horizontal groove
RgbImage DrawSliderThumb();       // 145, 12 x 9
RgbImage DrawSliderVChannel();    // 147, 9 x 72, vertical groove
RgbImage DrawSliderThumbActive(); // 153, 12 x 9, lit while dragged

}  // namespace assets
