#include "telemetry/LoggerServer.h"

namespace orvane {

CLoggerServer& CLoggerServer::GetInstance() {
  static CLoggerServer logger;
  return logger;
}

}  // namespace orvane
