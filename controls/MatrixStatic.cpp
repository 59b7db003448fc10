#include "controls/MatrixStatic.h"

void MatrixStatic::SetColors(COLORREF background, COLORREF on, COLORREF off) {
    background_ = background;
    on_ = on;
    off_ = off;
    Invalidate(false);
}

void MatrixStatic::FitWidthToColumns(int) {}
void MatrixStatic::FitHeightToRows(int) {}

void MatrixStatic::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    // The window text mirrors what is shown, for accessibility tools and tests.
    Window::SetText(text);
}
