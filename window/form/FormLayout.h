#pragma once
// Places the controls of a form description for a client size and a screen resolution.
//
// Design values are pixels at 96 pixels per inch and are scaled in proportion to `dpi`.
// Within each parent (the form or a panel), controls aligned to the top are stacked from the top
// edge and controls aligned to the bottom from the bottom edge, both spanning the parent's
// width. Every other control keeps the distances to the edges it is anchored to: anchored left
// and right it grows with the parent's width, anchored right only it moves with the right edge;
// likewise top and bottom for the height. Anchored to neither side of a direction, it keeps its
// place relative to the parent's centre.

#include <vector>

#include "window/form/FormDescription.h"

namespace orsk {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A design value at 96 pixels per inch, scaled to `dpi` (rounded to the nearest pixel).
int ScaleToDpi(int value, int dpi);

// A control's design bounds at `dpi`. Its edges are scaled rather than its size, so controls
// and margins that meet at 96 pixels per inch still meet at any resolution; the size is the
// distance between the scaled edges (never below 0).
Rect ScaleBounds(const Bounds& bounds, int dpi);

// The form's client size at `dpi` when it is created.
Rect DesignClientRect(const FormDescription& description, int dpi);

// Each control's place relative to its parent's client area, in the order of
// description.controls, for a form client area of clientWidth x clientHeight.
std::vector<Rect> LayoutControls(const FormDescription& description, int dpi, int clientWidth,
                                 int clientHeight);

}  // namespace orsk
