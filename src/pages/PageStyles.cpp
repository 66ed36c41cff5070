#include "pages/PageStyles.h"

#include "ui/ButtonResource.h"

namespace orvane {

using namespace colors;

WidgetStyles PageBackgroundStyle(int32_t radius) {
  WidgetStyles s;
  s[0].backgroundColor = kPage;
  s[0].borderWidth = 1;
  s[0].borderColor = kPage;
  s[0].cornerRadius = radius;
  return s;
}

WidgetStyles PrimaryButtonStyle() {
  WidgetStyles s;
  const uint32_t backgrounds[4] = {kAccent, kAccentLight, kAccentLight, kDisabled};
  for (int i = 0; i < 4; ++i) {
    s[i].backgroundColor = backgrounds[i];
    s[i].textColor = kText;
    s[i].cornerRadius = 2;
    s[i].horizontalAlignment = 1;
    s[i].verticalAlignment = 1;
  }
  return s;
}

WidgetStyles LinkStyle(uint32_t fontSize, bool underline, int32_t align, int32_t iconPosition) {
  WidgetStyles s;
  const uint32_t colors[4] = {kText, kAccentLight, kAccentLight, kText};
  for (int i = 0; i < 4; ++i) {
    s[i].backgroundColor = kClear;
    s[i].borderColor = kClear;
    s[i].textColor = colors[i];
    s[i].fontSize = fontSize;
    s[i].underline = underline && i < 3;
    s[i].horizontalAlignment = align;
    s[i].iconPosition = iconPosition;
  }
  return s;
}

WidgetStyles CloseButtonStyle() {
  WidgetStyles s;
  for (int i = 0; i < 3; ++i) {
    s[i].backgroundColor = kClear;
    s[i].borderColor = kClear;
  }
  return s;
}

WidgetStyles TextStyle(uint32_t color, uint32_t fontSize, int32_t align) {
  WidgetStyles s;
  s[0].textColor = color;
  s[0].fontSize = fontSize;
  s[0].horizontalAlignment = align;
  return s;
}

WidgetStyles CheckboxStyle() {
  WidgetStyles s;
  for (int i = 0; i < 3; ++i) {
    s[i].fontSize = 14;
    s[i].backgroundColor = kClear;
    s[i].borderColor = kClear;
    s[i].textColor = i == 0 ? kText : kAccentLight;
  }
  return s;
}

bool UpdateButtonLooks(const IBaseView& view, StateCause cause, int32_t index) {
  bool changed = false;
  for (size_t i = 0; i < view.widgetCount(); ++i) {
    auto* button = dynamic_cast<CButtonResource*>(view.WidgetAt(static_cast<int32_t>(i)));
    if (!button || button->state() == kStateDisabled) continue;
    int32_t next = kStateNormal;
    if (static_cast<int32_t>(i) == index && cause != StateCause::kClick)
      next = cause == StateCause::kMouseMove ? kStateHover : kStatePressed;
    if (button->state() != next) {
      button->SetState(next);
      changed = true;
    }
  }
  return changed;
}

}  // namespace orvane
