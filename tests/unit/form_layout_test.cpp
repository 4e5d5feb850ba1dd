#include "tests/support/TraceFormFile.h"
#include "window/form/FormLayout.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "window/form/FormDescription.h"

namespace orsk {

// Internal linkage, so another test file may print rects its own way.
static void PrintTo(const Rect& r, std::ostream* os) {
    *os << "{" << r.left << "," << r.top << "," << r.width << "," << r.height << "}";
}

namespace {

constexpr Anchors kLeftTop{true, true, false, false};
constexpr Anchors kAll{true, true, true, true};
constexpr Anchors kRightBottom{false, false, true, true};

ControlSpec Control(std::string name, std::string parent, Bounds bounds, Anchors anchors = kLeftTop,
                    Align align = Align::None) {
    ControlSpec control;
    control.name = std::move(name);
    control.parent = std::move(parent);
    control.bounds = bounds;
    control.anchors = anchors;
    control.align = align;
    return control;
}

FormDescription Form(int clientWidth, int clientHeight, std::vector<ControlSpec> controls) {
    FormDescription description;
    description.form.name = "Form";
    description.form.clientWidth = clientWidth;
    description.form.clientHeight = clientHeight;
    description.controls = std::move(controls);
    return description;
}

Rect AsRect(const Bounds& b) {
    return Rect{b.left, b.top, b.width, b.height};
}

void ExpectLayout(const FormDescription& description, const std::vector<Rect>& actual,
                  const std::vector<Rect>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i], expected[i]) << description.controls[i].name;
    }
}

struct Placed {
    std::string_view control;
    Rect rect;
};

// Checks the named controls wherever the description lists them.
void ExpectPlaces(const FormDescription& description, const std::vector<Rect>& actual,
                  std::initializer_list<Placed> expected) {
    ASSERT_EQ(actual.size(), description.controls.size());
    for (const Placed& p : expected) {
        const ControlSpec* control = description.FindControl(p.control);
        ASSERT_NE(control, nullptr) << p.control;
        EXPECT_EQ(actual[static_cast<std::size_t>(control - description.controls.data())], p.rect)
            << p.control;
    }
}

TEST(FormLayoutScale, RoundsHalfAwayFromZeroAndSaturates) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    struct Case {
        int value, dpi, expected;
    };
    for (const Case& c : {Case{0, 144, 0},
                          {10, 96, 10},
                          {-10, 96, -10},
                          {1, 144, 2},
                          {-1, 144, -2},
                          {41, 144, 62},
                          {444, 144, 666},
                          {5, 120, 6},
                          {-5, 120, -6},
                          {3, 120, 4},
                          {2, 72, 2},
                          {-2, 72, -2},
                          {7, 72, 5},
                          {kMax, 192, kMax},
                          {kMin, 192, kMin}}) {
        EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi;
    }
}

TEST(FormLayoutScale, BoundsScaleByTheirEdgesSoNeighboursStillMeet) {
    // 361 + 75 = 436: the right edge lands on 1.5 * 436 = 654, a width of 112 rather than the
    // 113 that scaling 75 alone would give.
    EXPECT_EQ(ScaleBounds({361, 8, 75, 25}, 144), (Rect{542, 12, 112, 38}));
    EXPECT_EQ(ScaleBounds({0, 379, 444, 41}, 144), (Rect{0, 569, 666, 61}));
    EXPECT_EQ(ScaleBounds({-3, -3, 2, 2}, 144), (Rect{-5, -5, 3, 3}));
    EXPECT_EQ(ScaleBounds({10, 10, -4, -4}, 96), (Rect{10, 10, 0, 0}));
}

TEST(FormLayoutTraceForm, DesignClientRectScalesTheClientSize) {
    EXPECT_EQ(DesignClientRect(LoadTraceForm(), 96), (Rect{0, 0, 444, 420}));
    EXPECT_EQ(DesignClientRect(LoadTraceForm(), 144), (Rect{0, 0, 666, 630}));
}

TEST(FormLayoutTraceForm, AtDesignSizeEveryControlSitsAtItsScaledDesignBounds) {
    const FormDescription form = LoadTraceForm();
    for (const int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(dpi);
        const Rect client = DesignClientRect(form, dpi);
        std::vector<Rect> expected;
        for (const ControlSpec& control : form.controls) {
            expected.push_back(ScaleBounds(control.bounds, dpi));
        }
        ExpectLayout(form, LayoutControls(form, dpi, client.width, client.height), expected);
    }
    const std::vector<Rect> at96 = LayoutControls(form, 96, 444, 420);
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
        EXPECT_EQ(at96[i], AsRect(form.controls[i].bounds)) << form.controls[i].name;
    }
}

TEST(FormLayoutTraceForm, GrowingTheWindowStretchesTheTextAndMovesTheRightHandControls) {
    const FormDescription form = LoadTraceForm();
    ExpectPlaces(form, LayoutControls(form, 96, 644, 520),
                 {{"memTrace", {8, 45, 628, 428}},
                  {"pnlBottom", {0, 479, 644, 41}},
                  {"btnClose", {561, 8, 75, 25}},
                  {"btnEmpty", {481, 8, 75, 25}},
                  {"pnlTop", {0, 0, 644, 37}},
                  {"lblSearchFor", {374, 11, 55, 13}},
                  {"lblFilter", {8, 11, 60, 13}},
                  {"edtSearchFor", {435, 7, 119, 21}},
                  {"btnSearch", {561, 5, 75, 25}},
                  {"cbFilter", {72, 8, 86, 21}}});
    // At 144 dpi the same growth in pixels moves the same controls by the same amount.
    ExpectPlaces(form, LayoutControls(form, 144, 866, 730),
                 {{"memTrace", {12, 68, 842, 592}},
                  {"pnlBottom", {0, 669, 866, 61}},
                  {"btnClose", {742, 12, 112, 38}},
                  {"btnEmpty", {622, 12, 112, 38}},
                  {"pnlTop", {0, 0, 866, 56}},
                  {"lblSearchFor", {461, 17, 83, 19}},
                  {"lblFilter", {12, 17, 90, 19}},
                  {"edtSearchFor", {553, 11, 178, 31}},
                  {"btnSearch", {742, 8, 112, 37}},
                  {"cbFilter", {108, 12, 129, 32}}});
}

TEST(FormLayoutTraceForm, ShrinkingBelowDesignSizeNeverGivesNegativeSizes) {
    const FormDescription form = LoadTraceForm();
    ExpectPlaces(form, LayoutControls(form, 96, 200, 100),
                 {{"memTrace", {8, 45, 184, 8}},
                  {"pnlBottom", {0, 59, 200, 41}},
                  {"btnClose", {117, 8, 75, 25}}});
    ExpectPlaces(
        form, LayoutControls(form, 96, 10, 30),
        {{"memTrace", {8, 45, 0, 0}}, {"pnlBottom", {0, -11, 10, 41}}, {"pnlTop", {0, 0, 10, 37}}});
}

TEST(FormLayoutAnchors, EachCombinationKeepsItsEdgesOrItsCentre) {
    struct Case {
        Anchors anchors;
        int width, height;  // the form's client size; its design size is 200 x 100
        Rect expected;
    };
    const Bounds bounds{10, 20, 30, 40};
    for (const Case& c : {
             Case{{true, true, false, false}, 300, 150, {10, 20, 30, 40}},
             Case{{true, true, true, true}, 300, 150, {10, 20, 130, 90}},
             Case{{false, false, true, true}, 300, 150, {110, 70, 30, 40}},
             Case{{false, false, false, false}, 301, 151, {60, 45, 30, 40}},
             Case{{false, false, false, false}, 193, 93, {7, 17, 30, 40}},
             Case{{true, false, false, false}, 300, 150, {10, 45, 30, 40}},
             Case{{false, true, true, false}, 150, 80, {-40, 20, 30, 40}},
             Case{{true, true, true, true}, 150, 40, {10, 20, 0, 0}},
         }) {
        const FormDescription form = Form(200, 100, {Control("c", "Form", bounds, c.anchors)});
        EXPECT_EQ(LayoutControls(form, 96, c.width, c.height).at(0), c.expected)
            << c.anchors.left << c.anchors.top << c.anchors.right << c.anchors.bottom << " at "
            << c.width << "x" << c.height;
    }
}

TEST(FormLayoutAlign, TopAndBottomBandsStackInCreationOrderInsideTheirParent) {
    const FormDescription form =
        Form(200, 100,
             {Control("top1", "Form", {5, 5, 50, 10}, kLeftTop, Align::Top),
              Control("bottom1", "Form", {5, 5, 50, 15}, kLeftTop, Align::Bottom),
              Control("body", "Form", {0, 25, 200, 50}, kAll),
              Control("top2", "Form", {5, 5, 50, 20}, kLeftTop, Align::Top),
              Control("bottom2", "Form", {5, 5, 50, 5}, kLeftTop, Align::Bottom),
              Control("inner", "top2", {0, 0, 50, 4}, kLeftTop, Align::Bottom),
              Control("knob", "inner", {40, 1, 8, 2}, kRightBottom),
              Control("stray", "nowhere", {1, 2, 3, 4})});
    ExpectLayout(form, LayoutControls(form, 96, 300, 120),
                 {{0, 0, 300, 10},
                  {0, 105, 300, 15},
                  {0, 25, 300, 70},
                  {0, 10, 300, 20},
                  {0, 100, 300, 5},
                  {0, 16, 300, 4},
                  {290, 1, 8, 2},
                  {1, 2, 3, 4}});
}

}  // namespace
}  // namespace orsk
