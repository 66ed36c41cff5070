#include "ui/Geometry.h"

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

// the (int)(v + 0.5) rounding of every edge
int32_t Round(double v) {
  return static_cast<int32_t>(v + 0.5);
}

// s = min(W/iw, H/ih), cross-multiplied so that an empty box gives 0
double FitScale(double boxWidth, double boxHeight, double imageWidth, double imageHeight) {
  return boxWidth * imageHeight > boxHeight * imageWidth ? boxHeight / imageHeight
                                                         : boxWidth / imageWidth;
}

}  // namespace

int32_t ScaledSize(int32_t logical, double scale) {
  return static_cast<int32_t>(logical * scale);
}

IntRect ApplyOutsetsAndAspect(const IntRect& rect,
                              int32_t outsetX,
                              int32_t outsetY,
                              double aspect,
                              double scale) {
  const int32_t gx = ScaledSize(outsetX, scale);
  const int32_t gy = ScaledSize(outsetY, scale);
  IntRect r{rect.left - gx, rect.top - gy, rect.right + gx, rect.bottom + gy};
  if (std::fabs(aspect) <= 1e-8) return r;

  const double w = r.width();
  const double h = r.height();
  const bool tooWide = h > 0 ? aspect < w / h : w > 0;
  if (tooWide) {
    const double cut = (w - h * aspect) / 2;
    return {Round(r.left + cut), r.top, Round(r.right - cut), r.bottom};
  }
  const double cut = (h - w / aspect) / 2;
  return {r.left, Round(r.top + cut), r.right, Round(r.bottom - cut)};
}

IntRect FitPicture(const IntRect& box, double imageWidth, double imageHeight) {
  if (imageWidth <= 0 || imageHeight <= 0) return {};
  const double w = box.width();
  const double h = box.height();
  const double s = FitScale(w, h, imageWidth, imageHeight);
  const double x = box.left + (w - imageWidth * s) / 2;
  const double y = box.top + (h - imageHeight * s) / 2;
  return {Round(x), Round(y), Round(x + imageWidth * s), Round(y + imageHeight * s)};
}

IntRect PlaceSideImage(const IntRect& box, double imageWidth, double imageHeight, bool atRight) {
  if (imageWidth <= 0 || imageHeight <= 0) return {};
  const double w = box.width();
  const double h = box.height();
  const double s = FitScale(w, h, imageWidth, imageHeight);
  const double y = box.top + (h - imageHeight * s) / 2;
  const double leftover = w - imageWidth * s;
  IntRect r{box.left, Round(y), Round(box.right - leftover), Round(y + imageHeight * s)};
  if (atRight) {
    r.left = Round(box.left + leftover);
    r.right = box.right;
  }
  return r;
}

FloatRect CaptionBesideImage(const IntRect& box, int32_t imageWidth, bool imageAtRight) {
  const int32_t gap = box.width() < 4 ? 0 : 3;
  FloatRect r{static_cast<float>(box.left), static_cast<float>(box.top),
              static_cast<float>(box.width() - gap - imageWidth), static_cast<float>(box.height())};
  if (!imageAtRight) r.x += static_cast<float>(gap + imageWidth);
  return r;
}

IntRect ProgressBarRect(const IntRect& track, int32_t percent) {
  percent = std::clamp(percent, 0, 100);
  IntRect bar = track;
  bar.right =
      track.left + static_cast<int32_t>(static_cast<int64_t>(track.width()) * percent / 100);
  return bar;
}

std::array<Arc, 4> RoundedOutline(float diameter, float x, float y, float width, float height) {
  const float d = std::min({diameter, width, height});
  std::array<Arc, 4> arcs;
  arcs[0] = {x, y, d, d, 180, 90};
  // a 20-pixel corner draws its other three arcs one pixel larger
  float d2 = d;
  if (d == 20) {
    d2 = 21;
    width -= 1;
    height -= 1;
  }
  arcs[1] = {x + width - d2 - 1, y, d2, d2, 270, 90};
  arcs[2] = {x + width - d2 - 1, y + height - d2 - 1, d2, d2, 0, 90};
  arcs[3] = {x, y + height - d2 - 1, d2, d2, 90, 90};
  return arcs;
}

std::optional<std::vector<IntRect>> ArrangeProportional(const LayoutParams& params,
                                                        const std::vector<uint32_t>& weights,
                                                        size_t childCount,
                                                        const IntRect& rect,
                                                        double scale) {
  if (weights.size() != childCount) return std::nullopt;
  std::vector<IntRect> out;
  if (params.orientation != kVertical && params.orientation != kHorizontal) return out;

  uint64_t sum = 0;
  for (uint32_t w : weights)
    sum += w;
  if (sum == 0) return std::nullopt;

  const double ml = params.marginLeft * scale;
  const double mt = params.marginTop * scale;
  const double mr = params.marginRight * scale;
  const double mb = params.marginBottom * scale;
  const double spacing = params.spacing * scale;
  const double n = static_cast<double>(childCount);
  const double spacingTotal = (n - 1) * spacing;
  const double w = rect.width();
  const double h = rect.height();

  out.reserve(childCount);
  if (params.orientation == kVertical) {
    if (mt + mb + n + spacingTotal > h || ml + mr > w) return std::nullopt;
    const double unit = (h - mt - mb - spacingTotal) / static_cast<double>(sum);
    double y = rect.top + mt;
    for (uint32_t weight : weights) {
      out.push_back(
          {Round(rect.left + ml), Round(y), Round(rect.right - mr), Round(y + weight * unit)});
      y += weight * unit + spacing;
    }
  } else {
    if (ml + mr + n + spacingTotal > w || mt + mb > h) return std::nullopt;
    const double unit = (w - ml - mr - spacingTotal) / static_cast<double>(sum);
    double x = rect.left + ml;
    for (uint32_t weight : weights) {
      out.push_back(
          {Round(x), Round(rect.top + mt), Round(x + weight * unit), Round(rect.bottom - mb)});
      x += weight * unit + spacing;
    }
  }
  return out;
}

}  // namespace orvane
