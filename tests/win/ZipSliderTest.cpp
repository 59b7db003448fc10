// CZipSliderCtl on screen: where the thumb is drawn, which image, and how
// presses, drags and keys reach the system track bar and the owner.
#include <gtest/gtest.h>

#include "ControlHost.h"
#include "controls/SliderGeometry.h"
#include "controls/ZipSliderCtl.h"
#include "framework/App.h"
#include "res/resource.h"

using wintest::Capture;
using wintest::ControlHost;

namespace {

constexpr int kW = 288, kH = 21;  // about the board's position sliders
constexpr COLORREF kKey = RGB(255, 255, 49);

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class ZipSliderTest : public testing::Test {
protected:
    void SetUp() override { fw::App::InitCommonControls(); }

    void MakeHorizontal(int min = 0, int max = 1000) {
        host_.AddChild(TRACKBAR_CLASSA, TBS_HORZ | TBS_NOTICKS | WS_TABSTOP, 20, 20, kW, kH);
        ASSERT_TRUE(slider_.Attach(host_.hwnd(), 100));
        slider_.SetRange(min, max, false);
        slider_.SetBitmaps(IDB_SLIDER_CHANNEL, IDB_SLIDER_THUMB, IDB_SLIDER_THUMB_ACTIVE,
                           CZipSliderCtl::ChannelCentred | CZipSliderCtl::ChannelStretched | CZipSliderCtl::ChannelInset);
        host_.onNotify = [this] { return slider_.GetPos(); };
    }

    // The thumb image's opaque pixels at the rectangle's corner, and what
    // lies behind the control there wherever the image has its key colour.
    void ExpectThumb(const Capture& shot, const RECT& at, int imageId, const Capture& behind) {
        const Capture image = wintest::ResourceBitmap(imageId);
        ASSERT_EQ(at.right - at.left, image.width());
        ASSERT_EQ(at.bottom - at.top, image.height());
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const COLORREF want = image.at(x, y) == kKey ? behind.at(at.left + x, at.top + y) : image.at(x, y);
                ASSERT_EQ(want, shot.at(at.left + x, at.top + y)) << "image " << imageId << " pixel " << x << "," << y;
            }
        }
    }

    int Press(int x, int y) {
        host_.notifications.clear();
        slider_.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        return slider_.IsDragging();
    }
    void MoveTo(int x, int y) { slider_.Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y)); }
    void Release(int x, int y) { slider_.Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

    int CountCode(UINT message, int code) const {
        int n = 0;
        for (const wintest::Notification& s : host_.notifications) n += s.message == message && s.code == code;
        return n;
    }
    const wintest::Notification* Last(UINT message, int code) const {
        const wintest::Notification* found = nullptr;
        for (const wintest::Notification& s : host_.notifications)
            if (s.message == message && s.code == code) found = &s;
        return found;
    }

    ControlHost host_;
    CZipSliderCtl slider_;
};

TEST_F(ZipSliderTest, AtTheMinimumTheThumbSpansSevenToNineteenAndAtTheMaximumEightBeforeTheEnd) {
    MakeHorizontal();
    const RECT atMin = slider_.GetThumbRect();
    EXPECT_TRUE(atMin == (RECT{7, 0, 19, 9}));
    const Capture minShot(slider_.hwnd());
    slider_.SetThumbPosition(1000);
    EXPECT_FALSE(::GetUpdateRect(slider_.hwnd(), nullptr, FALSE)) << "the move is drawn at once";
    const RECT atMax = slider_.GetThumbRect();
    EXPECT_TRUE(atMax == (RECT{kW - 20, 0, kW - 8, 9}));
    const Capture maxShot(slider_.hwnd());
    // Each shot shows the channel where the other has its thumb.
    ExpectThumb(minShot, atMin, IDB_SLIDER_THUMB, maxShot);
    ExpectThumb(maxShot, atMax, IDB_SLIDER_THUMB, minShot);
    EXPECT_TRUE(host_.notifications.empty()) << "moving the thumb from code notifies nobody";
}

TEST_F(ZipSliderTest, AnEmptyRangePutsTheThumbAtTheStart) {
    MakeHorizontal(5, 5);
    EXPECT_TRUE(slider_.GetThumbRect() == (RECT{7, 0, 19, 9}));
    const Capture shot(slider_.hwnd());
    slider_.SetRange(0, 1000, true);
    slider_.SetThumbPosition(1000);
    const Capture behind(slider_.hwnd());
    ExpectThumb(shot, RECT{7, 0, 19, 9}, IDB_SLIDER_THUMB, behind);
}

// A position set from code stays with the control until the track bar's
// next message: whoever asks the window then gets it, and what it pages or
// reports starts from there.
TEST_F(ZipSliderTest, APositionSetFromCodeIsTheTrackBarsAtItsNextMessage) {
    MakeHorizontal();
    slider_.SetThumbPosition(700);
    EXPECT_EQ(700, ::SendMessageA(slider_.hwnd(), TBM_GETPOS, 0, 0));
    slider_.SetThumbPosition(5000);  // kept in the range, as the track bar keeps it
    EXPECT_EQ(1000, slider_.GetPos());
    EXPECT_EQ(1000, ::SendMessageA(slider_.hwnd(), TBM_GETPOS, 0, 0));
    slider_.SetThumbPosition(300);
    slider_.Send(WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(301, slider_.GetPos());
}

// The range is read again after it changes, however it was changed.
TEST_F(ZipSliderTest, ARangeSentToTheWindowPlacesTheThumbAgain) {
    MakeHorizontal();
    slider_.SetThumbPosition(500);
    const RECT middle = slider_.GetThumbRect();
    ::SendMessageA(slider_.hwnd(), TBM_SETRANGEMAX, TRUE, 500);
    EXPECT_TRUE(slider_.GetThumbRect() == (RECT{kW - 20, 0, kW - 8, 9}));
    ::SendMessageA(slider_.hwnd(), TBM_SETRANGE, TRUE, MAKELPARAM(0, 1000));
    EXPECT_TRUE(slider_.GetThumbRect() == middle);
}

TEST_F(ZipSliderTest, DraggingShowsTheActiveThumbUnderThePointerAndReleasingReportsThePosition) {
    MakeHorizontal();
    slider_.SetThumbPosition(1000);
    const Capture channelOnly(slider_.hwnd());
    slider_.SetThumbPosition(0);

    ASSERT_TRUE(Press(13, 4));
    ExpectThumb(Capture(slider_.hwnd()), slider_.GetThumbRect(), IDB_SLIDER_THUMB_ACTIVE, channelOnly);

    MoveTo(150, 4);
    const int expected = slider::PositionAt(false, kW, kH, 0, 1000, 150);
    EXPECT_EQ(expected, slider_.GetPos());
    ASSERT_NE(nullptr, Last(WM_HSCROLL, TB_THUMBTRACK));
    EXPECT_EQ(expected, Last(WM_HSCROLL, TB_THUMBTRACK)->value);
    const RECT dragged = slider_.GetThumbRect();
    EXPECT_EQ(150, dragged.left + 6);
    const Capture during(slider_.hwnd());
    ExpectThumb(during, dragged, IDB_SLIDER_THUMB_ACTIVE, channelOnly);
    for (int x = 7; x < 19; ++x) ASSERT_EQ(channelOnly.at(x, 4), during.at(x, 4)) << "old thumb left behind at " << x;

    Release(150, 4);
    EXPECT_FALSE(slider_.IsDragging());
    ASSERT_NE(nullptr, Last(WM_HSCROLL, TB_THUMBPOSITION));
    EXPECT_EQ(expected, Last(WM_HSCROLL, TB_THUMBPOSITION)->value);
    EXPECT_GE(CountCode(WM_HSCROLL, TB_ENDTRACK), 1);
    ExpectThumb(Capture(slider_.hwnd()), dragged, IDB_SLIDER_THUMB, channelOnly);
}

TEST_F(ZipSliderTest, APressOnTheChannelPagesAndKeepsTheNormalThumb) {
    MakeHorizontal();
    slider_.SetThumbPosition(1000);
    const Capture channelOnly(slider_.hwnd());
    slider_.SetThumbPosition(500);
    const RECT thumb = slider_.GetThumbRect();

    EXPECT_FALSE(Press(thumb.right + 40, 4));
    EXPECT_GT(slider_.GetPos(), 500);
    EXPECT_EQ(1, CountCode(WM_HSCROLL, TB_PAGEDOWN));
    ExpectThumb(Capture(slider_.hwnd()), slider_.GetThumbRect(), IDB_SLIDER_THUMB, channelOnly);
    MoveTo(thumb.right + 41, 4);
    EXPECT_EQ(0, CountCode(WM_HSCROLL, TB_THUMBTRACK));
    Release(thumb.right + 41, 4);

    slider_.SetThumbPosition(500);
    EXPECT_FALSE(Press(thumb.left - 1, 4));
    EXPECT_LT(slider_.GetPos(), 500);
    EXPECT_EQ(1, CountCode(WM_HSCROLL, TB_PAGEUP));
    Release(thumb.left - 1, 4);

    // Below the thumb and level with it: toward the half it is level with.
    ASSERT_LT(thumb.bottom, kH);
    slider_.SetThumbPosition(500);
    EXPECT_FALSE(Press(thumb.left + 1, thumb.bottom));
    EXPECT_LT(slider_.GetPos(), 500);
    Release(thumb.left + 1, thumb.bottom);
    slider_.SetThumbPosition(500);
    EXPECT_FALSE(Press(thumb.right - 2, thumb.bottom));
    EXPECT_GT(slider_.GetPos(), 500);
    Release(thumb.right - 2, thumb.bottom);
}

TEST_F(ZipSliderTest, ThePressThatGrabsTheThumbIsExactlyAPressOnTheDrawnThumb) {
    MakeHorizontal();
    for (int position : {0, 333, 500, 1000}) {
        slider_.SetThumbPosition(position);
        const RECT thumb = slider_.GetThumbRect();
        for (int x = thumb.left - 2; x <= thumb.right + 1; ++x) {
            for (int y : {0, 4, 8, 9, 12}) {
                slider_.SetThumbPosition(position);
                const bool inside = x >= thumb.left && x < thumb.right && y < thumb.bottom;
                EXPECT_EQ(inside, Press(x, y) != 0) << "position " << position << " at " << x << "," << y;
                // Towards the middle, so that a drag always changes the position.
                const int to = position >= 500 ? x - 30 : x + 30;
                MoveTo(to, y);
                EXPECT_EQ(inside ? 1 : 0, CountCode(WM_HSCROLL, TB_THUMBTRACK))
                    << "position " << position << " at " << x << "," << y;
                Release(to, y);
                EXPECT_EQ(inside ? 1 : 0, CountCode(WM_HSCROLL, TB_THUMBPOSITION));
            }
        }
    }
}

TEST_F(ZipSliderTest, KeysMoveThePositionAndRepaintTheWholeControl) {
    MakeHorizontal();
    slider_.SetThumbPosition(500);
    ::UpdateWindow(slider_.hwnd());
    slider_.Send(WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(501, slider_.GetPos());
    EXPECT_EQ(1, CountCode(WM_HSCROLL, TB_LINEDOWN));
    RECT pending{};
    ASSERT_TRUE(::GetUpdateRect(slider_.hwnd(), &pending, FALSE));
    EXPECT_TRUE(pending == (RECT{0, 0, kW, kH}));
    slider_.Send(WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(1000, slider_.GetPos());
    EXPECT_TRUE(slider_.GetThumbRect() == (RECT{kW - 20, 0, kW - 8, 9}));
}

TEST_F(ZipSliderTest, TheVolumeSliderRunsDownwardsAndReportsEveryMoveOfADrag) {
    host_.AddChild(TRACKBAR_CLASSA, TBS_VERT | TBS_NOTICKS | WS_TABSTOP, 20, 20, 30, 83);
    ASSERT_TRUE(slider_.Attach(host_.hwnd(), 100));
    slider_.SetRange(0, 10000, false);
    slider_.SetBitmaps(IDB_SLIDER_VCHANNEL, IDB_SLIDER_THUMB, IDB_SLIDER_THUMB_ACTIVE, 0);
    host_.onNotify = [this] { return slider_.GetPos(); };
    EXPECT_TRUE(slider_.GetThumbRect() == (RECT{0, 9, 12, 18}));

    ASSERT_TRUE(Press(6, 13));
    MoveTo(6, 30);
    MoveTo(6, 41);
    EXPECT_EQ(2, CountCode(WM_VSCROLL, TB_THUMBTRACK));
    EXPECT_EQ(5000, slider_.GetPos());
    EXPECT_EQ(5000, Last(WM_VSCROLL, TB_THUMBTRACK)->value);
    Release(6, 41);
    EXPECT_TRUE(slider_.GetThumbRect() == (RECT{0, 37, 12, 46}));
    EXPECT_EQ(0, CountCode(WM_HSCROLL, TB_THUMBTRACK));
}

}  // namespace
