// The gallery's own sheet: a view that shows every widget of the toolkit in
// every state in a 600 x 400 window. (The installer's pages come from their
// own classes, GalleryPages.h.)
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/BaseView.h"
#include "ui/ImageResource.h"

namespace orvane {

class IResourceMgr;

class GalleryView : public IBaseView {
 public:
  GalleryView(HWND hwnd, IResourceMgr* resources) : IBaseView(hwnd, resources) {}

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  // the widgets that the screenshot test looks at, by name, with their
  // rectangles (pictures inside buttons and check boxes get their own)
  const std::map<std::string, IntRect>& Named() const { return named_; }
  // lays the page out in the window's client area again
  void Layout();

 protected:
  template <typename T>
  T* Keep(const std::string& name, std::unique_ptr<T> widget) {
    T* raw = Add(std::move(widget));
    names_[name] = raw;
    return raw;
  }
  void SetRoot(IBaseResource* root) { root_ = root; }
  // a state that the widget takes once the page is laid out
  void Later(CImageResource* widget, int32_t state) { later_.emplace_back(widget, state); }
  // the page's rules for hover, press and click; true when a state changed
  virtual bool UpdateStates(StateCause cause, int32_t index) { return false; }
  virtual void OnClick(int32_t index) {}

 private:
  void CollectNames();

  IBaseResource* root_ = nullptr;
  std::vector<std::pair<CImageResource*, int32_t>> later_;
  std::map<std::string, IBaseResource*> names_;
  std::map<std::string, IntRect> named_;
};

std::unique_ptr<GalleryView> CreateWidgetSheet(HWND hwnd, IResourceMgr* resources);

}  // namespace orvane
