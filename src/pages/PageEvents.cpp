#include "pages/PageEvents.h"

#include "telemetry/LoggerServer.h"

namespace orvane {

void SendPageEvent(const char* name,
                   std::initializer_list<BoolProperty> bools,
                   std::initializer_list<TextProperty> texts) {
  ILoggerServer& logger = EventLogger();
  logger.ClearProperties();
  for (const auto& [key, value] : bools)
    logger.SetBoolProperty(key, value);
  for (const auto& [key, value] : texts)
    logger.SetStringProperty(key, value);
  logger.WriteEvent(name);
}

void WriteClick(const char* pageCode, const char* controlCode) {
  EventLogger().WriteOperation(pageCode, controlCode, "");
}

}  // namespace orvane
