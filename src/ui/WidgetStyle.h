// WidgetStyle: how a drawn widget looks in one state. Every drawn widget
// has four, indexed by WidgetState, so that a page describes each look of a
// control by data. Sizes are logical pixels, scaled when drawn.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orvane {

// "Microsoft Yahei", or "SimHei" on Windows XP
std::wstring DefaultFontFamily();

struct WidgetStyle {
  uint32_t textColor = 0xFF000000;  // ARGB; the progress bar's bar colour
  uint32_t backgroundColor = 0x00FFFFFF;
  int32_t borderWidth = 0;   // 0 = no border
  int32_t cornerRadius = 0;  // 0 = square corners
  uint32_t borderColor = 0xFFC0C0C0;
  uint32_t fontSize = 16;  // em height
  std::wstring fontFamily = DefaultFontFamily();
  uint8_t underline = 0;
  uint8_t bold = 0;  // wins over underline
  // 0 near, 1 centre, 2 far (GDI+ StringAlignment); others keep GDI+'s default
  int32_t horizontalAlignment = 0;
  int32_t verticalAlignment = 1;
  // 1 = a button's or check box's image at the right edge, text left of it
  int32_t iconPosition = 0;
};

// one record per WidgetState
using WidgetStyles = std::array<WidgetStyle, 4>;

}  // namespace orvane
