#pragma once
// A static control that shows its text as an LED dot-matrix panel.
#include <string>

#include "framework/Control.h"

class MatrixStatic : public fw::Control {
public:
    enum CellSize { Medium = 0, Small = 2 };

    void SetRows(int rows) { rows_ = rows; }
    void SetColumns(int columns) { columns_ = columns; }
    void SetCellSize(CellSize size) { cellSize_ = size; }
    void SetColors(COLORREF background, COLORREF on, COLORREF off);
    void FitWidthToColumns(int columns);
    void FitHeightToRows(int rows);
    // Repaints only when the text differs from what is shown.
    void SetText(const std::string& text);
    const std::string& GetText() const { return text_; }

private:
    std::string text_;
    COLORREF off_ = RGB(23, 64, 103), on_ = RGB(63, 181, 255), background_ = RGB(0, 0, 0);
    CellSize cellSize_ = Small;
    int rows_ = 0, columns_ = 0;
};
