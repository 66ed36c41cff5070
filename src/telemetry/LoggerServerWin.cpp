#include <windows.h>

#include <time.h>

#include <atomic>
#include <memory>
#include <vector>

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/StringConv.h"
#include "platform/XMutex.h"
#include "telemetry/EventId.h"
#include "telemetry/EventProperties.h"
#include "telemetry/LoggerServer.h"
#include "telemetry/SdkLoader.h"

namespace orvane {

namespace {

// the process-wide event counter of the event ids, used under the logger lock
uint32_t g_eventCounter = 0;

std::atomic<CLoggerServer*> g_instance{nullptr};

// how long the end of the process waits for a release still under way
constexpr DWORD kReleaseWaitMs = 3000;

// qlxFree of a released handle, on a thread of its own: it waits for the
// SDK's last upload, which no caller of ReleaseSdk may wait for
struct PendingFree {
  QlxFreeFn free;
  QlxHandle handle;
};

DWORD WINAPI FreeOnItsOwn(void* arg) {
  std::unique_ptr<PendingFree> pending(static_cast<PendingFree*>(arg));
  pending->free(pending->handle);
  return 0;
}

}  // namespace

struct CLoggerServer::Impl {
  SdkSettings settings;
  // the logger lock: every SDK call of a record, mid, data and init/release
  mutable CXMutex lock;
  LoadedSdk sdk;
  bool crashHandlerSet = false;
  // set once the configuration went through; until then nothing of the SDK
  // is used, and it stays set after ReleaseSdk, which stops only records
  std::atomic<bool> configured{false};
  PerThreadProperties properties;
  std::string lastError;
  SdkRoute route;
  bool routeSet = false;
  // the threads of released handles whose qlxFree may still run
  std::vector<UniqueHandle> releases;
  bool shutDown = false;

  // takes the handle out under the lock: no record is written from here on
  QlxHandle TakeHandle() {
    CoreExports* core = sdk.core.get();
    if (!core || !core->handle) return nullptr;
    QlxHandle h = core->handle;
    core->handle = nullptr;
    return h;
  }

  void Shutdown();

  static void OnCrash(void* context, const wchar_t* dumpPath);

  void Configure(CLoggerServer* owner) {
    ConfigureSdk(settings, sdk.core.get(), &Impl::OnCrash, owner);
    crashHandlerSet = settings.crashReport && sdk.core->enableCrashReport;
    configured = true;
    ApplyRoute();
  }

  // the routes the installer found, once it found any; the lock is held
  void ApplyRoute() {
    if (!routeSet || !configured || !sdk.core || !sdk.core->setNetRoute) return;
    sdk.core->setNetRoute(route.proxyType, route.proxyHost.c_str(), route.proxyPort,
                          route.resolverMode, route.dnsServer.c_str());
  }

  const MiscExports* Misc() const { return configured ? sdk.misc.get() : nullptr; }
  ShellExecAsUserFn UserLaunch() const { return configured ? sdk.shellExecAsUser : nullptr; }

  bool CanWrite() const { return sdk.core && sdk.core->handle && sdk.collector; }

  // creates a collector, lets `fill` write its fields, commits and frees it;
  // the caller holds the lock
  template <typename Fill>
  bool WriteRecord(int type, Fill&& fill) {
    if (!CanWrite()) return false;
    const CollectorExports& c = *sdk.collector;
    QlxCollector collector = nullptr;
    if (c.create(sdk.core->handle, type, &collector) != 0) return false;
    fill(c, collector);
    bool committed = c.commit(collector) == 0;
    c.free(collector);
    return committed;
  }
};

namespace {

void WriteText(const CollectorExports& c,
               QlxCollector collector,
               int field,
               const std::string& text) {
  // an empty text is not written at all
  if (!text.empty()) c.writeData(collector, field, text.data(), static_cast<int>(text.size()));
}

}  // namespace

CLoggerServer& CLoggerServer::GetInstance() {
  static CLoggerServer logger{SdkSettings()};
  g_instance = &logger;
  return logger;
}

void CLoggerServer::ShutdownInstance() {
  if (CLoggerServer* logger = g_instance.load()) logger->impl_->Shutdown();
}

CLoggerServer::CLoggerServer(const SdkSettings& settings) : impl_(std::make_unique<Impl>()) {
  impl_->settings = settings;
  XMutexLock hold(impl_->lock);
  try {
    LoadSdk(settings, &impl_->sdk);
    impl_->lastError = impl_->sdk.notes;
    impl_->Configure(this);
  } catch (const Error& e) {
    impl_->lastError = e.what();
    if (!impl_->sdk.core) {
      // nothing of a half-loaded SDK is used
      impl_->sdk.collector.reset();
      impl_->sdk.misc.reset();
      impl_->sdk.shellExecAsUser = nullptr;
    }
  } catch (const std::exception& e) {
    impl_->lastError = e.what();
  }
}

CLoggerServer::~CLoggerServer() {
  impl_->Shutdown();
}

void CLoggerServer::Impl::Shutdown() {
  QlxHandle handle = nullptr;
  QlxFreeFn freeFn = nullptr;
  std::vector<UniqueHandle> running;
  {
    XMutexLock hold(lock);
    if (shutDown) return;
    shutDown = true;
    CoreExports* core = sdk.core.get();
    if (!core) return;
    // the module outlives this object; its crash report must not call back here
    if (crashHandlerSet) core->enableCrashReport(nullptr, nullptr);
    freeFn = core->free;
    handle = TakeHandle();
    running = std::move(releases);
  }
  // the SDK's last upload, bounded by the SDK; outside the lock, so that a
  // worker's event meanwhile returns at once instead of waiting for it
  if (handle && freeFn) freeFn(handle);
  std::vector<HANDLE> waits;
  for (const UniqueHandle& h : running)
    waits.push_back(h.get());
  if (!waits.empty())
    ::WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), TRUE, kReleaseWaitMs);
}

void CLoggerServer::Impl::OnCrash(void* context, const wchar_t* dumpPath) {
  auto* self = static_cast<CLoggerServer*>(context);
  std::vector<std::string> files{WideToAnsi(dumpPath ? dumpPath : L"")};
  self->WriteReport(1, "0001", "0001", "", "", files);
  self->WriteReport(4, "0001", "0002", "", "", {});
  self->ClearProperties();
  self->WriteEvent("vSoftDump");
  self->ClearProperties();
  self->SetStringProperty("event_name", "软件崩溃");
  self->WriteEvent("vSoftQuit");
}

bool CLoggerServer::WriteOperation(const std::string& pageCode,
                                   const std::string& controlCode,
                                   const std::string& extra) {
  XMutexLock hold(impl_->lock);
  return impl_->WriteRecord(kQlxRecordOperation, [&](const CollectorExports& c, QlxCollector r) {
    WriteText(c, r, 10, pageCode);
    WriteText(c, r, 11, controlCode);
    WriteText(c, r, 12, extra);
  });
}

bool CLoggerServer::WriteReport(int code,
                                const std::string& a,
                                const std::string& b,
                                const std::string& c,
                                const std::string& d,
                                std::vector<std::string> files) {
  XMutexLock hold(impl_->lock);
  return impl_->WriteRecord(kQlxRecordReport, [&](const CollectorExports& x, QlxCollector r) {
    x.writeInt(r, 50, code);
    WriteText(x, r, 51, a);
    WriteText(x, r, 52, b);
    WriteText(x, r, 53, c);
    WriteText(x, r, 54, d);
    for (const std::string& path : files) {
      if (!path.empty() && FileExists(AnsiToWide(path))) WriteText(x, r, 55, path);
    }
  });
}

bool CLoggerServer::WriteLaunch(int code,
                                const std::string& a,
                                const std::string& b,
                                const std::string& c) {
  XMutexLock hold(impl_->lock);
  return impl_->WriteRecord(kQlxRecordLaunch, [&](const CollectorExports& x, QlxCollector r) {
    x.writeInt(r, 1, code);
    WriteText(x, r, 2, a);
    WriteText(x, r, 3, b);
    WriteText(x, r, 4, c);
  });
}

bool CLoggerServer::WriteEvent(const std::string& name) {
  // the calling thread's properties, taken before the lock: they are its own
  PropertySets sets = impl_->properties.Snapshot();
  XMutexLock hold(impl_->lock);
  return impl_->WriteRecord(kQlxRecordSensor, [&](const CollectorExports& x, QlxCollector r) {
    int32_t id = MakeEventId(_time64(nullptr), g_eventCounter++);
    x.writeEvent(r, name.c_str(), id);
    for (const auto& [key, value] : sets.ints)
      x.writeIntProperty(r, key.c_str(), value);
    for (const auto& [key, value] : sets.bools)
      x.writeBoolProperty(r, key.c_str(), value ? 1 : 0);
    for (const auto& [key, value] : sets.strings)
      x.writeStringProperty(r, key.c_str(), value.c_str());
  });
}

void CLoggerServer::ClearProperties() {
  impl_->properties.Clear();
}

void CLoggerServer::SetIntProperty(const std::string& key, int value) {
  impl_->properties.SetInt(key, value);
}

void CLoggerServer::SetBoolProperty(const std::string& key, bool value) {
  impl_->properties.SetBool(key, value);
}

void CLoggerServer::SetStringProperty(const std::string& key, const std::string& value) {
  impl_->properties.SetString(key, value);
}

std::string CLoggerServer::BuildHttpData(int kind, const std::string& body) {
  XMutexLock hold(impl_->lock);
  const MiscExports* m = impl_->Misc();
  if (!m || !m->buildHttpData || !m->dataFree) return {};
  int length = 0;
  char* data =
      m->buildHttpData(kind, body.data(), static_cast<int>(body.size()), &length, 0, "/v1.1");
  if (!data) return {};
  std::string out(data, static_cast<size_t>(length > 0 ? length : 0));
  m->dataFree(data);
  return out;
}

std::string CLoggerServer::DecryptData(const std::string& data) {
  XMutexLock hold(impl_->lock);
  const MiscExports* m = impl_->Misc();
  if (!m || !m->decryptData || !m->dataFree || data.empty()) return {};
  int length = 0;
  char* plain = m->decryptData(data.data(), static_cast<int>(data.size()), &length);
  if (!plain) return {};
  std::string out(plain, static_cast<size_t>(length > 0 ? length : 0));
  m->dataFree(plain);
  return out;
}

std::string CLoggerServer::GetMid() {
  XMutexLock hold(impl_->lock);
  const MiscExports* m = impl_->Misc();
  const char* mid = m && m->mid ? m->mid() : nullptr;
  return mid ? mid : "";
}

std::string CLoggerServer::GetMidEx(int variant) {
  XMutexLock hold(impl_->lock);
  const MiscExports* m = impl_->Misc();
  const char* mid = m && m->midEx ? m->midEx(variant) : nullptr;
  return mid ? mid : "";
}

bool CLoggerServer::InitSdk() {
  XMutexLock hold(impl_->lock);
  try {
    if (!impl_->sdk.core) throw Error("QLX not init");
    if (!impl_->sdk.core->handle) impl_->Configure(this);
  } catch (const Error& e) {
    impl_->lastError = e.what();
  }
  return false;
}

// The handle is dropped under the lock, so nothing recorded from here on
// reaches the SDK; without qlxFree it is dropped all the same. qlxFree
// itself waits for the SDK's last upload of what was recorded before, so it
// runs on a thread of its own: the caller is the UI thread, and no caller
// waits on the network.
bool CLoggerServer::ReleaseSdk() {
  XMutexLock hold(impl_->lock);
  CoreExports* core = impl_->sdk.core.get();
  QlxHandle handle = impl_->TakeHandle();
  if (!handle || !core->free) return true;
  auto pending = std::make_unique<PendingFree>(PendingFree{core->free, handle});
  UniqueHandle thread(::CreateThread(nullptr, 0, &FreeOnItsOwn, pending.get(), 0, nullptr));
  if (thread) {
    pending.release();  // the thread's now
    impl_->releases.push_back(std::move(thread));
  } else {
    // no thread to spare: freed here, as before
    core->free(handle);
  }
  return true;
}

bool CLoggerServer::OpenUrl(const std::string& url) {
  const MiscExports* m = impl_->Misc();
  if (!m || !m->openUrl || url.empty()) return false;
  return m->openUrl(url.c_str()) == 0;
}

int CLoggerServer::ShellExecAsUser(const std::string& verb,
                                   const std::string& file,
                                   const std::string& parameters,
                                   const std::string& directory,
                                   int show) {
  ShellExecAsUserFn fn = impl_->UserLaunch();
  if (!fn || verb.empty() || file.empty()) return 0;
  return fn(verb.c_str(), file.c_str(), parameters.c_str(), directory.c_str(), show);
}

void CLoggerServer::SetUploadRoute(const SdkRoute& route) {
  XMutexLock hold(impl_->lock);
  impl_->route = route;
  impl_->routeSet = true;
  impl_->ApplyRoute();
}

std::string CLoggerServer::LastSdkError() const {
  XMutexLock hold(impl_->lock);
  return impl_->lastError;
}

bool CLoggerServer::CanWriteRecords() const {
  XMutexLock hold(impl_->lock);
  return impl_->CanWrite();
}

std::wstring CLoggerServer::QlxPath() const {
  XMutexLock hold(impl_->lock);
  return impl_->sdk.qlxPath;
}

}  // namespace orvane
