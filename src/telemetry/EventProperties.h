// The property sets of telemetry events: text key to int, bool and text,
// each ordered by key (bytewise). Setting a key that is already there keeps
// the first value; only ClearProperties empties the sets.
//
// Every thread has sets of its own, so that the UI thread and the workers
// can each clear, set and write at the same moment and every event carries
// exactly what its own sender set. A thread's sets stay until it clears
// them again, as the protocol (clear, set, write) expects.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace orvane {

struct PropertySets {
  std::map<std::string, int> ints;
  std::map<std::string, bool> bools;
  std::map<std::string, std::string> strings;

  void Clear();
  void SetInt(const std::string& key, int value) { ints.emplace(key, value); }
  void SetBool(const std::string& key, bool value) { bools.emplace(key, value); }
  void SetString(const std::string& key, const std::string& value) { strings.emplace(key, value); }
};

class PerThreadProperties {
 public:
  // all act on the calling thread's sets
  void Clear();
  void SetInt(const std::string& key, int value);
  void SetBool(const std::string& key, bool value);
  void SetString(const std::string& key, const std::string& value);
  PropertySets Snapshot() const;

  // threads that hold sets at the moment
  size_t ThreadCount() const;

 private:
  // recursive: the crash handler may clear the sets of a thread that
  // crashed inside one of these calls
  mutable std::recursive_mutex lock_;
  std::map<std::thread::id, PropertySets> sets_;
};

}  // namespace orvane
