// A Win32 thread of its own, not std::thread: MinGW's detached std::thread
// under Wine now and then never runs its body, and its waiter would wait on.
#include <windows.h>

#include <process.h>

#include <memory>

#include "platform/DetachedThread.h"

namespace orvane {

namespace {

unsigned __stdcall Entry(void* arg) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(arg));
  (*body)();
  return 0;
}

}  // namespace

bool StartDetachedThread(std::function<void()> body) {
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  uintptr_t h = _beginthreadex(nullptr, 0, &Entry, owned.get(), 0, nullptr);
  if (!h) return false;
  owned.release();  // the thread's now
  ::CloseHandle(reinterpret_cast<HANDLE>(h));
  return true;
}

}  // namespace orvane
