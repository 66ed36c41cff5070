// IBaseResource: a drawable, hit-testable part of a view (a "widget").
// Widgets never handle window messages: the view hit-tests them, changes
// their state and reacts to clicks.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/Geometry.h"
#include "ui/WidgetKinds.h"

namespace orvane {

class IBaseResource {
 public:
  IBaseResource(int32_t kind, int32_t id) : kind_(kind), id_(id) {}
  virtual ~IBaseResource() = default;
  IBaseResource(const IBaseResource&) = delete;
  IBaseResource& operator=(const IBaseResource&) = delete;

  // paints onto the DC; always true
  virtual bool Draw(HDC dc) = 0;
  // takes a new rectangle and recomputes what derives from it
  virtual bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
  bool SetRect(const IntRect& r) { return SetRect(r.left, r.top, r.right, r.bottom); }

  int32_t kind() const { return kind_; }
  int32_t id() const { return id_; }
  const IntRect& rect() const { return rect_; }
  // a hidden widget draws nothing but is still hit-tested
  bool visible() const { return visible_ != 0; }
  void SetVisible(bool visible) { visible_ = visible ? 1 : 0; }

 protected:
  int32_t kind_;
  int32_t id_;
  IntRect rect_;
  uint8_t visible_ = 1;
};

}  // namespace orvane
