#include "server/QueryCancel.h"

namespace orvane {

void QueryCancel::Set() {
  std::lock_guard<std::mutex> hold(lock_);
  set_ = true;
  if (hook_) hook_();
  wake_.notify_all();
}

bool QueryCancel::Pause(std::chrono::milliseconds ms) {
  std::unique_lock<std::mutex> hold(lock_);
  return !wake_.wait_for(hold, ms, [this] { return set_.load(); });
}

void QueryCancel::SetAbortHook(std::function<void()> hook) {
  std::lock_guard<std::mutex> hold(lock_);
  hook_ = std::move(hook);
  if (set_ && hook_) hook_();
}

void QueryCancel::ClearAbortHook() {
  std::lock_guard<std::mutex> hold(lock_);
  hook_ = nullptr;
}

}  // namespace orvane
