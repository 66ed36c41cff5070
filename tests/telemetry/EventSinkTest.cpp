// The value-type event and the sinks it travels through: the process sink of
// the layers below telemetry, and the logger's one-call sequence.
#include "platform/EventSink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordingLogger.h"

namespace orvane {
namespace {

struct CountingSink : IEventSink {
  std::vector<std::string> names;
  void Send(const Event& e) override { names.push_back(e.name); }
};

TEST(Event, KeepsThePropertiesInTheOrderSet) {
  const Event e =
      Event("vNetworkCheck").String("network_type", "DNS解析").Int("conn_type", 1).Bool("x", true);
  EXPECT_EQ(e.name, "vNetworkCheck");
  ASSERT_EQ(e.props.size(), 3u);
  EXPECT_EQ(e.props[0].key, "network_type");
  EXPECT_EQ(e.props[0].kind, EventProperty::Kind::kString);
  EXPECT_EQ(e.props[0].text, "DNS解析");
  EXPECT_EQ(e.props[1].kind, EventProperty::Kind::kInt);
  EXPECT_EQ(e.props[1].intValue, 1);
  EXPECT_EQ(e.props[2].kind, EventProperty::Kind::kBool);
  EXPECT_TRUE(e.props[2].boolValue);
}

TEST(EventSink, ScopesNestAndRestore) {
  CountingSink outer, inner;
  {
    ScopedEventSink useOuter(&outer);
    EventSink().Send(Event("a"));
    {
      ScopedEventSink useInner(&inner);
      EventSink().Send(Event("b"));
    }
    EventSink().Send(Event("c"));
  }
  // without a sink, events go nowhere (and nothing crashes)
  EventSink().Send(Event("d"));
  EXPECT_EQ(outer.names, (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(inner.names, (std::vector<std::string>{"b"}));
}

TEST(EventSink, TheLoggerSendsClearSetWriteInOneCall) {
  test::RecordingLogger logger;
  logger.SetStringProperty("left_over", "from an earlier event");
  ILoggerServer& asLogger = logger;
  asLogger.Send(Event("pSoftDownloadResult")
                    .String("soft_download_status", "下载成功")
                    .Int("download_time", 12)
                    .Int("download_time", 99)  // a key set twice keeps its first value
                    .Bool("is_first_install", false));
  asLogger.Send(Event("vSoftDownloadStart"));
  EXPECT_EQ(logger.Events(),
            (std::vector<std::string>{"event pSoftDownloadResult {download_time=12, "
                                      "is_first_install=false, soft_download_status=下载成功}",
                                      "event vSoftDownloadStart {}"}));
}

}  // namespace
}  // namespace orvane
