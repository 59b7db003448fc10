#pragma once
// An owner-drawn push button. The system button keeps the click behaviour;
// this class draws every state: a push-button frame filled with a vertical
// gradient, an optional transparent bitmap, the caption, and for the split
// type a down arrow over a separately pressable menu zone at the right.
// The link type draws only an underlined caption, with the hand cursor.
#include <string>

#include "framework/Control.h"

class FooButton : public fw::Control {
public:
    enum Type { Standard = 1, Split = 5, Link = 11 };
    enum TextLayout { LeftAligned = 1, Centred = 2 };

    FooButton();
    ~FooButton() override;

    void SetButtonType(int type);
    void SetTextLayout(int layout);
    // Bitmap resource id (0 for none) and the colour drawn transparent.
    void SetBitmap(int bitmapId, COLORREF key = RGB(255, 0, 255));

    // True from a press on a split button's menu zone until the release has
    // been handled, so the owner's click handler can tell the two apart.
    bool IsDropDownPressed() const { return dropDownPressed_; }
    void ClearDropDownPress();
    // Shows the pop-up menu below the button and returns the chosen command
    // id (0 for none, and for no menu) instead of sending it.
    int TrackMenu(HMENU menu);

    // Only the link type needs its background erased: the other types' frame
    // covers the whole button.
    void Repaint() const { Invalidate(type_ == Link); }

    // The owner sets these directly, then repaints.
    COLORREF textColour = ::GetSysColor(COLOR_BTNTEXT);
    bool gradient = false;

    bool OnReflected(UINT msg, WPARAM w, LPARAM l, LRESULT& result) override;

    // Whether the system's gradient function is found; when it is not, or
    // while it is switched off here, the gradient is drawn in solid bands.
    static bool HasGradientFunction();
    static void UseGradientFunction(bool use);

protected:
    LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override;
    void OnAttached() override;

private:
    void Draw(const DRAWITEMSTRUCT& item);
    void OnLeftButtonDown(LPARAM l);

    int type_ = Standard;
    bool textShown_ = true;
    bool centred_ = true;
    int bitmapId_ = 0;
    COLORREF key_ = RGB(255, 0, 255);
    bool dropDownPressed_ = false;
};
