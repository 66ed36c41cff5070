#include "module/Sdk.h"

#include <windows.h>
#include <winsock2.h>

#include <cstring>

#include "module/HttpData.h"
#include "module/MachineId.h"
#include "module/ModuleInfo.h"
#include "qlx/Journal.h"
#include "qlx/JsonText.h"
#include "qlx/UploadProtocol.h"

namespace orvane::qlx {

namespace {

constexpr int kOk = 0;
constexpr int kBadArgument = 1;
constexpr int kBadHandle = 2;
constexpr int kBadState = 3;
constexpr int kFailed = 4;

// the longest data field a collector takes
constexpr int kMaxDataBytes = 32 * 1024;

uintptr_t IdOf(void* p) {
  return reinterpret_cast<uintptr_t>(p);
}

bool Text(const char* p, size_t maxBytes, std::string* out) {
  if (!p) return false;
  size_t n = strnlen(p, maxBytes + 1);
  if (n > maxBytes) return false;
  out->assign(p, n);
  return true;
}

}  // namespace

Sdk& Sdk::Get() {
  // never destroyed: threads may still use it while the process ends
  static Sdk* sdk = new Sdk();
  return *sdk;
}

UploadSettings Sdk::CurrentUploadSettings() {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  UploadSettings s;
  s.enabled = !sandbox_ && !host_.empty() && !path_.empty() && !appId_.empty();
  s.target.host = host_;
  s.target.port = port_;
  s.target.path = path_;
  s.target.appId = appId_;
  s.target.appKey = appKey_;
  s.target.urlVersion = urlVersion_;
  s.target.route = route_;
  return s;
}

std::string Sdk::DropRecordLine(uint64_t dropped) {
  Record r;
  {
    std::lock_guard<std::mutex> hold(identityLock_);
    r.appId = identityAppId_;
    r.appName = identityAppName_;
    const char* mid = MachineIdText(identityMidVersion_);
    r.mid = mid ? mid : "";
  }
  r.uid = RandomHex(16);
  r.sid = RandomHex(8);
  r.seq = 1;
  r.timeMs = NowUnixMs();
  r.pid = ::GetCurrentProcessId();
  r.type = kQlxRecordSensor;
  r.hasEvent = true;
  r.eventName = kDroppedEvent;
  Property count;
  count.key = kDroppedCountKey;
  count.kind = Property::Kind::kInt;
  count.number = static_cast<int64_t>(dropped);
  r.props.push_back(count);
  return FormatRecordLine(r);
}

void Sdk::WakeUploader() {
  if (uploader_) uploader_->Wake();
}

int Sdk::Create(QlxHandle* handle) {
  if (!handle) return kBadArgument;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  if (!winsockReady_) {
    // not in DllMain: WSAStartup may load modules
    WSADATA wsa;
    winsockReady_ = ::WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
  }
  if (!journal_) {
    std::wstring folder = ModuleFolder();
    if (folder.empty()) return kFailed;
    journal_ = std::make_unique<JournalFile>(
        folder, [this](uint64_t dropped) { return DropRecordLine(dropped); });
  }
  if (!uploader_) {
    auto uploader =
        std::make_shared<Uploader>(journal_.get(), [this] { return CurrentUploadSettings(); });
    if (!uploader->Start()) return kFailed;
    uploader_ = std::move(uploader);
  }
  uintptr_t id = ++nextId_;
  sessions_[id].sid = RandomHex(8);
  *handle = reinterpret_cast<QlxHandle>(id);
  return kOk;
}

int Sdk::Free(QlxHandle handle) {
  std::shared_ptr<Uploader> stopping;
  {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (!sessions_.erase(IdOf(handle))) return kBadHandle;
    for (auto it = collectors_.begin(); it != collectors_.end();) {
      it = it->second.handle == IdOf(handle) ? collectors_.erase(it) : std::next(it);
    }
    if (sessions_.empty()) stopping = std::move(uploader_);
  }
  // outside the lock: the uploader reads the settings through it
  if (stopping) stopping->StopAndFlush(kFreeBudgetMs);
  return kOk;
}

int Sdk::SetApplyKey(const char* appId, const char* appKey) {
  std::string id, key;
  if (!Text(appId, 64, &id) || !Text(appKey, 64, &key)) return kBadArgument;
  if (!IsValidAppId(id) || !IsValidAppKey(key)) return kBadArgument;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  appId_ = id;
  appKey_ = key;
  {
    std::lock_guard<std::mutex> identity(identityLock_);
    identityAppId_ = id;
  }
  WakeUploader();
  return kOk;
}

int Sdk::SetAppInfo(const char* name, int version, int flags) {
  std::string n;
  if (!Text(name, 64, &n) || !IsValidAppName(n) || version < 0 || flags < 0) return kBadArgument;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  appName_ = n;
  std::lock_guard<std::mutex> identity(identityLock_);
  identityAppName_ = n;
  return kOk;
}

int Sdk::SetPublicKey(const char* base64) {
  std::string text, der;
  if (!Text(base64, 16384, &text) || !Base64Decode(text, &der) || !IsRsaPublicKeyDer(der))
    return kBadArgument;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  publicDer_ = der;
  return kOk;
}

int Sdk::SetPrivateKey(const char* base64) {
  std::string text, der;
  if (!Text(base64, 16384, &text) || !Base64Decode(text, &der) || !IsRsaPrivateKeyDer(der))
    return kBadArgument;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  privateDer_ = der;
  return kOk;
}

int Sdk::SetHostInfo(const char* host, int port) {
  std::string h;
  if (!Text(host, 253, &h) || !IsValidHostName(h) || port < 1 || port > 65535) return kBadArgument;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  host_ = h;
  port_ = port;
  WakeUploader();
  return kOk;
}

int Sdk::SetSensorUrl(const char* path) {
  std::string p;
  if (!Text(path, 2048, &p) || !IsValidSensorPath(p)) return kBadArgument;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  path_ = p;
  WakeUploader();
  return kOk;
}

int Sdk::SetMidVersion(int version) {
  if (version < 1 || version > 9) return kBadArgument;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  midVersion_ = version;
  std::lock_guard<std::mutex> identity(identityLock_);
  identityMidVersion_ = version;
  return kOk;
}

int Sdk::EnableSandbox(int enable) {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  sandbox_ = enable != 0;
  WakeUploader();
  return kOk;
}

int Sdk::SetNetProtocol(int protocol) {
  // plain HTTP is the one protocol this build speaks
  return protocol == 0 ? kOk : kBadArgument;
}

int Sdk::SetUrlVersion(const char* version) {
  std::string v;
  if (!Text(version, 32, &v) || !IsValidUrlVersion(v)) return kBadArgument;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  urlVersion_ = v;
  return kOk;
}

int Sdk::SetNetRoute(int proxyType,
                     const char* proxyHost,
                     int proxyPort,
                     int resolverMode,
                     const char* dnsServer) {
  UploadRoute route;
  route.proxyType = proxyType;
  route.proxyPort = proxyPort;
  route.resolverMode = resolverMode;
  if (proxyHost && !Text(proxyHost, 253, &route.proxyHost)) return kBadArgument;
  if (dnsServer && !Text(dnsServer, 15, &route.dnsServer)) return kBadArgument;
  if (!IsValidRoute(route)) return kBadArgument;
  // a direct route keeps no proxy, the system resolver no server
  if (route.proxyType == 0) {
    route.proxyHost.clear();
    route.proxyPort = 0;
  }
  if (route.resolverMode == 0) route.dnsServer.clear();
  std::lock_guard<std::recursive_mutex> hold(lock_);
  route_ = route;
  WakeUploader();
  return kOk;
}

Sdk::Collector* Sdk::FindCollector(QlxCollector collector) {
  auto it = collectors_.find(IdOf(collector));
  return it == collectors_.end() ? nullptr : &it->second;
}

int Sdk::CollectorCreate(QlxHandle handle, int type, QlxCollector* collector) {
  if (!collector) return kBadArgument;
  *collector = nullptr;
  if (!IsValidRecordType(type)) return kBadArgument;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  if (!sessions_.count(IdOf(handle))) return kBadHandle;
  uintptr_t id = ++nextId_;
  Collector& c = collectors_[id];
  c.handle = IdOf(handle);
  c.type = type;
  *collector = reinterpret_cast<QlxCollector>(id);
  return kOk;
}

int Sdk::CollectorEvent(QlxCollector collector, const char* name, int id) {
  std::string n;
  if (!Text(name, 256, &n) || !IsValidName(n)) return kBadArgument;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  Collector* c = FindCollector(collector);
  if (!c) return kBadHandle;
  if (c->type != kQlxRecordSensor || c->record.hasEvent || c->committed) return kBadState;
  c->record.hasEvent = true;
  c->record.eventName = n;
  c->record.eventId = id;
  return kOk;
}

int Sdk::CollectorProperty(QlxCollector collector,
                           const char* key,
                           Property::Kind kind,
                           int64_t number,
                           const char* text) {
  std::string k, v;
  if (!Text(key, 256, &k) || !IsValidName(k)) return kBadArgument;
  if (kind == Property::Kind::kText && !Text(text, kMaxDataBytes, &v)) return kBadArgument;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  Collector* c = FindCollector(collector);
  if (!c) return kBadHandle;
  if (c->type != kQlxRecordSensor || c->committed) return kBadState;
  // a key names one value of a record
  for (const Property& p : c->record.props)
    if (p.key == k) return kBadArgument;
  Property p;
  p.key = k;
  p.kind = kind;
  p.number = number;
  p.text = v;
  c->record.props.push_back(std::move(p));
  return kOk;
}

int Sdk::CollectorInt(QlxCollector collector, int field, int value) {
  if (!IsValidFieldId(field)) return kBadArgument;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  Collector* c = FindCollector(collector);
  if (!c) return kBadHandle;
  if (c->committed) return kBadState;
  Field f;
  f.id = field;
  f.isInt = true;
  f.number = value;
  c->record.fields.push_back(std::move(f));
  return kOk;
}

int Sdk::CollectorData(QlxCollector collector, int field, const void* data, int length) {
  if (!IsValidFieldId(field) || length < 0 || length > kMaxDataBytes || (!data && length > 0))
    return kBadArgument;
  std::lock_guard<std::recursive_mutex> hold(lock_);
  Collector* c = FindCollector(collector);
  if (!c) return kBadHandle;
  if (c->committed) return kBadState;
  Field f;
  f.id = field;
  if (length > 0) f.data.assign(static_cast<const char*>(data), static_cast<size_t>(length));
  c->record.fields.push_back(std::move(f));
  return kOk;
}

int Sdk::CollectorCommit(QlxCollector collector) {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  Collector* c = FindCollector(collector);
  if (!c) return kBadHandle;
  if (c->committed) return kBadState;
  if (c->type == kQlxRecordSensor && !c->record.hasEvent) return kBadState;
  auto session = sessions_.find(c->handle);
  if (session == sessions_.end() || !journal_) return kBadHandle;

  Record r = c->record;
  r.uid = RandomHex(16);
  r.sid = session->second.sid;
  r.seq = session->second.seq + 1;
  r.timeMs = NowUnixMs();
  r.pid = ::GetCurrentProcessId();
  const char* mid = MachineIdText(midVersion_);
  r.mid = mid ? mid : "";
  r.appId = appId_;
  r.appName = appName_;
  r.type = c->type;
  std::string line = FormatRecordLine(r);
  if (line.size() > kMaxRecordLine) return kBadArgument;
  if (!journal_->Append(line)) return kFailed;
  session->second.seq = r.seq;
  c->committed = true;
  WakeUploader();
  return kOk;
}

int Sdk::CollectorFree(QlxCollector collector) {
  std::lock_guard<std::recursive_mutex> hold(lock_);
  return collectors_.erase(IdOf(collector)) ? kOk : kBadHandle;
}

const char* Sdk::Mid() {
  int version;
  {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    version = midVersion_;
  }
  return MachineIdText(version);
}

namespace {

char* CopyOut(const std::string& bytes, int* outLength) {
  char* out = new char[bytes.size() + 1];
  std::memcpy(out, bytes.data(), bytes.size());
  out[bytes.size()] = '\0';
  if (outLength) *outLength = static_cast<int>(bytes.size());
  return out;
}

}  // namespace

char* Sdk::BuildHttpData(int kind,
                         const char* body,
                         int length,
                         int* outLength,
                         const char* urlVersion) {
  if (outLength) *outLength = 0;
  std::string version = "/v1.1";
  if (urlVersion && !Text(urlVersion, 32, &version)) return nullptr;
  if (!IsValidUrlVersion(version) || kind < 0 || length < 0 || (!body && length > 0))
    return nullptr;
  std::string key;
  {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    key = publicDer_;
  }
  std::string text;
  if (!EncryptHttpData(key, kind, version, std::string(body ? body : "", length), &text))
    return nullptr;
  return CopyOut(text, outLength);
}

char* Sdk::DecryptData(const char* data, int length, int* outLength) {
  if (outLength) *outLength = 0;
  if (!data || length <= 0) return nullptr;
  std::string key;
  {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    key = privateDer_;
  }
  std::string body;
  if (!DecryptHttpData(key, std::string(data, length), &body)) return nullptr;
  return CopyOut(body, outLength);
}

}  // namespace orvane::qlx
