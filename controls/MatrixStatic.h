#pragma once
// A static control that shows its text as an LED dot-matrix panel: every
// character a 5 x 7 grid of dots, lit dots in the on colour, unlit dots in
// the off colour, on the background colour. The glyphs are cut from the
// program's glyph bitmaps (131 medium, 132 small) after their three colours
// are mapped to the display's own.
//
// The window text mirrors the displayed text for accessibility tools and
// tests; the painting is the control's own.
#include <string>

#include "controls/MatrixFont.h"
#include "framework/Control.h"

class MatrixStatic : public fw::Control {
public:
    enum CellSize { Medium = 0, Small = 2 };

    // Marks the whole display for repainting, unless the text is unchanged.
    void SetText(const std::string& text);

    // None of these repaints; the owner sets all three before the first text.
    void SetCellSize(CellSize size);
    void SetColumns(int columns) { columns_ = columns; }
    void SetRows(int rows) { rows_ = rows; }

    // Resize the window, keeping its position, to hold that many columns
    // or rows; the other dimension becomes the client size plus 4.
    void FitWidthToColumns(int columns);
    void FitHeightToRows(int rows);

    void SetColors(COLORREF background, COLORREF on, COLORREF off);

    // Draws the display as it stands into a device context whose origin is
    // the client area's top left.
    void Paint(HDC dc) const;

protected:
    LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override;

private:
    std::string text_;
    COLORREF off_ = RGB(23, 64, 103);
    COLORREF on_ = RGB(63, 181, 255);
    COLORREF background_ = RGB(0, 0, 0);
    const matrix::Geometry* geometry_ = nullptr;  // glyph image and cell metrics; none until set
    int rows_ = 0;
    int columns_ = 0;
};
