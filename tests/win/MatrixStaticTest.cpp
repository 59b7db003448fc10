// MatrixStatic on screen: its pixels read back through the font table.
#include <gtest/gtest.h>

#include <string>

#include "ControlHost.h"
#include "controls/MatrixFont.h"
#include "controls/MatrixStatic.h"
#include "framework/Handles.h"

using wintest::Capture;
using wintest::ControlHost;

namespace {

constexpr COLORREF kOn = RGB(0, 255, 50);
constexpr COLORREF kOff = RGB(0, 58, 15);
constexpr COLORREF kBackground = RGB(12, 20, 44);  // not black, to tell it from the image's own black

matrix::CellSize ToSize(MatrixStatic::CellSize size) { return static_cast<matrix::CellSize>(size); }

// Reads the cell at (x, y): the character whose glyph the dots show, '\0'
// for a blank cell of background, '?' for anything the font cannot explain
// (a stray colour, a dot out of place, a dot pattern of no glyph).
char ReadCell(const Capture& shot, int x, int y, MatrixStatic::CellSize cellSize, COLORREF on, COLORREF off,
              COLORREF background) {
    const matrix::CellSize size = ToSize(cellSize);
    const matrix::Geometry& g = matrix::GeometryOf(size);
    bool blank = true;
    for (int py = 0; py < g.PitchY() && blank; ++py)
        for (int px = 0; px < g.PitchX() && blank; ++px) blank = shot.at(x + px, y + py) == background;
    if (blank) return '\0';

    matrix::Glyph glyph{};
    bool dot[64][64] = {};
    for (int j = 0; j < matrix::kDotRows; ++j) {
        for (int k = 0; k < matrix::kDotColumns; ++k) {
            const matrix::Rect r = matrix::DotRect(size, k, j);
            const COLORREF c = shot.at(x + r.left, y + r.top);
            if (c != on && c != off) return '?';
            if (c == on) glyph[j] = static_cast<std::uint8_t>(glyph[j] | (0x10 >> k));
            for (int py = r.top; py < r.bottom; ++py)
                for (int px = r.left; px < r.right; ++px) {
                    if (shot.at(x + px, y + py) != c) return '?';
                    dot[py][px] = true;
                }
        }
    }
    for (int py = 0; py < g.PitchY(); ++py)
        for (int px = 0; px < g.PitchX(); ++px)
            if (!dot[py][px] && shot.at(x + px, y + py) != background) return '?';
    for (int code = matrix::kFirstCode; code < matrix::kFirstCode + matrix::kGlyphCount; ++code)
        if (matrix::GlyphOf(size, code) == glyph) return static_cast<char>(code);
    return '?';
}

class MatrixStaticTest : public testing::Test {
protected:
    // A display set up the way the board does it, with the test's colours.
    void Make(MatrixStatic::CellSize size, int columns, int rows = 1) {
        host_.AddChild("Static", SS_LEFT, 10, 10, 190, 12);
        ASSERT_TRUE(display_.Attach(host_.hwnd(), 100));
        display_.SetRows(rows);
        display_.SetColumns(columns);
        display_.SetCellSize(size);
        display_.SetColors(kBackground, kOn, kOff);
        display_.FitWidthToColumns(columns);
        display_.FitHeightToRows(rows);
        size_ = size;
    }

    // Reads `count` cells of line `line` back from the screen.
    std::string Read(int count, int line = 0) {
        const Capture shot(display_.hwnd());
        const matrix::Geometry& g = matrix::GeometryOf(ToSize(size_));
        std::string text;
        for (int i = 0; i < count; ++i)
            text += ReadCell(shot, i * g.PitchX(), line * g.PitchY(), size_, kOn, kOff, kBackground);
        return text;
    }

    SIZE WindowSize() const {
        RECT r{};
        ::GetWindowRect(display_.hwnd(), &r);
        return {r.right - r.left, r.bottom - r.top};
    }

    bool HasPendingPaint() const { return ::GetUpdateRect(display_.hwnd(), nullptr, FALSE) != FALSE; }

    ControlHost host_;
    MatrixStatic display_;
    MatrixStatic::CellSize size_ = MatrixStatic::Small;
};

std::string EveryCharacter() {
    std::string all;
    for (int code = 32; code < 128; ++code) all += static_cast<char>(code);
    return all;
}

TEST_F(MatrixStaticTest, EveryGlyphOfTheMediumSizeReadsBack) {
    Make(MatrixStatic::Medium, 32, 3);
    const std::string all = EveryCharacter();
    display_.SetText(all);
    for (int line = 0; line < 3; ++line) EXPECT_EQ(all.substr(32 * line, 32), Read(32, line)) << "line " << line;
}

TEST_F(MatrixStaticTest, EveryGlyphOfTheSmallSizeReadsBack) {
    Make(MatrixStatic::Small, 32, 3);
    const std::string all = EveryCharacter();
    display_.SetText(all);
    for (int line = 0; line < 3; ++line) EXPECT_EQ(all.substr(32 * line, 32), Read(32, line)) << "line " << line;
}

TEST_F(MatrixStaticTest, TheTimeTextShowsItsSemicolonAsAColon) {
    Make(MatrixStatic::Medium, 6);
    display_.SetText(" 01;05");
    EXPECT_EQ(" 01;05", Read(6));
    const Capture shot(display_.hwnd());
    // Cell 3 is the ';': its two middle-left dot pairs are lit, rows 1-2 and 4-5.
    const int x = 3 * 16;
    for (int j : {1, 2, 4, 5}) EXPECT_EQ(kOn, shot.at(x + 3, 3 * j)) << "row " << j;
    for (int j : {0, 3, 6}) EXPECT_EQ(kOff, shot.at(x + 3, 3 * j)) << "row " << j;
}

TEST_F(MatrixStaticTest, CharactersWithoutAGlyphShowABlankCellAndTheRestStaysInPlace) {
    Make(MatrixStatic::Small, 6);
    display_.SetText(std::string("A\xC8" "B\x01" "C\xFF", 6));
    EXPECT_EQ(std::string("A\0B\0C\0", 6), Read(6));
}

TEST_F(MatrixStaticTest, ATwentyFiveColumnTitleShowsTheFirstTwentyFiveCharactersOfALongerText) {
    Make(MatrixStatic::Small, 25);
    display_.SetText("ABCDEFGHIJKLMNOPQRSTUVWXYZ1234");
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRSTUVWXY", Read(25));
    // The window is 8 pixels wider than 25 cells; nothing is drawn there.
    const Capture shot(display_.hwnd());
    for (int x = 25 * 11; x < shot.width(); ++x)
        for (int y = 0; y < shot.height(); ++y) ASSERT_EQ(kBackground, shot.at(x, y)) << x << "," << y;
}

TEST_F(MatrixStaticTest, FittingAFramelessDisplayGivesTheBoardsSizes) {
    Make(MatrixStatic::Small, 25);
    EXPECT_EQ(283, WindowSize().cx);
    EXPECT_EQ(19, WindowSize().cy);
    display_.FitWidthToColumns(25);
    EXPECT_EQ(279, WindowSize().cx);
    display_.FitHeightToRows(1);
    EXPECT_EQ(283, WindowSize().cx);
    EXPECT_EQ(19, WindowSize().cy);
    display_.FitToColumnsAndRows(25, 1);
    EXPECT_EQ(283, WindowSize().cx);
    EXPECT_EQ(19, WindowSize().cy);

    // With a frame the one resize still lands where the two fits in order do.
    ::SetWindowLongA(display_.hwnd(), GWL_STYLE, ::GetWindowLongA(display_.hwnd(), GWL_STYLE) | WS_BORDER);
    ::SetWindowPos(display_.hwnd(), nullptr, 0, 0, 190, 12, SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    display_.FitWidthToColumns(25);
    display_.FitHeightToRows(1);
    const SIZE twoFits = WindowSize();
    EXPECT_LT(twoFits.cx, 283) << "the frame narrows the second fit";
    ::SetWindowPos(display_.hwnd(), nullptr, 0, 0, 190, 12, SWP_NOMOVE | SWP_NOZORDER);
    display_.FitToColumnsAndRows(25, 1);
    EXPECT_EQ(twoFits.cx, WindowSize().cx);
    EXPECT_EQ(twoFits.cy, WindowSize().cy);
}

TEST_F(MatrixStaticTest, AMediumSixColumnDisplayIsOneHundredAndFourWide) {
    Make(MatrixStatic::Medium, 6);
    EXPECT_EQ(104, WindowSize().cx);
    EXPECT_EQ(26, WindowSize().cy);
}

TEST_F(MatrixStaticTest, ANewTextIsDrawnAtOnceTheSameTextNotAtAllAndTheWindowTextMirrorsIt) {
    Make(MatrixStatic::Small, 25);
    display_.SetText("DOOR BELL");
    ::UpdateWindow(display_.hwnd());
    ASSERT_FALSE(HasPendingPaint());
    // A mark on the screen stays while the text stays the same.
    const RECT mark{0, 0, 4, 4};
    {
        fw::WindowDc dc(display_.hwnd());
        fw::UniqueBrush marker(::CreateSolidBrush(RGB(200, 0, 200)));
        ::FillRect(dc.get(), &mark, marker.get());
    }
    display_.SetText("DOOR BELL");
    EXPECT_FALSE(HasPendingPaint());
    EXPECT_EQ(RGB(200, 0, 200), Capture(display_.hwnd()).at(1, 1));
    ::InvalidateRect(display_.hwnd(), &mark, FALSE);
    ::UpdateWindow(display_.hwnd());
    // A new text reaches the screen without waiting for a paint.
    display_.SetText("DOOR BELL 2");
    EXPECT_FALSE(HasPendingPaint());
    char text[64] = {};
    ::GetWindowTextA(display_.hwnd(), text, sizeof text);
    EXPECT_STREQ("DOOR BELL 2", text);
    EXPECT_EQ("DOOR BELL 2", Read(11));
}

TEST_F(MatrixStaticTest, NewColoursRecolourLitUnlitAndBackgroundIndependently) {
    Make(MatrixStatic::Small, 2);
    display_.SetText(".5");
    ASSERT_EQ(".5", Read(2));
    const COLORREF on = RGB(96, 96, 255), off = RGB(0, 0, 127), background = RGB(3, 2, 1);
    display_.SetColors(background, on, off);
    const Capture shot(display_.hwnd());
    EXPECT_EQ('.', ReadCell(shot, 0, 0, MatrixStatic::Small, on, off, background));
    EXPECT_EQ('5', ReadCell(shot, 11, 0, MatrixStatic::Small, on, off, background));
}

TEST_F(MatrixStaticTest, AnEmptyTextDrawsNothingNotEvenTheBackground) {
    Make(MatrixStatic::Small, 2);
    const RECT client{0, 0, 30, 19};
    fw::WindowDc screen(nullptr);
    fw::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
    fw::SelectedDc memory(bitmap.get());
    fw::UniqueBrush marker(::CreateSolidBrush(RGB(200, 0, 200)));
    ::FillRect(memory.get(), &client, marker.get());
    ::SendMessageA(display_.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()), PRF_CLIENT);
    EXPECT_EQ(RGB(200, 0, 200), ::GetPixel(memory.get(), 5, 5));
    display_.SetText("7");
    ::SendMessageA(display_.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()), PRF_CLIENT);
    EXPECT_EQ(kBackground, ::GetPixel(memory.get(), 0, 0));
    EXPECT_EQ(kBackground, ::GetPixel(memory.get(), 25, 5));
}

}  // namespace
