// Role and state codes of the widgets. Platform-free.
#pragma once

#include <cstdint>

namespace orvane {

// the kind field of every widget; hit-testing and the views switch on it
enum WidgetKind : int32_t {
  kKindBackground = 0,  // ignored by hit-testing when something else is under the point
  kKindPicture = 1,
  kKindButton = 2,
  kKindCheckbox = 3,
  kKindAnimation = 4,
  kKindText = 5,
  kKindEdit = 6,
  kKindProgress = 7,
  kKindLayout = 9,  // skipped by hit-testing
  kKindSpacer = 10,
};

// index of a widget's style record; the skin's images for the disabled
// state carry the suffix "_click"
enum WidgetState : int32_t {
  kStateNormal = 0,
  kStateHover = 1,
  kStatePressed = 2,
  kStateDisabled = 3,
};

}  // namespace orvane
