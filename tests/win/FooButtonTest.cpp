// FooButton on screen: gradient rows, the split button's menu zone, the
// pressed look, the link type and the pop-up menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "ControlHost.h"
#include "controls/ButtonGeometry.h"
#include "controls/FooButton.h"
#include "res/resource.h"

using wintest::Capture;
using wintest::ControlHost;

namespace {

COLORREF ToColorRef(button::Rgb c) { return RGB(c.r, c.g, c.b); }

bool Reddish(COLORREF c) { return GetRValue(c) > GetGValue(c) + 60 && GetRValue(c) > GetBValue(c) + 60; }
bool Bluish(COLORREF c) { return GetBValue(c) > GetRValue(c) + 60 && GetBValue(c) > GetGValue(c) + 60; }

class FooButtonTest : public testing::Test {
protected:
    void Make(int w, int h, const char* caption = "") {
        host_.AddChild("Button", BS_PUSHBUTTON, 20, 20, w, h, caption);
        ASSERT_TRUE(button_.Attach(host_.hwnd(), 100));
        host_.onNotify = [this] { return button_.IsDropDownPressed() ? 1 : 0; };
    }
    void TearDown() override { FooButton::UseGradientFunction(true); }

    // Presses and releases the left button at (x, y); returns what the
    // click notification saw, or -1 when there was none.
    int ClickAt(int x, int y) {
        host_.notifications.clear();
        button_.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        button_.Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        for (const wintest::Notification& n : host_.notifications)
            if (n.message == WM_COMMAND && n.code == BN_CLICKED) return n.value;
        return -1;
    }

    ControlHost host_;
    FooButton button_;
};

// Every band colour as single-precision arithmetic gives it, each step
// rounded to a float (as the host computes it and the host tests check it).
TEST(FallbackBandTest, ColoursAreComputedInSinglePrecision) {
    auto channel = [](int from, int to, int k) {
        volatile float scaled = static_cast<float>(to - from) * static_cast<float>(k);
        volatile float stepped = scaled * 0.003921569f;
        volatile float v = static_cast<float>(from) + stepped;
        return static_cast<int>(v);
    };
    const button::Rgb from = button::kGradientTop, to = button::kGradientBottom;
    for (int k = 0; k < button::kBandCount; ++k) {
        const button::Rgb c = button::FallbackBand(k, 255, from, to).colour;
        ASSERT_EQ(c.r, channel(from.r, to.r, k)) << "band " << k;
        ASSERT_EQ(c.g, channel(from.g, to.g, k)) << "band " << k;
        ASSERT_EQ(c.b, channel(from.b, to.b, k)) << "band " << k;
    }
}

TEST_F(FooButtonTest, WithoutTheGradientFunctionATwentyPixelButtonShowsTheBands) {
    Make(60, 20);
    button_.gradient = true;
    FooButton::UseGradientFunction(false);
    button_.Repaint();
    const Capture shot(button_.hwnd());
    EXPECT_EQ(RGB(251, 251, 252), shot.at(30, 1));
    EXPECT_EQ(RGB(200, 200, 216), shot.at(30, 17));
    for (int r = 0; r < 17; ++r) {
        const COLORREF band = ToColorRef(
            button::FallbackBand(15 * r + 14, 17, button::kGradientTop, button::kGradientBottom).colour);
        for (int x = 1; x < 58; ++x) ASSERT_EQ(band, shot.at(x, 1 + r)) << "row " << r << " x " << x;
    }
}

TEST_F(FooButtonTest, TheSystemGradientRunsFromWhiteToTheBottomColour) {
    if (!FooButton::HasGradientFunction()) GTEST_SKIP() << "no GradientFill on this system";
    Make(60, 20);
    button_.gradient = true;
    button_.Repaint();
    const Capture shot(button_.hwnd());
    const COLORREF top = shot.at(30, 1), bottom = shot.at(30, 17);
    EXPECT_GE(GetRValue(top), 250);
    EXPECT_GE(GetBValue(top), 250);
    EXPECT_NEAR(200, GetRValue(bottom), 4);
    EXPECT_NEAR(216, GetBValue(bottom), 4);
    for (int y = 2; y <= 17; ++y) EXPECT_LE(GetRValue(shot.at(30, y)), GetRValue(shot.at(30, y - 1)));
}

TEST_F(FooButtonTest, APressOnTheRightmostEighteenPixelsOfASplitButtonIsAMenuZonePress) {
    Make(100, 20, " Play");
    button_.SetButtonType(FooButton::Split);
    EXPECT_EQ(1, ClickAt(90, 10));
    EXPECT_FALSE(button_.IsDropDownPressed()) << "cleared once the release is handled";
    EXPECT_EQ(1, ClickAt(82, 10));
    EXPECT_EQ(0, ClickAt(81, 10));
    EXPECT_EQ(0, ClickAt(10, 10));
}

TEST_F(FooButtonTest, AStandardButtonHasNoMenuZone) {
    Make(100, 20, "Stop");
    EXPECT_EQ(0, ClickAt(95, 10));
}

TEST_F(FooButtonTest, EachOfTwoQuickClicksIsAClick) {
    Make(100, 20, " Play");
    host_.notifications.clear();
    button_.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    button_.Send(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    button_.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
    button_.Send(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    int clicks = 0;
    for (const wintest::Notification& n : host_.notifications) clicks += n.message == WM_COMMAND && n.code == BN_CLICKED;
    EXPECT_EQ(2, clicks);
}

TEST_F(FooButtonTest, APressedPlayButtonKeepsItsFrameAndShiftsItsBitmapByOnePixel) {
    Make(100, 20, " Play");
    button_.gradient = true;
    button_.SetButtonType(FooButton::Split);
    button_.SetBitmap(IDB_PLAY_PLAYING, RGB(255, 0, 255));
    button_.SetTextLayout(FooButton::LeftAligned);
    const Capture image = wintest::ResourceBitmap(IDB_PLAY_PLAYING);
    const int bx = 5, by = (20 - image.height()) / 2;

    const Capture up(button_.hwnd());
    button_.Send(BM_SETSTATE, TRUE, 0);
    button_.Repaint();
    const Capture down(button_.hwnd());
    button_.Send(BM_SETSTATE, FALSE, 0);

    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const COLORREF pixel = image.at(x, y);
            if (pixel == RGB(255, 0, 255)) {
                EXPECT_NE(RGB(255, 0, 255), up.at(bx + x, by + y)) << "the key colour shows the gradient";
                continue;
            }
            ++opaque;
            EXPECT_EQ(pixel, up.at(bx + x, by + y)) << x << "," << y;
            EXPECT_EQ(pixel, down.at(bx + x + 1, by + y + 1)) << x << "," << y;
        }
    }
    EXPECT_GT(opaque, 5);
    // The frame is drawn unpressed either way.
    for (auto [x, y] : {std::pair{0, 0}, std::pair{50, 0}, std::pair{0, 10}, std::pair{99, 19}, std::pair{50, 19}})
        EXPECT_EQ(up.at(x, y), down.at(x, y)) << x << "," << y;
}

TEST_F(FooButtonTest, HoldingTheMenuZoneMovesTheArrowAndNotTheBitmap) {
    Make(100, 20, " Play");
    button_.gradient = true;
    button_.SetButtonType(FooButton::Split);
    button_.SetBitmap(IDB_PLAY_PLAYING, RGB(255, 0, 255));
    const Capture up(button_.hwnd());
    button_.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(95, 10));
    const Capture held(button_.hwnd());
    button_.Send(WM_LBUTTONUP, 0, MAKELPARAM(95, 10));
    // Arrow row 0 spans x = W - 10 to W - 6 at y = H - 8, one pixel further when held.
    const COLORREF arrow = ::GetSysColor(COLOR_BTNTEXT);
    EXPECT_EQ(arrow, up.at(90, 12));
    EXPECT_EQ(arrow, up.at(94, 12));
    EXPECT_EQ(arrow, held.at(91, 13));
    EXPECT_EQ(arrow, held.at(95, 13));
    EXPECT_NE(arrow, held.at(90, 12));
    // Bitmap unshifted: its pixels at the same place.
    const Capture image = wintest::ResourceBitmap(IDB_PLAY_PLAYING);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.at(x, y) != RGB(255, 0, 255)) ASSERT_EQ(up.at(5 + x, 7 + y), held.at(5 + x, 7 + y));
}

TEST_F(FooButtonTest, ACaptionTooLongStopsBeforeTheArrow) {
    Make(100, 20, "A CAPTION FAR TOO LONG FOR THIS BUTTON TO HOLD");
    button_.SetButtonType(FooButton::Split);
    button_.SetTextLayout(FooButton::LeftAligned);
    button_.textColour = RGB(220, 0, 0);
    button_.Repaint();
    const Capture shot(button_.hwnd());
    int rightmost = -1;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 100; ++x)
            if (Reddish(shot.at(x, y))) rightmost = std::max(rightmost, x);
    EXPECT_LT(rightmost, 100 - 12);
    EXPECT_GE(rightmost, 100 - 12 - 12) << "the text runs up to the limit, ending in an ellipsis";
}

TEST_F(FooButtonTest, TheLinkTypeIsAnUnderlinedBlueCaptionWithTheHandCursor) {
    Make(160, 20, "www.marrowick.example");
    button_.SetButtonType(FooButton::Link);
    const Capture shot(button_.hwnd());
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    for (auto [x, y] : {std::pair{0, 0}, std::pair{159, 19}, std::pair{80, 0}, std::pair{0, 10}})
        EXPECT_EQ(face, shot.at(x, y)) << "no frame at " << x << "," << y;
    int longestRun = 0;
    for (int y = 0; y < 20; ++y) {
        int run = 0;
        for (int x = 0; x < 160; ++x) {
            run = Bluish(shot.at(x, y)) ? run + 1 : 0;
            longestRun = std::max(longestRun, run);
        }
    }
    EXPECT_GT(longestRun, 60) << "an underline runs under the caption";

    button_.Send(BM_SETSTATE, TRUE, 0);
    button_.Repaint();
    const Capture pressed(button_.hwnd());
    button_.Send(BM_SETSTATE, FALSE, 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 160; ++x) ASSERT_EQ(shot.at(x, y), pressed.at(x, y)) << "never shifted";

    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_TRUE(button_.Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(button_.hwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::LoadCursorA(nullptr, IDC_HAND), ::GetCursor());
}

struct MenuRun {
    HWND host;
    WPARAM key;
    RECT menuRect;
};
MenuRun* g_menuRun = nullptr;

// Runs inside the menu's own loop: notes where the menu stands, then picks.
void CALLBACK ChooseFromMenu(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (HWND menu = ::FindWindowA("#32768", nullptr)) ::GetWindowRect(menu, &g_menuRun->menuRect);
    ::PostMessageA(g_menuRun->host, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(g_menuRun->host, WM_KEYDOWN, g_menuRun->key, 0);
}

TEST_F(FooButtonTest, TrackMenuShowsTheMenuBelowTheButtonAndReturnsTheChoice) {
    Make(100, 20, " Play");
    button_.SetButtonType(FooButton::Split);
    EXPECT_EQ(0, button_.TrackMenu(nullptr));

    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuA(menu, MF_STRING, 4711, "First");
    ::AppendMenuA(menu, MF_STRING, 4712, "Second");
    MenuRun run{host_.hwnd(), VK_RETURN, {}};
    g_menuRun = &run;
    ::SetTimer(nullptr, 0, 150, ChooseFromMenu);
    host_.notifications.clear();
    EXPECT_EQ(4711, button_.TrackMenu(menu));
    EXPECT_TRUE(host_.notifications.empty()) << "the choice is returned, not sent";
    RECT buttonRect{};
    ::GetWindowRect(button_.hwnd(), &buttonRect);
    EXPECT_EQ(buttonRect.left, run.menuRect.left);
    EXPECT_EQ(buttonRect.bottom, run.menuRect.top);

    run.key = VK_ESCAPE;
    ::SetTimer(nullptr, 0, 150, ChooseFromMenu);
    EXPECT_EQ(0, button_.TrackMenu(menu));
    g_menuRun = nullptr;
    ::DestroyMenu(menu);
}

}  // namespace
