#include "telemetry/EventId.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(EventId, SecondsAndCounter) {
  struct Case {
    int64_t seconds;
    uint32_t counter;
    int32_t id;
  } cases[] = {
      {1718000000, 0, 800000000},  // 1718000000 mod 10^7 = 8000000
      {1718000000, 1, 800000001},
      {1718000000, 99, 800000099},
      {1718000000, 100, 800000000},  // the 101st event of a second wraps
      {1718000000, 257, 800000057},
      {1719999999, 42, 999999942},  // the largest id stays a positive int32
      {0, 0, 0},
      {-1, 3, 999999903},          // a clock before 1970 still gives a valid id
      {4102444800, 5, 244480005},  // 2100-01-01
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MakeEventId(c.seconds, c.counter), c.id) << c.seconds << " " << c.counter;
  }
}

TEST(EventId, EventsOfOneSecondDifferInTheLastTwoDigits) {
  const int64_t t = 1718000123;
  for (uint32_t n = 0; n < 100; ++n) {
    EXPECT_EQ(MakeEventId(t, n) / 100, MakeEventId(t, n + 1) / 100);
    if (n < 99) {
      EXPECT_EQ(MakeEventId(t, n + 1) - MakeEventId(t, n), 1);
    }
  }
}

}  // namespace
}  // namespace orvane
