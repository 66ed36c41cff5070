#include "app/AppGlobals.h"

#include <atomic>

namespace orvane {

namespace {
std::atomic<AppGlobals*> g_globals{nullptr};
}  // namespace

AppGlobals* GetAppGlobals() {
  return g_globals.load();
}

AppGlobalsScope::AppGlobalsScope() {
  g_globals.store(new AppGlobals());
}

AppGlobalsScope::~AppGlobalsScope() {
  delete g_globals.exchange(nullptr);
}

std::string AppGlobals::Channel() {
  XMutexLock hold(lock);
  return channel;
}

void AppGlobals::SetChannel(const std::string& value) {
  XMutexLock hold(lock);
  channel = value;
}

}  // namespace orvane
