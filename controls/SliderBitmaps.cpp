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
    mask_.reset();
    if (!LoadFromResource(id)) return false;
    const int w = Width(), h = Height();
    fw::WindowDc screen(nullptr);
    fw::UniqueMemoryDc image(::CreateCompatibleDC(screen.get())), mask(::CreateCompatibleDC(screen.get()));
    mask_.reset(::CreateBitmap(w, h, 1, 1, nullptr));
    if (!image || !mask || !mask_) return false;
    fw::ScopedSelect selImage(image.get(), get()), selMask(mask.get(), mask_.get());
    if (key == kTopLeftPixel) key = ::GetPixel(image.get(), 0, 0);
    // Colour to one bit: pixels of the background colour become 1.
    ::SetBkColor(image.get(), key);
    ::BitBlt(mask.get(), 0, 0, w, h, image.get(), 0, 0, SRCCOPY);
    // One bit to colour: 1 becomes the key, 0 black; the exclusive-or blacks out the key pixels.
    ::SetBkColor(image.get(), key);
    ::SetTextColor(image.get(), RGB(0, 0, 0));
    ::BitBlt(image.get(), 0, 0, w, h, mask.get(), 0, 0, SRCINVERT);
    return true;
}

void MaskedBitmap::Draw(HDC dc, int x, int y) {
    if (!get() || !mask_) return;
    fw::UniqueMemoryDc source(::CreateCompatibleDC(dc));
    const COLORREF oldBk = ::SetBkColor(dc, RGB(255, 255, 255));
    const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
    {
        fw::ScopedSelect select(source.get(), mask_.get());
        ::BitBlt(dc, x, y, Width(), Height(), source.get(), 0, 0, SRCAND);
    }
    {
        fw::ScopedSelect select(source.get(), get());
        ::BitBlt(dc, x, y, Width(), Height(), source.get(), 0, 0, SRCINVERT);
    }
    ::SetBkColor(dc, oldBk);
    ::SetTextColor(dc, oldText);
}

BackgroundBitmap::~BackgroundBitmap() { Release(); }

void BackgroundBitmap::Release() {
    if (!dc_) return;
    if (previous_) ::SelectObject(dc_, previous_);
    ::DeleteDC(dc_);
    dc_ = nullptr;
    previous_ = nullptr;
}

bool BackgroundBitmap::Create(int width, int height) {
    Release();
    Reset();
    if (width <= 0 || height <= 0) return false;
    fw::WindowDc screen(nullptr);
    Reset(::CreateCompatibleBitmap(screen.get(), width, height));
    dc_ = ::CreateCompatibleDC(screen.get());
    if (!get() || !dc_) {
        Release();
        Reset();
        return false;
    }
    previous_ = ::SelectObject(dc_, get());
    const RECT all{0, 0, width, height};
    ::FillRect(dc_, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    return true;
}
