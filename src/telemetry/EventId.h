// The id of a telemetry event: (seconds mod 10000000) * 100 + (n mod 100),
// where n counts the events of the process. Events of the same second
// differ in the last two decimal digits; the 101st of a second wraps them.
#pragma once

#include <cstdint>

namespace orvane {

int32_t MakeEventId(int64_t unixSeconds, uint32_t counter);

}  // namespace orvane
