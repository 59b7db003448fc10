#pragma once
// The images CZipSliderCtl is drawn from: a bitmap that knows its size, one
// drawn with a transparent key colour, and an off-screen background.
#include <windows.h>

#include "framework/Handles.h"

// A bitmap and its size in pixels, read from it when first asked for.
class SizedBitmap {
public:
    SizedBitmap() = default;
    SizedBitmap(const SizedBitmap&) = delete;
    SizedBitmap& operator=(const SizedBitmap&) = delete;
    virtual ~SizedBitmap() = default;

    // Loads a bitmap resource of the program; false when there is none.
    bool LoadFromResource(int id);
    void Reset(HBITMAP bitmap = nullptr);
    HBITMAP get() const { return bitmap_.get(); }
    explicit operator bool() const { return static_cast<bool>(bitmap_); }

    int Width();
    int Height();

private:
    void ReadSize();

    fw::UniqueBitmap bitmap_;
    int width_ = 0;
    int height_ = 0;
};

// An image drawn so that pixels of its key colour leave the destination as
// it was. A one-bit mask marks those pixels; in the image they are black.
class MaskedBitmap : public SizedBitmap {
public:
    // Stands for the colour of the image's top-left pixel.
    static constexpr COLORREF kTopLeftPixel = 0xFFFFFFFF;

    bool Load(int id, COLORREF key = kTopLeftPixel);
    void Draw(HDC dc, int x, int y);

private:
    fw::UniqueBitmap mask_;
    // Image and mask stay selected for drawing: the thumb is drawn on every
    // pixel it moves.
    fw::SelectedDc imageDc_, maskDc_;
};

// An off-screen picture in the display's colour depth, kept selected into its
// own memory drawing surface for copying from.
class BackgroundBitmap : public SizedBitmap {
public:
    // A w x h picture filled with black; false when it cannot be made.
    bool Create(int width, int height);
    HDC dc() const { return dc_.get(); }

private:
    fw::SelectedDc dc_;
};
