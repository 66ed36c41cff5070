#include "platform/EventSink.h"

#include <atomic>

namespace orvane {

namespace {

class DroppingSink : public IEventSink {
 public:
  void Send(const Event&) override {}
};

std::atomic<IEventSink*> g_sink{nullptr};

}  // namespace

Event& Event::Int(const std::string& key, int value) {
  EventProperty p;
  p.key = key;
  p.kind = EventProperty::Kind::kInt;
  p.intValue = value;
  props.push_back(std::move(p));
  return *this;
}

Event& Event::Bool(const std::string& key, bool value) {
  EventProperty p;
  p.key = key;
  p.kind = EventProperty::Kind::kBool;
  p.boolValue = value;
  props.push_back(std::move(p));
  return *this;
}

Event& Event::String(const std::string& key, const std::string& value) {
  EventProperty p;
  p.key = key;
  p.kind = EventProperty::Kind::kString;
  p.text = value;
  props.push_back(std::move(p));
  return *this;
}

IEventSink& EventSink() {
  static DroppingSink dropping;
  IEventSink* sink = g_sink.load();
  return sink ? *sink : dropping;
}

ScopedEventSink::ScopedEventSink(IEventSink* sink) : previous_(g_sink.exchange(sink)) {}

ScopedEventSink::~ScopedEventSink() {
  g_sink.store(previous_);
}

}  // namespace orvane
