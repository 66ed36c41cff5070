// AppGlobals: the one process-wide record of the install session's shared
// settings. Created at start-up, destroyed last at shutdown; every other part
// reaches it through GetAppGlobals().
#pragma once

#include <string>

#include "platform/XMutex.h"
#include "ui/DisplayScale.h"

namespace orvane {

struct AppGlobals {
  // the UI scale and display ratio of the session: ui's record
  DisplayScaleScope displayScale;

  // guarded by `lock`
  std::string channel;  // at most 8 characters, written once at start-up
  CXMutex lock;

  std::string Channel();
  void SetChannel(const std::string& value);
};

// null before start-up created the record and after shutdown destroyed it
AppGlobals* GetAppGlobals();

// owns the record for the scope of one install session
class AppGlobalsScope {
 public:
  AppGlobalsScope();
  ~AppGlobalsScope();
  AppGlobalsScope(const AppGlobalsScope&) = delete;
  AppGlobalsScope& operator=(const AppGlobalsScope&) = delete;
};

}  // namespace orvane
