#pragma once
// A static control that shows its text as an LED dot-matrix panel: every
// character a 5 x 7 grid of dots, lit dots in the on colour, unlit dots in
// the off colour, on the background colour. The glyphs are cut from the
// program's glyph bitmaps (131 medium, 132 small) after their three colours
// are mapped to the display's own.
//
// The window text is the displayed text (WM_GETTEXT answers from it, so a
// change costs no system call); the painting is the control's own.
//
// The display keeps its picture in a memory bitmap: a new text redraws
// there only the cells whose glyph changed and copies just those to the
// window, and a paint is one copy from that bitmap. The colour-mapped glyph images are
// made once per size and colours and shared by all displays.
#include <string>

#include "controls/MatrixFont.h"
#include "framework/Control.h"
#include "framework/Handles.h"

class MatrixStatic : public fw::Control {
public:
    enum CellSize { Medium = 0, Small = 2 };

    // Draws the cells that change at once when the picture is current, else
    // marks the whole display for repainting; nothing for the same text.
    void SetText(const std::string& text);

    // None of these repaints; the owner sets all three before the first text.
    void SetCellSize(CellSize size);
    void SetColumns(int columns) {
        columns_ = columns;
        canvasCurrent_ = false;
    }
    void SetRows(int rows) {
        rows_ = rows;
        canvasCurrent_ = false;
    }

    // Resize the window, keeping its position, to hold that many columns
    // or rows; the other dimension becomes the client size plus 4.
    void FitWidthToColumns(int columns);
    void FitHeightToRows(int rows);
    // The size the two fits above give in that order, in one resize: each
    // resize is a server request and a round of size messages.
    void FitToColumnsAndRows(int columns, int rows);

    void SetColors(COLORREF background, COLORREF on, COLORREF off);

    // Draws the display as it stands into a device context whose origin is
    // the client area's top left; only `area` of it when given.
    void Paint(HDC dc, const RECT* area = nullptr);

protected:
    LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override;

private:
    // Draws every cell of the text, on background, into dc.
    void Render(HDC dc) const;
    // Copies an area of the memory picture to the window now.
    void DrawNow(const RECT& area);
    // The memory picture of the client area, made or resized as needed; null when it cannot be had.
    HDC Canvas();

    std::string text_;
    COLORREF off_ = RGB(23, 64, 103);
    COLORREF on_ = RGB(63, 181, 255);
    COLORREF background_ = RGB(0, 0, 0);
    const matrix::Geometry* geometry_ = nullptr;  // glyph image and cell metrics; none until set
    int rows_ = 0;
    int columns_ = 0;

    fw::UniqueBitmap canvas_;     // declared first: the surface holding it goes first
    fw::SelectedDc canvasDc_;
    SIZE canvasSize_{};
    bool canvasCurrent_ = false;  // holds text_ as it looks now
};
