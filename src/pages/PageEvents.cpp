#include "pages/PageEvents.h"

#include "platform/EventSink.h"
#include "telemetry/LoggerServer.h"

namespace orvane {

void SendPageEvent(const char* name,
                   std::initializer_list<BoolProperty> bools,
                   std::initializer_list<TextProperty> texts) {
  Event event(name);
  for (const auto& [key, value] : bools)
    event.Bool(key, value);
  for (const auto& [key, value] : texts)
    event.String(key, value);
  EventLogger().Send(event);
}

void WriteClick(const char* pageCode, const char* controlCode) {
  EventLogger().WriteOperation(pageCode, controlCode, "");
}

}  // namespace orvane
