// CSpacerResource: an invisible widget that takes a share of a layout.
#pragma once

#include "ui/BaseResource.h"

namespace orvane {

class CSpacerResource : public IBaseResource {
 public:
  CSpacerResource() : IBaseResource(kKindSpacer, 10) {}

  bool Draw(HDC) override { return true; }
  bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
    rect_ = {left, top, right, bottom};
    return true;
  }
  using IBaseResource::SetRect;
};

}  // namespace orvane
