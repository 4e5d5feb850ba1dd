#include "window/form/FormLayout.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string_view>
#include <unordered_map>

namespace orsk {
namespace {

constexpr long long kDesignDpi = 96;

// Rounds half away from zero, as MulDiv does, so a negative design value scales to the mirror
// image of its positive counterpart. Results beyond int saturate instead of wrapping.
int ScaleEdge(long long value, int dpi) {
    const long long product = value * dpi;
    const long long magnitude = ((product < 0 ? -product : product) + kDesignDpi / 2) / kDesignDpi;
    const long long scaled = product < 0 ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<long long>(scaled, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

// A parent's client area: its size at design time (scaled) and now, and how far the controls
// aligned to its top and bottom edges already reach.
struct ParentArea {
    int designWidth = 0;
    int designHeight = 0;
    int width = 0;
    int height = 0;
    int topStack = 0;
    int bottomStack = 0;
};

int NonNegative(int value) {
    return std::max(value, 0);
}

// Moves or stretches one direction of an anchored control by the parent's growth `delta`.
void ApplyAnchors(bool nearSide, bool farSide, int delta, int& position, int& extent) {
    if (nearSide && farSide) {
        extent = NonNegative(extent + delta);
    } else if (farSide) {
        position += delta;
    } else if (!nearSide) {
        position += delta / 2;  // keeps the distance to the centre
    }
}

Rect PlaceControl(const ControlSpec& control, int dpi, ParentArea& parent) {
    Rect rect = ScaleBounds(control.bounds, dpi);
    switch (control.align) {
        case Align::Top:
            rect = Rect{0, parent.topStack, parent.width, rect.height};
            parent.topStack += rect.height;
            return rect;
        case Align::Bottom:
            parent.bottomStack += rect.height;
            return Rect{0, parent.height - parent.bottomStack, parent.width, rect.height};
        case Align::None:
            break;
    }
    ApplyAnchors(control.anchors.left, control.anchors.right, parent.width - parent.designWidth,
                 rect.left, rect.width);
    ApplyAnchors(control.anchors.top, control.anchors.bottom, parent.height - parent.designHeight,
                 rect.top, rect.height);
    return rect;
}

}  // namespace

int ScaleToDpi(int value, int dpi) {
    return ScaleEdge(value, dpi);
}

Rect ScaleBounds(const Bounds& bounds, int dpi) {
    const int left = ScaleEdge(bounds.left, dpi);
    const int top = ScaleEdge(bounds.top, dpi);
    const int right = ScaleEdge(static_cast<long long>(bounds.left) + bounds.width, dpi);
    const int bottom = ScaleEdge(static_cast<long long>(bounds.top) + bounds.height, dpi);
    return Rect{left, top, NonNegative(right - left), NonNegative(bottom - top)};
}

Rect DesignClientRect(const FormDescription& description, int dpi) {
    return Rect{0, 0, ScaleToDpi(description.form.clientWidth, dpi),
                ScaleToDpi(description.form.clientHeight, dpi)};
}

std::vector<Rect> LayoutControls(const FormDescription& description, int dpi, int clientWidth,
                                 int clientHeight) {
    const Rect designClient = DesignClientRect(description, dpi);
    ParentArea form{designClient.width, designClient.height, clientWidth, clientHeight, 0, 0};

    const std::vector<ControlSpec>& controls = description.controls;
    std::vector<Rect> rects;
    rects.reserve(controls.size());
    // Every control can be a parent of the ones after it; panels are the usual ones.
    std::vector<ParentArea> areas;
    areas.reserve(controls.size());
    std::unordered_map<std::string_view, std::size_t> placed;

    for (const ControlSpec& control : controls) {
        // A parent that is not an earlier control is the form: a parent must be created
        // before its children, so nothing else could hold the control yet.
        const auto parent = placed.find(control.parent);
        ParentArea& area = parent == placed.end() ? form : areas[parent->second];
        const Rect rect = PlaceControl(control, dpi, area);
        const Rect design = ScaleBounds(control.bounds, dpi);
        rects.push_back(rect);
        areas.push_back(ParentArea{design.width, design.height, rect.width, rect.height, 0, 0});
        placed.emplace(control.name, rects.size() - 1);
    }
    return rects;
}

}  // namespace orsk
