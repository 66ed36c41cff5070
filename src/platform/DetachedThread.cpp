// The native builds' detached thread (the sanitizer tests).
#include "platform/DetachedThread.h"

#include <system_error>
#include <thread>

namespace orvane {

bool StartDetachedThread(std::function<void()> body) {
  try {
    std::thread(std::move(body)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace orvane
