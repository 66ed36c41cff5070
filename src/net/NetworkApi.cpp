#include "net/NetworkApi.h"

#include <atomic>

namespace orvane {

namespace {
std::atomic<INetworkApi*> g_override{nullptr};
}  // namespace

INetworkApi& NetworkApi() {
  INetworkApi* api = g_override.load();
  return api ? *api : SystemNetworkApi();
}

ScopedNetworkApiOverride::ScopedNetworkApiOverride(INetworkApi* api)
    : previous_(g_override.exchange(api)) {}

ScopedNetworkApiOverride::~ScopedNetworkApiOverride() {
  g_override.store(previous_);
}

}  // namespace orvane
