// CTextResource: a text that wraps inside its rectangle and ends in an
// ellipsis when it does not fit.
#pragma once

#include <string>

#include "ui/ImageResource.h"

namespace orvane {

class CTextResource : public CImageResource {
 public:
  // the pages always use kind 5
  CTextResource(int32_t id, int32_t kind, const WidgetStyles* styles)
      : CImageResource(id, kind, styles) {}

  bool Draw(HDC dc) override;

  void SetText(const std::wstring& text) { text_ = text; }
  const std::wstring& text() const { return text_; }

 private:
  std::wstring text_;
};

}  // namespace orvane
