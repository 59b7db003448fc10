#pragma once
// A track bar drawn from images.
#include <commctrl.h>

#include "framework/Control.h"

class CZipSliderCtl : public fw::Control {
public:
    void SetRange(int min, int max, bool redraw) const { Send(TBM_SETRANGE, redraw, MAKELPARAM(min, max)); }
    int GetPos() const { return static_cast<int>(Send(TBM_GETPOS)); }
    void SetThumbPosition(int position) const { Send(TBM_SETPOS, TRUE, position); }
};
