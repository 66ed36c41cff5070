#include "telemetry/LoggerServer.h"

#include <atomic>

namespace orvane {

namespace {
std::atomic<ILoggerServer*> g_override{nullptr};

class ForwardingSink : public IEventSink {
 public:
  void Send(const Event& event) override { EventLogger().Send(event); }
};

}  // namespace

ILoggerServer& EventLogger() {
  ILoggerServer* logger = g_override.load();
  return logger ? *logger : CLoggerServer::GetInstance();
}

IEventSink& LoggerEventSink() {
  static ForwardingSink sink;
  return sink;
}

ScopedLoggerOverride::ScopedLoggerOverride(ILoggerServer* logger)
    : previous_(g_override.exchange(logger)) {}

ScopedLoggerOverride::~ScopedLoggerOverride() {
  g_override.store(previous_);
}

}  // namespace orvane
