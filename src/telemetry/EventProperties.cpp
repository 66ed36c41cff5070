#include "telemetry/EventProperties.h"

namespace orvane {

void PropertySets::Clear() {
  ints.clear();
  bools.clear();
  strings.clear();
}

void PerThreadProperties::Clear() {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  // an emptied entry is dropped, so ended threads leave nothing behind
  sets_.erase(std::this_thread::get_id());
}

void PerThreadProperties::SetInt(const std::string& key, int value) {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  sets_[std::this_thread::get_id()].SetInt(key, value);
}

void PerThreadProperties::SetBool(const std::string& key, bool value) {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  sets_[std::this_thread::get_id()].SetBool(key, value);
}

void PerThreadProperties::SetString(const std::string& key, const std::string& value) {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  sets_[std::this_thread::get_id()].SetString(key, value);
}

PropertySets PerThreadProperties::Snapshot() const {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  auto it = sets_.find(std::this_thread::get_id());
  return it == sets_.end() ? PropertySets() : it->second;
}

size_t PerThreadProperties::ThreadCount() const {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  return sets_.size();
}

}  // namespace orvane
