// The looks the pages and dialogs share: their colours and the style
// records of their controls.
#pragma once

#include <cstdint>

#include "ui/BaseView.h"
#include "ui/WidgetStyle.h"

namespace orvane {

namespace colors {
constexpr uint32_t kPage = 0xFF1F1F1F;
constexpr uint32_t kAccent = 0xFF4F7DFF;
constexpr uint32_t kAccentLight = 0xFF5D8EFC;
constexpr uint32_t kText = 0xFFE0E7FA;
constexpr uint32_t kSubtext = 0xFFA2ABC3;
constexpr uint32_t kRed = 0xFFFF4D4F;
constexpr uint32_t kDisabled = 0xFF6A748B;
constexpr uint32_t kSecondary = 0xFF303349;
constexpr uint32_t kClear = 0x00FFFFFF;
}  // namespace colors

// the page background: filled and outlined in the page colour (radius for
// the dialogs' rounded corners)
WidgetStyles PageBackgroundStyle(int32_t radius = 0);
// "立即安装" and "立即体验": accent, lighter on hover and press, grey disabled
WidgetStyles PrimaryButtonStyle();
// a transparent button whose text colour changes with the state: text,
// lighter accent on hover and press, text when disabled
WidgetStyles LinkStyle(uint32_t fontSize, bool underline, int32_t align, int32_t iconPosition);
// the close button: transparent in the normal, hover and pressed looks
WidgetStyles CloseButtonStyle();
// a text in the normal look
WidgetStyles TextStyle(uint32_t color, uint32_t fontSize, int32_t align = 0);
// the check boxes of the begin and custom pages
WidgetStyles CheckboxStyle();

// the common rule of a view's buttons: the one at index turns hover on a
// mouse move, pressed on a press, normal on a click; every other enabled one
// turns normal; disabled ones stay. True when a look changed.
bool UpdateButtonLooks(const IBaseView& view, StateCause cause, int32_t index);

}  // namespace orvane
