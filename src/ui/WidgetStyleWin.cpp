#include "ui/WidgetStyle.h"

#include "platform/SystemInfo.h"

namespace orvane {

std::wstring DefaultFontFamily() {
  return GetOsVersionCode() == kOsXp ? L"SimHei" : L"Microsoft Yahei";
}

}  // namespace orvane
