// CLayoutResource: arranges its children side by side or one above the
// other, in proportion to their weights. It draws nothing and owns neither
// its children nor its background widget: the page's widget vector does.
#pragma once

#include <vector>

#include "ui/BaseResource.h"

namespace orvane {

class CLayoutResource : public IBaseResource {
 public:
  // orientation: 1 vertical, 2 horizontal
  CLayoutResource(int32_t orientation, int32_t id) : IBaseResource(kKindLayout, id) {
    params_.orientation = orientation;
  }

  bool Draw(HDC) override { return true; }
  // stores the rectangle and gives each child its share; when the
  // rectangle is too small, nothing but the stored rectangle changes
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  using IBaseResource::SetRect;

  // logical pixels
  void SetMargins(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    params_.marginLeft = left;
    params_.marginTop = top;
    params_.marginRight = right;
    params_.marginBottom = bottom;
  }
  void SetSpacing(int32_t spacing) { params_.spacing = spacing; }
  void AddChild(IBaseResource* child, uint32_t weight) {
    children_.push_back(child);
    weights_.push_back(weight);
  }
  // gets the layout's whole rectangle after each arrangement
  void SetBackground(IBaseResource* background) { background_ = background; }

 private:
  LayoutParams params_;
  IBaseResource* background_ = nullptr;
  std::vector<IBaseResource*> children_;
  std::vector<uint32_t> weights_;
};

}  // namespace orvane
