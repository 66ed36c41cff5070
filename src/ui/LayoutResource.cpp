#include "ui/LayoutResource.h"

#include "ui/WidgetPainter.h"

namespace orvane {

bool CLayoutResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  rect_ = {left, top, right, bottom};
  auto placed = ArrangeProportional(params_, weights_, children_.size(), rect_, UiScale());
  if (!placed) return true;
  for (size_t i = 0; i < placed->size(); ++i) {
    if (children_[i]) children_[i]->SetRect((*placed)[i]);
  }
  if (background_) background_->SetRect(rect_);
  return true;
}

}  // namespace orvane
