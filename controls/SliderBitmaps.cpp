#include "controls/SliderBitmaps.h"

#include "framework/App.h"

bool SizedBitmap::LoadFromResource(int id) {
    Reset(::LoadBitmapA(fw::App::Instance(), MAKEINTRESOURCEA(id)));
    return static_cast<bool>(bitmap_);
}

void SizedBitmap::Reset(HBITMAP bitmap) {
    bitmap_.reset(bitmap);
    width_ = height_ = 0;
}

void SizedBitmap::ReadSize() {
    BITMAP info{};
    if (bitmap_ && ::GetObjectA(bitmap_.get(), sizeof info, &info)) {
        width_ = info.bmWidth;
        height_ = info.bmHeight;
    }
}

int SizedBitmap::Width() {
    if (width_ == 0) ReadSize();
    return width_;
}

int SizedBitmap::Height() {
    if (height_ == 0) ReadSize();
    return height_;
}

bool MaskedBitmap::Load(int id, COLORREF key) {
    imageDc_.reset();
    maskDc_.reset();
    mask_.reset();
    if (!LoadFromResource(id)) return false;
    const int w = Width(), h = Height();
    mask_.reset(::CreateBitmap(w, h, 1, 1, nullptr));
    fw::SelectedDc image(get()), mask(mask_.get());
    if (!image || !mask) return false;
    if (key == kTopLeftPixel) key = ::GetPixel(image.get(), 0, 0);
    // Colour to one bit: pixels of the background colour become 1.
    ::SetBkColor(image.get(), key);
    ::BitBlt(mask.get(), 0, 0, w, h, image.get(), 0, 0, SRCCOPY);
    // One bit to colour: 1 becomes the key, 0 black; the exclusive-or blacks out the key pixels.
    ::SetBkColor(image.get(), key);
    ::SetTextColor(image.get(), RGB(0, 0, 0));
    ::BitBlt(image.get(), 0, 0, w, h, mask.get(), 0, 0, SRCINVERT);
    imageDc_ = std::move(image);
    maskDc_ = std::move(mask);
    return true;
}

void MaskedBitmap::Draw(HDC dc, int x, int y) {
    if (!imageDc_ || !maskDc_) return;
    const COLORREF oldBk = ::SetBkColor(dc, RGB(255, 255, 255));
    const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
    ::BitBlt(dc, x, y, Width(), Height(), maskDc_.get(), 0, 0, SRCAND);
    ::BitBlt(dc, x, y, Width(), Height(), imageDc_.get(), 0, 0, SRCINVERT);
    ::SetBkColor(dc, oldBk);
    ::SetTextColor(dc, oldText);
}

bool BackgroundBitmap::Create(int width, int height) {
    dc_.reset();
    Reset();
    if (width <= 0 || height <= 0) return false;
    fw::WindowDc screen(nullptr);
    Reset(::CreateCompatibleBitmap(screen.get(), width, height));
    if (get()) dc_ = fw::SelectedDc(get());
    if (!dc_) {
        Reset();
        return false;
    }
    const RECT all{0, 0, width, height};
    ::FillRect(dc_.get(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    return true;
}
