#pragma once
// An owner-drawn push button: frame, optional transparent bitmap, caption,
// and for the split type a separately pressable menu zone at the right.
#include <string>

#include "framework/Control.h"

class FooButton : public fw::Control {
public:
    enum Type { Standard = 1, Split = 5, Link = 11 };
    enum TextLayout { LeftAligned = 1, Centred = 2 };

    void SetButtonType(int type);
    void SetTextLayout(int layout);
    // Bitmap resource id (0 for none) and the colour drawn transparent.
    void SetBitmap(int bitmapId, COLORREF key = RGB(255, 0, 255));
    int GetBitmap() const { return bitmapId_; }
    bool IsDropDownPressed() const { return dropDownPressed_; }
    void ClearDropDownPress();
    void Repaint() const { Invalidate(true); }

    COLORREF textColour = ::GetSysColor(COLOR_BTNTEXT);
    bool gradient = false;

    bool OnReflected(UINT msg, WPARAM w, LPARAM l, LRESULT& result) override;

protected:
    LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override;
    void OnAttached() override;

private:
    void Draw(const DRAWITEMSTRUCT& item);

    int type_ = Standard;
    int layout_ = Centred;
    int bitmapId_ = 0;
    COLORREF key_ = RGB(255, 0, 255);
    bool dropDownPressed_ = false;
};
