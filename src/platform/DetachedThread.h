// A thread that nobody joins: it runs its body and ends on its own. For
// calls that cannot be interrupted and may be abandoned (net/NetWait.h);
// the body must keep alive whatever it touches.
#pragma once

#include <functional>

namespace orvane {

// false when no thread could be created; the body has not run then
bool StartDetachedThread(std::function<void()> body);

}  // namespace orvane
