#include "download/UrlProbe.h"

#include <mmsystem.h>
#include <windows.h>

#include "config/ProductIdentity.h"
#include "download/DownloadEnvironment.h"
#include "download/DownloadEvents.h"
#include "net/NetWait.h"
#include "net/NetworkApi.h"
#include "net/TCPHttp.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/StringConv.h"
#include "platform/StringUtil.h"
#include "telemetry/LoggerServer.h"

namespace orvane {

namespace {

constexpr int kHeadAttempts = 10;
constexpr int kHeadTimeoutMs = 3000;
constexpr int kHeadPauseMs = 100;
constexpr DWORD kPackageInfoWaitMs = 10000;
// between two reachability checks while the package info is awaited, so
// that waiting is not a stream of connects to the vendor's hosts
constexpr DWORD kPackageInfoPassMs = 100;

}  // namespace

void SendDownloadError(const std::string& type, const std::string& status) {
  EventLogger().Send(
      Event("vSoftDownloadError").String("error_type", type).String("error_status", status));
}

UrlParts ParseUrl(const std::string& url) {
  try {
    return SplitUrl(url);
  } catch (const std::exception&) {
    SendDownloadError(kProbeError, "初始化失败");
    throw Error("init url failed");
  }
}

bool CheckHostReachable(const std::string& name, const AbortCheck& aborted) {
  INetworkApi& api = NetworkApi();
  try {
    uint32_t address = 0;
    if (LookupHostUnlessAborted(api, name, &address, aborted) != LookupOutcome::kFound &&
        LookupHostUnlessAborted(api, name, &address, aborted) != LookupOutcome::kFound) {
      throw Error("Can't analyze host name");
    }
    ScopedSocket s(api, api.OpenTcp());
    if (s.get() == kNoSocket) throw Error("Can't Create socket");
    // the connects wait as long as a blocking one would at most, and the
    // probe's stop ends them
    if (!api.SetNonBlocking(s.get(), true)) throw Error("Connect Failed");
    ConnectOutcome outcome = ConnectWithin(api, s.get(), address, 80, kConnectWaitMs, aborted);
    if (outcome == ConnectOutcome::kFailed)
      outcome = ConnectWithin(api, s.get(), address, 80, kConnectWaitMs, aborted);
    if (outcome != ConnectOutcome::kConnected) throw Error("Connect Failed");
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

QueryUrlInfoThread::QueryUrlInfoThread(std::string url, IDownloadOwner* owner)
    : url_(std::move(url)), owner_(owner) {
  CreateSuspended();
}

QueryUrlInfoThread::~QueryUrlInfoThread() {
  Cancel();
  if (suspended()) Resume();
  Join(INFINITE);
}

void QueryUrlInfoThread::Cancel() {
  cancel_ = true;
  std::lock_guard<std::mutex> hold(activeLock_);
  if (active_) active_->Abort();
}

void QueryUrlInfoThread::ThrowIfCancelled() const {
  if (cancel_) throw Error("user query stop thread");
}

int QueryUrlInfoThread::Run() {
  started_ = true;
  try {
    bool found = false;
    if (!url_.empty()) {
      found = LocalPackageWillDo() || ProbeUrl(url_, info_, "");
    } else if (WaitForPackageInfo(info_) || localPackage_) {
      found = true;
    } else {
      ThrowIfCancelled();
      found = ProbeUrl(BuiltInPackageUrl(), info_, "");
    }
    if (!found) SendDownloadError(kProbeError, "获取包信息失败");
  } catch (const std::exception&) {
    // every failure has been reported where it happened; the owner still
    // gets whatever was found
  }
  owner_->OnUrlInfo(info_);
  finished_ = true;
  return 0;
}

bool QueryUrlInfoThread::LocalPackageWillDo() {
  IPkgInfo* pkg = PackageInfoSource();
  localPackage_ = pkg && pkg->GetStatus() == kQueryDone && owner_->OnPackageInfo();
  return localPackage_;
}

bool QueryUrlInfoThread::WaitForPackageInfo(UrlInfo& info) {
  IPkgInfo* pkg = PackageInfoSource();
  if (!pkg) return false;
  DWORD begin = timeGetTime();
  while (pkg->GetStatus() != kQueryDone) {
    if (pkg->GetStatus() == kQueryFailed) return false;
    ThrowIfCancelled();
    if (timeGetTime() - begin >= kPackageInfoWaitMs) return false;
    bool reachable = false;
    for (const std::string& host : ReachabilityHosts()) {
      ThrowIfCancelled();
      if (CheckHostReachable(host, [this] { return cancel_.load(); })) {
        reachable = true;
        break;
      }
    }
    if (!reachable) {
      SendDownloadError(kProbeError, "网络失败");
      throw Error("network connect error");
    }
    Sleep(kPackageInfoPassMs);
  }
  // a current package at hand: no request reaches the download server
  if (LocalPackageWillDo()) return false;
  const char* version = pkg->GetVersionCode();
  std::string versionText = version ? version : "";
  int count = pkg->GetUrlCount();
  for (int i = 0; i < count; ++i) {
    ThrowIfCancelled();
    const char* url = pkg->GetUrl(i);
    ProbeUrl(url ? url : "", info, versionText);
  }
  return !info.urls.empty();
}

bool QueryUrlInfoThread::ProbeUrl(const std::string& url,
                                  UrlInfo& info,
                                  const std::string& version) {
  if (url.empty()) return false;
  std::string finalUrl = url;
  std::vector<std::string> lines;
  HeadWithRedirects(finalUrl, lines);
  if (lines.empty()) {
    SendDownloadError(kProbeError, "获取头信息失败");
    throw Error("http get url header information error");
  }
  if (info.fileName.empty()) {
    // the server's name must not lead out of the cache folder: an unsafe one
    // gives way to the name built from this program's below
    std::string name = FileNameFromHeaders(lines);
    if (!name.empty()) info.fileName = SafePackageFileName(AnsiToWide(name));
  }
  if (info.fileName.empty()) {
    // the version comes from the network too
    info.fileName = SafePackageFileName(
        BuildPackageFileName(FileNamePart(OwnProgramPath()), Utf8ToWide(version)));
  }
  if (info.fileName.empty()) info.fileName = kFallbackPackageName;
  if (info.size <= 0) info.size = ContentLengthFromHeaders(lines);
  if (info.size <= 0) {
    info.fileName.clear();
    return false;
  }
  info.urls.push_back(finalUrl);
  return true;
}

void QueryUrlInfoThread::HeadOnce(const UrlParts& parts,
                                  std::vector<std::string>* lines,
                                  std::string* status) {
  CTCPHttp http;
  {
    std::lock_guard<std::mutex> hold(activeLock_);
    active_ = &http;
    if (cancel_) http.Abort();
  }
  struct Inactive {
    QueryUrlInfoThread* self;
    ~Inactive() {
      std::lock_guard<std::mutex> hold(self->activeLock_);
      self->active_ = nullptr;
    }
  } inactive{this};
  // resolving is not retried: a host that does not resolve ends the probe
  http.SetHostWithFallback(parts.host, parts.port);
  http.SetRecvTimeout(kHeadTimeoutMs);
  http.SetSendTimeout(kHeadTimeoutMs);
  try {
    http.Head(parts.host, parts.path, lines, status);
  } catch (const std::exception&) {
    lines->clear();
    status->clear();
  }
}

void QueryUrlInfoThread::HeadWithRedirects(std::string& url, std::vector<std::string>& lines) {
  // a loop rather than recursion: a chain of redirects ends after kMaxRedirects
  for (int hop = 0;; ++hop) {
    UrlParts parts = ParseUrl(url);
    std::string status;
    lines.clear();
    for (int attempt = 1; attempt <= kHeadAttempts; ++attempt) {
      ThrowIfCancelled();
      HeadOnce(parts, &lines, &status);
      if (!lines.empty()) break;
      if (attempt < kHeadAttempts) {
        Sleep(kHeadPauseMs);
      } else {
        SendDownloadError(kProbeError, "重试次数过多");
      }
    }
    int code = static_cast<int>(ParseInt64(status));
    if (status.empty() || code >= 400 || code < 100) {
      lines.clear();
      return;
    }
    if (code < 300) return;
    std::string target;
    if (!FindHeaderValue(lines, "Location:", &target)) return;
    if (hop == kMaxRedirects) {
      // a chain this long ends like a URL that gave no answer
      lines.clear();
      return;
    }
    // a relative target is taken on the host that sent it
    url = ResolveLocation(parts, target);
  }
}

}  // namespace orvane
