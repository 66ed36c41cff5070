#include "download/Downloader.h"

#include <windows.h>
#include <winsock2.h>

#include "config/ProductIdentity.h"
#include "download/DownloadEnvironment.h"
#include "download/DownloadEvents.h"
#include "download/DownloadRules.h"
#include "download/DownloadThread.h"
#include "download/UrlProbe.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/StringConv.h"
#include "telemetry/LoggerServer.h"

namespace orvane {

namespace {

void SendDownloadResult(const std::string& status, int seconds) {
  EventLogger().Send(Event("pSoftDownloadResult")
                         .String("soft_download_status", status)
                         .Int("download_time", seconds));
}

std::string PackageMd5() {
  IPkgInfo* pkg = PackageInfoSource();
  const char* md5 = pkg ? pkg->GetMd5() : nullptr;
  return md5 ? md5 : "";
}

}  // namespace

CDownloader* CreateDownloader(const std::string& url) {
  return new CDownloader(url);
}

CDownloader::CDownloader(std::string url) : url_(std::move(url)) {
  WSADATA data;
  winsock_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

CDownloader::~CDownloader() {
  state_ = kDestroying;
  package_.Release();
  probe_.reset();
  DeleteWorkers();
  file_.reset();
  if (winsock_) WSACleanup();
}

void CDownloader::Release() {
  delete this;
}

bool CDownloader::Start() {
  int32_t state = state_;
  if (state == kRunning || state == kFinished) return true;
  EventLogger().Send(Event("vSoftDownloadStart"));
  if (!segments_.empty()) {
    bool ok = StartWorkers();
    if (ok) state_ = kRunning;
    return ok;
  }
  probe_.reset();
  probe_ = std::make_unique<QueryUrlInfoThread>(url_, this);
  if (!probe_->handle()) {
    // no thread that could ever start: a failed download, not a wait
    probe_.reset();
    SendDownloadError(kWorkerError, "创建线程出错");
    state_ = kFailed;
    return false;
  }
  // running before the probe starts: its OnUrlInfo may finish the download
  // at once with a remembered package, and that must not be overwritten
  state_ = kRunning;
  probe_->Resume();
  // Join(5) is the pause, and it ends the wait should the thread be gone
  while (!probe_->started() && !probe_->Join(5)) {
  }
  return true;
}

int CDownloader::GetProgress() {
  int64_t total = total_;
  if (total <= 0) return 0;
  return static_cast<int>(downloaded_ * 100 / total);
}

std::wstring CDownloader::GetFilePath() {
  return filePath_;
}

std::string CDownloader::GetDownloadUrl() {
  if (probe_) {
    if (!probe_->url().empty()) return probe_->url();
    if (probe_->finished() && !probe_->info().urls.empty()) return probe_->info().urls[0];
  }
  return BuiltInPackageUrl();
}

std::vector<std::pair<int64_t, int64_t>> CDownloader::SegmentRanges() {
  XMutexLock hold(lock_);
  std::vector<std::pair<int64_t, int64_t>> ranges;
  for (const Segment& s : segments_)
    ranges.emplace_back(s.start, s.end);
  return ranges;
}

bool CDownloader::CreatePackageFile() {
  XMutexLock hold(lock_);
  file_.reset();
  size_t slash = filePath_.find_last_of(L'\\');
  if (slash != std::wstring::npos) CreateDirectories(filePath_.substr(0, slash));
  try {
    file_ = std::make_unique<CFileStream>(filePath_, CFileStream::kModeCreate);
  } catch (const std::exception&) {
    return false;
  }
  if (!file_->isOpen() || !file_->SetSize(total_)) {
    file_.reset();
    return false;
  }
  return true;
}

bool CDownloader::OnPackageInfo() {
  if (state_ != kRunning) return false;
  return TryCurrentLocalPackage();
}

bool CDownloader::OnUrlInfo(const UrlInfo& info) {
  try {
    if (state_ == kDestroying) return false;
    // the remembered package was taken before anything was probed
    if (state_ == kFinished) return true;
    if (info.size <= 0 || info.urls.empty()) {
      SendDownloadError(kWorkerError, "参数错误");
      TryLocalPackage();
      throw Error("param error");
    }
    if (TryCurrentLocalPackage()) return true;
    total_ = info.size;
    if (filePath_.empty()) {
      std::wstring root = PackageCacheRoot();
      if (root.empty()) throw Error("no cache folder");
      // the probe cleaned the name; whoever calls here, the path stays in
      // the package folder
      std::wstring name = SafePackageFileName(info.fileName);
      if (name.empty()) name = SafePackageFileName(FileNamePart(OwnProgramPath()));
      if (name.empty()) name = L"OrvanePkg.exe";
      std::wstring channelName =
          ChannelPackageName(PackageAppInfo().GetFileProductVersion(std::wstring()));
      if (!channelName.empty()) name = channelName;
      filePath_ = root + kCacheFolderName + name;
    }
    if (!CreatePackageFile()) throw Error("create package file failed");
    {
      XMutexLock hold(lock_);
      segments_.clear();
      for (const SegmentRange& r : SplitSegments(total_, workerCount_)) {
        Segment s;
        s.url = info.urls[0];
        s.start = r.start;
        s.end = r.end;
        segments_.push_back(std::move(s));
      }
    }
    return StartWorkers();
  } catch (const std::exception&) {
    return false;
  }
}

bool CDownloader::StartWorkers() {
  for (size_t k = 0; k < segments_.size(); ++k) {
    Segment& s = segments_[k];
    int64_t start, end;
    {
      XMutexLock hold(lock_);
      if (s.complete()) continue;
      start = s.start;
      end = s.end;
    }
    try {
      s.worker = std::make_unique<CDownloadThread>(s.url, timeoutMs_, maxAttempts_, start, end,
                                                   this, static_cast<int32_t>(k));
    } catch (const std::exception&) {
      // a construction cut short by the downloader's own end is no error
      if (!Stopping()) SendDownloadError(kWorkerError, "创建线程出错");
      DeleteWorkers();
      return false;
    }
  }
  return true;
}

void CDownloader::DeleteWorkers() {
  for (Segment& s : segments_)
    s.worker.reset();
}

// The write itself is outside the lock: each worker writes its own range at
// its own offset, so the two write at once instead of one waiting for the
// other's mebibyte. The package file is made before any worker starts and
// replaced or closed only when none can write (every segment complete, or
// every worker deleted), so it can be used here without the lock.
bool CDownloader::WriteRange(int index, int64_t offset, const char* data, uint32_t size) {
  CFileStream* file = file_.get();
  if (!file || index < 0 || static_cast<size_t>(index) >= segments_.size()) return false;
  if (file->WriteAt(offset, data, size) != static_cast<int32_t>(size)) return false;
  XMutexLock hold(lock_);
  downloaded_ += size;
  segments_[index].start += size;
  return true;
}

int CDownloader::Poll() {
  if (state_ != kRunning) return state_;
  if (!probe_) {
    DeleteWorkers();
    state_ = kFailed;
    return state_;
  }
  if (!probe_->finished()) return kRunning;
  // the probe's hand-over may have used a remembered package
  if (state_ != kRunning) return state_;
  if (segments_.empty()) {
    state_ = kFailed;
    return state_;
  }
  bool busy = false;
  for (Segment& s : segments_) {
    // whether the worker has ended first, the segment after: a worker writes
    // its last bytes and then ends, so a segment read first could look
    // incomplete when the worker has completed it meanwhile
    bool ended = !s.worker || s.worker->Join(1);
    bool complete;
    {
      XMutexLock hold(lock_);
      complete = s.complete();
    }
    if (complete) continue;
    if (ended) {
      DeleteWorkers();
      state_ = kFailed;
      return state_;
    }
    busy = true;
  }
  if (busy) return kRunning;
  {
    XMutexLock hold(lock_);
    file_.reset();
  }
  if (!VerifyPackage()) {
    state_ = kFailed;
    CreatePackageFile();
    DeleteWorkers();
    XMutexLock hold(lock_);
    std::vector<SegmentRange> fresh = SplitSegments(total_, workerCount_);
    for (size_t k = 0; k < segments_.size() && k < fresh.size(); ++k) {
      segments_[k].start = fresh[k].start;
    }
    downloaded_ = 0;
    return state_;
  }
  DeleteWorkers();
  SendDownloadResult("下载成功", DownloadSeconds());
  RememberPackage();
  state_ = kFinished;
  return state_;
}

int CDownloader::DownloadSeconds() {
  try {
    CFileStream f(filePath_, CFileStream::kModeReadShared);
    int64_t creation = 0, access = 0, lastWrite = 0;
    if (!f.isOpen() || !f.GetTimes(&creation, &access, &lastWrite)) return 0;
    return orvane::DownloadSeconds(creation, lastWrite);
  } catch (const std::exception&) {
    return 0;
  }
}

// The one pass over the package after its last byte. The file is held from
// here until the installer has started, and hashed through that handle, so
// that nothing can swap it after the check; the digest taken here is the
// one remembered below, without reading the file again.
bool CDownloader::VerifyPackage() {
  verifiedMd5_.clear();
  if (filePath_.empty() || !package_.Open(filePath_)) return false;
  const std::string actual = package_.Md5();
  const std::string expected = PackageMd5();
  if (!expected.empty() && actual != expected) {
    package_.Release();
    return false;
  }
  verifiedMd5_ = actual;
  return true;
}

bool CDownloader::HoldPackage() {
  if (state_ != kFinished || filePath_.empty()) return false;
  if (package_.held() && package_.path() == filePath_) return true;
  // a remembered package was never checked by this run: its remembered MD5
  const bool remembered = filePath_ == RememberedPackage().RememberedPackagePath();
  std::string expected = verifiedMd5_;
  if (expected.empty() && remembered)
    expected = WideToUtf8(RememberedPackage().RememberedPackageMd5());
  if (expected.empty()) expected = PackageMd5();
  if (package_.Open(filePath_) && (expected.empty() || package_.Md5() == expected)) return true;
  // changed or gone since it was checked: not this package. The next Start
  // downloads it anew, and a remembered one is forgotten.
  package_.Release();
  if (remembered) {
    RememberedPackage().ForgetPackage();
    filePath_.clear();
  }
  {
    XMutexLock hold(lock_);
    segments_.clear();
  }
  verifiedMd5_.clear();
  downloaded_ = 0;
  total_ = 0;
  state_ = kFailed;
  return false;
}

std::wstring CDownloader::HeldPackagePath() {
  std::wstring final = package_.held() ? package_.FinalPath() : std::wstring();
  return final.empty() ? filePath_ : final;
}

void CDownloader::ReleasePackage() {
  package_.Release();
}

void CDownloader::RememberPackage() {
  // the package info's MD5 when it has one (the same text, checked above),
  // else the file's own
  if (verifiedMd5_.empty() || filePath_.empty()) return;
  RememberedPackage().RememberPackage(Utf8ToWide(verifiedMd5_), filePath_);
}

// The remembered package was checked when this run started, but it sits in
// the user's folder and runs elevated: it is checked again now, through the
// handle that keeps it as it is from here on. One that changed is forgotten,
// and the package is downloaded instead.
bool CDownloader::UseLocalPackage(const std::wstring& path) {
  const std::string md5 = WideToUtf8(RememberedPackage().RememberedPackageMd5());
  if (md5.empty() || !package_.Open(path) || package_.Md5() != md5) {
    package_.Release();
    RememberedPackage().ForgetPackage();
    return false;
  }
  filePath_ = path;
  state_ = kFinished;
  SendDownloadResult("存在本地文件", -1);
  return true;
}

bool CDownloader::TryCurrentLocalPackage() {
  IPkgInfo* pkg = PackageInfoSource();
  const char* version = pkg ? pkg->GetVersionCode() : nullptr;
  std::wstring wanted = version ? AnsiToWide(version) : std::wstring();
  const std::wstring remembered = RememberedPackage().RememberedPackagePath();
  if (remembered.empty() || wanted.empty()) return false;
  if (!RememberedPackageIsCurrent(remembered, PackageAppInfo().GetFileProductVersion(remembered),
                                  wanted)) {
    return false;
  }
  return UseLocalPackage(remembered);
}

bool CDownloader::TryLocalPackage() {
  const std::wstring remembered = RememberedPackage().RememberedPackagePath();
  if (remembered.empty()) return false;
  IAppInfo& app = PackageAppInfo();
  // the package's version is read only when an installed product asks for it
  const std::wstring& installedExe = app.GetExePath();
  const std::wstring packageVersion =
      installedExe.empty() ? std::wstring() : app.GetFileProductVersion(remembered);
  if (!RememberedPackageServesAsFallback(remembered, packageVersion, installedExe,
                                         app.GetVersion())) {
    return false;
  }
  return UseLocalPackage(remembered);
}

}  // namespace orvane
