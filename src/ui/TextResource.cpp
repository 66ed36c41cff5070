#include "ui/TextResource.h"

#include "ui/WidgetPainter.h"

namespace orvane {

bool CTextResource::Draw(HDC dc) {
  if (!visible()) return true;
  GdipGraphics g = DrawBase(dc);
  if (!g) return true;
  const WidgetStyle& s = CurrentStyle();
  GdipStringFormat format = CreateStyleFormat(s, 0);
  StyleFont font = CreateStyleFont(s, UiScale());
  DrawStyledText(g.get(), text_, font, format.get(), ToFloatRect(rect_), s.textColor);
  return true;
}

}  // namespace orvane
