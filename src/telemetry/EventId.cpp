#include "telemetry/EventId.h"

namespace orvane {

int32_t MakeEventId(int64_t unixSeconds, uint32_t counter) {
  int64_t t = unixSeconds % 10000000;
  if (t < 0) t += 10000000;  // a clock before 1970 still gives a valid id
  return static_cast<int32_t>(t * 100 + counter % 100);
}

}  // namespace orvane
