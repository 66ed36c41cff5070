// Owners of GDI+ objects of the flat API, built like the handle owners of
// platform/Handles.h, plus the GDI+ session and scoped restorers of drawing
// state. GDI+ must be running (GdiplusSession) while any of them is alive.
#pragma once

#include <windows.h>

// gdiplus.h needs IStream and PROPID, which WIN32_LEAN_AND_MEAN leaves out
#include <objidl.h>

#include <gdiplus.h>

#include "platform/Handles.h"

namespace orvane {

namespace gp = Gdiplus::DllExports;

template <typename T, Gdiplus::GpStatus(WINGDIPAPI* Delete)(T*)>
struct GdipTraits {
  using Type = T*;
  static Type Empty() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { Delete(h); }
};

using GdipGraphics = HandleT<GdipTraits<Gdiplus::GpGraphics, &gp::GdipDeleteGraphics>>;
using GdipBrush = HandleT<GdipTraits<Gdiplus::GpBrush, &gp::GdipDeleteBrush>>;
using GdipPen = HandleT<GdipTraits<Gdiplus::GpPen, &gp::GdipDeletePen>>;
using GdipPath = HandleT<GdipTraits<Gdiplus::GpPath, &gp::GdipDeletePath>>;
using GdipFontFamily = HandleT<GdipTraits<Gdiplus::GpFontFamily, &gp::GdipDeleteFontFamily>>;
using GdipFont = HandleT<GdipTraits<Gdiplus::GpFont, &gp::GdipDeleteFont>>;
using GdipStringFormat = HandleT<GdipTraits<Gdiplus::GpStringFormat, &gp::GdipDeleteStringFormat>>;
using GdipImage = HandleT<GdipTraits<Gdiplus::GpImage, &gp::GdipDisposeImage>>;
using GdipMatrix = HandleT<GdipTraits<Gdiplus::GpMatrix, &gp::GdipDeleteMatrix>>;

// GDI+ from GdiplusStartup to GdiplusShutdown
class GdiplusSession {
 public:
  GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback
    ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
  }
  ~GdiplusSession() {
    if (ok_) Gdiplus::GdiplusShutdown(token_);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  bool ok() const { return ok_; }

 private:
  ULONG_PTR token_ = 0;
  bool ok_ = false;
};

// sets a graphics' page unit and restores the previous one
class ScopedPageUnit {
 public:
  ScopedPageUnit(Gdiplus::GpGraphics* g, Gdiplus::GpUnit unit) : g_(g) {
    restore_ = gp::GdipGetPageUnit(g_, &old_) == Gdiplus::Ok;
    gp::GdipSetPageUnit(g_, unit);
  }
  ~ScopedPageUnit() {
    if (restore_) gp::GdipSetPageUnit(g_, old_);
  }
  ScopedPageUnit(const ScopedPageUnit&) = delete;
  ScopedPageUnit& operator=(const ScopedPageUnit&) = delete;

 private:
  Gdiplus::GpGraphics* g_;
  Gdiplus::GpUnit old_ = Gdiplus::UnitDisplay;
  bool restore_ = false;
};

}  // namespace orvane
