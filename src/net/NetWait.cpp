#include "net/NetWait.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/DetachedThread.h"

namespace orvane {

namespace {

bool IsAborted(const AbortCheck& aborted) {
  return aborted && aborted();
}

// Runs call on a thread of its own and waits for its result. When the
// abort check turns true first, the wait ends with false and the call is
// left to finish alone: its thread keeps only `shared` alive.
template <typename T>
bool CallAbandonable(std::function<T()> call, const AbortCheck& aborted, T* out) {
  if (IsAborted(aborted)) return false;
  struct Shared {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    T value{};
  };
  auto shared = std::make_shared<Shared>();
  bool started = StartDetachedThread([shared, call]() {
    T value{};
    try {
      value = call();
    } catch (...) {
      // a call that failed found nothing; its waiter must still hear of it
    }
    std::lock_guard<std::mutex> hold(shared->lock);
    shared->value = std::move(value);
    shared->finished = true;
    shared->done.notify_all();
  });
  if (!started) {
    // no thread to spare: the call blocks here, as the system's own would
    *out = call();
    return true;
  }
  std::unique_lock<std::mutex> hold(shared->lock);
  while (!shared->done.wait_for(hold, std::chrono::milliseconds(kAbortPollMs),
                                [&] { return shared->finished; })) {
    if (IsAborted(aborted)) return false;
  }
  *out = std::move(shared->value);
  return true;
}

struct Lookup {
  bool found = false;
  uint32_t address = 0;
};

}  // namespace

ConnectOutcome ConnectWithin(INetworkApi& api,
                             SocketId s,
                             uint32_t address,
                             uint16_t port,
                             int ms,
                             const AbortCheck& aborted) {
  if (IsAborted(aborted)) return ConnectOutcome::kAborted;
  switch (api.Connect(s, address, port)) {
    case ConnectResult::kConnected:
      return ConnectOutcome::kConnected;
    case ConnectResult::kFailed:
      // nothing is under way: a wait would never end
      return ConnectOutcome::kFailed;
    case ConnectResult::kPending:
      break;
  }
  // the slices add up to the deadline: a wait that ends early is ready
  for (int waited = 0; waited < ms;) {
    if (IsAborted(aborted)) return ConnectOutcome::kAborted;
    int slice = std::min(kAbortPollMs, ms - waited);
    WaitResult w = api.WaitWritable(s, slice);
    if (w == WaitResult::kTimeout) {
      waited += slice;
      continue;
    }
    if (w == WaitResult::kError || api.PendingError(s) != 0) return ConnectOutcome::kFailed;
    return ConnectOutcome::kConnected;
  }
  return IsAborted(aborted) ? ConnectOutcome::kAborted : ConnectOutcome::kTimedOut;
}

LookupOutcome LookupHostUnlessAborted(INetworkApi& api,
                                      const std::string& host,
                                      uint32_t* address,
                                      const AbortCheck& aborted) {
  Lookup result;
  std::function<Lookup()> call = [&api, host] {
    Lookup l;
    l.found = api.LookupHost(host, &l.address);
    return l;
  };
  if (!CallAbandonable(call, aborted, &result)) return LookupOutcome::kAborted;
  if (!result.found) return LookupOutcome::kNotFound;
  *address = result.address;
  return LookupOutcome::kFound;
}

bool UserProxyUnlessAborted(INetworkApi& api,
                            const std::string& url,
                            ProxySettings* proxy,
                            const AbortCheck& aborted) {
  ProxySettings start = *proxy;
  std::function<ProxySettings()> call = [&api, url, start] {
    ProxySettings found = start;
    api.UserProxy(url, &found);
    return found;
  };
  ProxySettings found;
  if (!CallAbandonable(call, aborted, &found)) return false;
  *proxy = found;
  return true;
}

}  // namespace orvane
