#include "telemetry/LoggerServer.h"

#include <atomic>

namespace orvane {

namespace {
std::atomic<ILoggerServer*> g_override{nullptr};
}  // namespace

ILoggerServer& EventLogger() {
  ILoggerServer* logger = g_override.load();
  return logger ? *logger : CLoggerServer::GetInstance();
}

ScopedLoggerOverride::ScopedLoggerOverride(ILoggerServer* logger)
    : previous_(g_override.exchange(logger)) {}

ScopedLoggerOverride::~ScopedLoggerOverride() {
  g_override.store(previous_);
}

}  // namespace orvane
