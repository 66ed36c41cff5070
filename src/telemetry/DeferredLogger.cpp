#include "telemetry/DeferredLogger.h"

#include <utility>

namespace orvane {

CDeferredLogger::CDeferredLogger(Maker make) : make_(std::move(make)) {}

ILoggerServer& CDeferredLogger::Release() {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  if (ILoggerServer* real = real_.load()) return *real;
  ILoggerServer& real = make_();
  if (routeKept_) real.SetUploadRoute(route_);
  // by index: what making the logger sent was kept too, at the end
  for (size_t i = 0; i < kept_.size(); ++i) {
    Record record = std::move(kept_[i]);
    record(real);
  }
  kept_.clear();
  real_ = &real;
  return real;
}

ILoggerServer* CDeferredLogger::KeepOrPass(Record record) {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  if (ILoggerServer* real = real_.load()) return real;
  kept_.push_back(std::move(record));
  return nullptr;
}

Event* CDeferredLogger::KeptProperties(bool create) {
  const auto id = std::this_thread::get_id();
  auto it = properties_.find(id);
  if (it != properties_.end()) return &it->second;
  if (!create) return nullptr;
  return &properties_.emplace(id, Event(std::string())).first->second;
}

void CDeferredLogger::Send(const Event& event) {
  if (ILoggerServer* real = KeepOrPass([event](ILoggerServer& r) { r.Send(event); }))
    real->Send(event);
}

bool CDeferredLogger::WriteOperation(const std::string& pageCode,
                                     const std::string& controlCode,
                                     const std::string& extra) {
  ILoggerServer* real = KeepOrPass([pageCode, controlCode, extra](ILoggerServer& r) {
    r.WriteOperation(pageCode, controlCode, extra);
  });
  return real ? real->WriteOperation(pageCode, controlCode, extra) : true;
}

bool CDeferredLogger::WriteReport(int code,
                                  const std::string& a,
                                  const std::string& b,
                                  const std::string& c,
                                  const std::string& d,
                                  std::vector<std::string> files) {
  ILoggerServer* real = KeepOrPass(
      [code, a, b, c, d, files](ILoggerServer& r) { r.WriteReport(code, a, b, c, d, files); });
  return real ? real->WriteReport(code, a, b, c, d, std::move(files)) : true;
}

bool CDeferredLogger::WriteLaunch(int code,
                                  const std::string& a,
                                  const std::string& b,
                                  const std::string& c) {
  ILoggerServer* real =
      KeepOrPass([code, a, b, c](ILoggerServer& r) { r.WriteLaunch(code, a, b, c); });
  return real ? real->WriteLaunch(code, a, b, c) : true;
}

// The property calls keep a thread's properties here from its first call
// before the release until its next ClearProperties, also after the release:
// the real logger never saw them, so that thread's events go over whole.

bool CDeferredLogger::WriteEvent(const std::string& name) {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  Event* kept = KeptProperties(!real_.load());
  ILoggerServer* real = real_.load();
  if (!kept) return real->WriteEvent(name);
  Event event = *kept;
  event.name = name;
  if (real) {
    real->Send(event);
    return true;
  }
  kept_.push_back([event](ILoggerServer& r) { r.Send(event); });
  return true;
}

void CDeferredLogger::ClearProperties() {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  if (ILoggerServer* real = real_.load()) {
    properties_.erase(std::this_thread::get_id());
    real->ClearProperties();
    return;
  }
  *KeptProperties(true) = Event(std::string());
}

void CDeferredLogger::SetIntProperty(const std::string& key, int value) {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  if (Event* kept = KeptProperties(!real_.load())) {
    kept->Int(key, value);
    return;
  }
  real_.load()->SetIntProperty(key, value);
}

void CDeferredLogger::SetBoolProperty(const std::string& key, bool value) {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  if (Event* kept = KeptProperties(!real_.load())) {
    kept->Bool(key, value);
    return;
  }
  real_.load()->SetBoolProperty(key, value);
}

void CDeferredLogger::SetStringProperty(const std::string& key, const std::string& value) {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  if (Event* kept = KeptProperties(!real_.load())) {
    kept->String(key, value);
    return;
  }
  real_.load()->SetStringProperty(key, value);
}

void CDeferredLogger::SetUploadRoute(const SdkRoute& route) {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  if (ILoggerServer* real = real_.load()) {
    real->SetUploadRoute(route);
    return;
  }
  route_ = route;
  routeKept_ = true;
}

// what needs the SDK's answer releases first

std::string CDeferredLogger::BuildHttpData(int kind, const std::string& body) {
  return Release().BuildHttpData(kind, body);
}

std::string CDeferredLogger::DecryptData(const std::string& data) {
  return Release().DecryptData(data);
}

std::string CDeferredLogger::GetMid() {
  return Release().GetMid();
}

std::string CDeferredLogger::GetMidEx(int variant) {
  return Release().GetMidEx(variant);
}

bool CDeferredLogger::InitSdk() {
  return Release().InitSdk();
}

bool CDeferredLogger::ReleaseSdk() {
  return Release().ReleaseSdk();
}

bool CDeferredLogger::OpenUrl(const std::string& url) {
  return Release().OpenUrl(url);
}

int CDeferredLogger::ShellExecAsUser(const std::string& verb,
                                     const std::string& file,
                                     const std::string& parameters,
                                     const std::string& directory,
                                     int show) {
  return Release().ShellExecAsUser(verb, file, parameters, directory, show);
}

}  // namespace orvane
