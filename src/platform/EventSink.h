// Event and IEventSink: how code below the telemetry layer reports an event
// without knowing the event logger. An Event is a value: a name and the
// properties in the order they were set (a key set twice keeps its first
// value, as in the logger). The process's sink is the one the install
// session installed (the event logger); without one, events are dropped.
#pragma once

#include <string>
#include <vector>

namespace orvane {

struct EventProperty {
  enum class Kind { kInt, kBool, kString };
  std::string key;
  Kind kind = Kind::kString;
  int intValue = 0;
  bool boolValue = false;
  std::string text;
};

struct Event {
  explicit Event(std::string eventName) : name(std::move(eventName)) {}

  Event& Int(const std::string& key, int value);
  Event& Bool(const std::string& key, bool value);
  // UTF-8
  Event& String(const std::string& key, const std::string& value);

  std::string name;
  std::vector<EventProperty> props;
};

class IEventSink {
 public:
  // sends the event with exactly its own properties; never raises
  virtual void Send(const Event& event) = 0;

 protected:
  virtual ~IEventSink() = default;
};

// the sink every layer below telemetry reports through: the installed one,
// or one that drops every event
IEventSink& EventSink();

// installs a sink for the scope (the install session, a test)
class ScopedEventSink {
 public:
  explicit ScopedEventSink(IEventSink* sink);
  ~ScopedEventSink();
  ScopedEventSink(const ScopedEventSink&) = delete;
  ScopedEventSink& operator=(const ScopedEventSink&) = delete;

 private:
  IEventSink* previous_;
};

}  // namespace orvane
