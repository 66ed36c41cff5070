// The arithmetic behind the widgets' rectangles: outsets and aspect, picture
// fitting, image and caption placement, progress bars, rounded outlines and
// proportional layouts. Platform-free; sizes given in logical pixels are
// multiplied by the UI scale factor here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvane {

// left, top, right, bottom in window client pixels; right and bottom are
// outside the rectangle, as with Win32 RECT
struct IntRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
  // PtInRect's rule
  bool Contains(int32_t x, int32_t y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
  bool operator==(const IntRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const IntRect& o) const { return !(*this == o); }
};

struct FloatRect {
  float x = 0;
  float y = 0;
  float width = 0;
  float height = 0;
};

// a style size (radius, border width, outset) at the scale, truncated
int32_t ScaledSize(int32_t logical, double scale);

// SetRect of a drawn widget: grows the rectangle by the scaled outsets on
// each side, then, with an aspect (width / height) other than 0, shrinks
// the too long side so that the rectangle keeps it, centred
IntRect ApplyOutsetsAndAspect(const IntRect& rect,
                              int32_t outsetX,
                              int32_t outsetY,
                              double aspect,
                              double scale);

// a picture of the given size scaled to fit the box, keeping its
// proportions, centred; empty for a picture without size
IntRect FitPicture(const IntRect& box, double imageWidth, double imageHeight);

// a button's or check box's image: fitted like a picture and centred
// vertically, but against the left edge, or the right edge when atRight
IntRect PlaceSideImage(const IntRect& box, double imageWidth, double imageHeight, bool atRight);

// the caption's layout rectangle beside an image of the given width; the
// gap is 3 pixels, or none in a widget narrower than 4 pixels
FloatRect CaptionBesideImage(const IntRect& box, int32_t imageWidth, bool imageAtRight);

// the filled part of a progress bar; percent is clamped to 0..100
IntRect ProgressBarRect(const IntRect& track, int32_t percent);

// one arc of a rounded outline, in GDI+ terms (degrees)
struct Arc {
  float x, y, width, height, startAngle, sweepAngle;
};

// the four corner arcs of a rounded rectangle, clockwise from the top-left;
// the diameter is clamped to the width and the height
std::array<Arc, 4> RoundedOutline(float diameter, float x, float y, float width, float height);

// a proportional layout's description; sizes in logical pixels
struct LayoutParams {
  int32_t orientation = 1;  // 1 vertical, 2 horizontal
  int32_t marginLeft = 0;
  int32_t marginTop = 0;
  int32_t marginRight = 0;
  int32_t marginBottom = 0;
  int32_t spacing = 0;
};

enum LayoutOrientation : int32_t { kVertical = 1, kHorizontal = 2 };

// the children's rectangles in `rect` by weight. nullopt when the layout
// must leave everything where it was: children and weights differ in
// number, the weights sum to 0, or the rectangle cannot hold the margins,
// the spacing and one pixel per child. An orientation other than 1 or 2
// arranges no child but still counts as done.
std::optional<std::vector<IntRect>> ArrangeProportional(const LayoutParams& params,
                                                        const std::vector<uint32_t>& weights,
                                                        size_t childCount,
                                                        const IntRect& rect,
                                                        double scale);

}  // namespace orvane
